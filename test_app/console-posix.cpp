#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "console.h"

void console_sleep_ms(int32_t ms) {
  if (ms <= 0) return;
  timespec left{};
  left.tv_sec = ms / 1000;
  left.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  while (nanosleep(&left, &left) == -1 && errno == EINTR) {
  }
}

namespace {

// The terminal's mode from before the key wait, for the signal handler that
// puts it back when the wait is interrupted. Only set while the wait runs.
termios g_saved_mode;

void print_prompt() {
  std::fputs("Press any key to continue . . . ", stdout);
  std::fflush(stdout);
}

const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

// Restores the terminal, then lets the signal do what it would have done:
// the handler is reset on entry and the signal stays blocked until it returns.
void restore_and_reraise(int sig) {
  const int saved_errno = errno;
  tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_mode);
  raise(sig);
  errno = saved_errno;
}

// Prompts, then takes one key from the terminal without Enter and without
// echo. The terminal is switched before the prompt appears, dropping the keys
// typed while the run went on, so only a key pressed at the prompt ends the
// wait. Whatever stdio may hold of earlier input is left: the key is read
// from the terminal itself.
void prompt_and_read_key_from_terminal() {
  if (tcgetattr(STDIN_FILENO, &g_saved_mode) != 0) {
    print_prompt();
    char byte;
    while (read(STDIN_FILENO, &byte, 1) == -1 && errno == EINTR) {
    }
    return;
  }
  struct sigaction previous[kSignalCount];
  struct sigaction restore {};
  restore.sa_handler = restore_and_reraise;
  // sa_flags is an int, and glibc spells this flag as the unsigned 0x80000000:
  // the int's sign bit, meant as a bit.
  restore.sa_flags = static_cast<decltype(restore.sa_flags)>(SA_RESETHAND);
  sigemptyset(&restore.sa_mask);
  // A signal the program was started to ignore stays ignored.
  bool replaced[kSignalCount] = {};
  for (int i = 0; i < kSignalCount; ++i) {
    sigaction(kEndingSignals[i], nullptr, &previous[i]);
    if (previous[i].sa_handler == SIG_DFL) {
      replaced[i] = sigaction(kEndingSignals[i], &restore, nullptr) == 0;
    }
  }

  termios one_key = g_saved_mode;
  one_key.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  one_key.c_cc[VMIN] = 1;
  one_key.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &one_key);

  print_prompt();
  char byte;
  while (read(STDIN_FILENO, &byte, 1) == -1 && errno == EINTR) {
  }

  // Back to the saved mode, dropping the rest of a key that sent several
  // bytes (an arrow key), so that none of it reaches the next reader.
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved_mode);
  for (int i = 0; i < kSignalCount; ++i) {
    if (replaced[i]) sigaction(kEndingSignals[i], &previous[i], nullptr);
  }
}

}  // namespace

void console_wait_for_key() {
  if (isatty(STDIN_FILENO)) {
    prompt_and_read_key_from_terminal();
  } else {
    print_prompt();
    std::getchar();
  }
  std::fputs("\n", stdout);
  std::fflush(stdout);
}
