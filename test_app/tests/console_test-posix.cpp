#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console.h"
#include "expected_report.h"
#include "stdout_redirect.h"

namespace {

using Clock = std::chrono::steady_clock;
using vr815::test::capture_stdout;
using vr815::test::kKeyPrompt;
using vr815::test::with_stdin;
constexpr auto kPatience = std::chrono::seconds(5);

// A pseudo-terminal; the test keeps the slave open to read its mode.
struct Pty {
  int master = -1;
  int slave = -1;
  std::string slave_path;
  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
    slave_path = ptsname(master);
    slave = open(slave_path.c_str(), O_RDWR | O_NOCTTY);
  }
  ~Pty() {
    if (slave >= 0) close(slave);
    if (master >= 0) close(master);
  }
  void type(const char* keys) const {
    ASSERT_EQ(write(master, keys, std::char_traits<char>::length(keys)),
              static_cast<ssize_t>(std::char_traits<char>::length(keys)));
  }
};

// A child process whose standard input is the terminal (its controlling
// one) and whose standard output is a pipe to the test. It waits for the
// test's go, then waits for a key, and exits with 0 when the terminal's
// mode afterwards is the one from before.
struct KeyWaiter {
  pid_t pid = -1;
  int out = -1;  // the child's standard output
  int go = -1;   // one byte lets the child start waiting

  explicit KeyWaiter(const Pty& pty) {
    int out_pipe[2];
    int go_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(go_pipe) != 0) return;
    pid = fork();
    if (pid == 0) {
      close(out_pipe[0]);
      close(go_pipe[1]);
      setsid();
      const int tty = open(pty.slave_path.c_str(), O_RDWR);
      if (tty < 0) _exit(2);
      dup2(tty, STDIN_FILENO);
      dup2(out_pipe[1], STDOUT_FILENO);
      signal(SIGINT, SIG_DFL);
      char byte;
      if (read(go_pipe[0], &byte, 1) != 1) _exit(2);
      termios before{};
      tcgetattr(STDIN_FILENO, &before);
      console_wait_for_key();
      termios after{};
      tcgetattr(STDIN_FILENO, &after);
      const bool same = before.c_lflag == after.c_lflag &&
                        before.c_iflag == after.c_iflag &&
                        before.c_cc[VMIN] == after.c_cc[VMIN] &&
                        before.c_cc[VTIME] == after.c_cc[VTIME];
      _exit(same ? 0 : 3);
    }
    close(out_pipe[1]);
    close(go_pipe[0]);
    out = out_pipe[0];
    go = go_pipe[1];
  }

  ~KeyWaiter() {
    if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (out >= 0) close(out);
    if (go >= 0) close(go);
  }

  void start() const { ASSERT_EQ(write(go, "g", 1), 1); }

  // What the child printed, once the text has appeared or the patience ran
  // out.
  std::string read_until(const std::string& text) const {
    std::string got;
    const auto deadline = Clock::now() + kPatience;
    while (got.find(text) == std::string::npos && Clock::now() < deadline) {
      pollfd p{out, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      char chunk[256];
      const ssize_t n = read(out, chunk, sizeof chunk);
      if (n <= 0) break;
      got.append(chunk, static_cast<size_t>(n));
    }
    return got;
  }

  bool still_waiting() const { return waitpid(pid, nullptr, WNOHANG) == 0; }

  // The raw wait status once the child has ended; -1 when it did not end in
  // time.
  int wait_status() {
    const auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return status;
      }
      usleep(10000);
    }
    return -1;
  }
};

TEST(ConsoleWaitForKey, OneKeyAtThePromptWithoutEnter) {
  Pty pty;
  ASSERT_GE(pty.slave, 0);
  KeyWaiter child(pty);
  ASSERT_GT(child.pid, 0);

  // Typed while the run went on: must not end the wait. Let the terminal
  // take the line in before the child starts.
  pty.type("early\n");
  int pending = 0;
  const auto deadline = Clock::now() + kPatience;
  while (pending == 0 && Clock::now() < deadline) {
    ioctl(pty.slave, FIONREAD, &pending);
    if (pending == 0) usleep(1000);
  }
  ASSERT_GT(pending, 0);
  child.start();

  ASSERT_EQ(child.read_until(kKeyPrompt), kKeyPrompt);
  usleep(100000);
  EXPECT_TRUE(child.still_waiting()) << "typed-ahead input ended the wait";

  pty.type("k");
  EXPECT_EQ(child.read_until("\n"), "\n");
  const int status = child.wait_status();
  ASSERT_TRUE(WIFEXITED(status)) << "no return after one key";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "terminal mode not restored";
}

TEST(ConsoleWaitForKey, InterruptRestoresTheTerminal) {
  Pty pty;
  ASSERT_GE(pty.slave, 0);
  termios before{};
  ASSERT_EQ(tcgetattr(pty.slave, &before), 0);
  KeyWaiter child(pty);
  ASSERT_GT(child.pid, 0);
  child.start();
  ASSERT_EQ(child.read_until(kKeyPrompt), kKeyPrompt);

  pty.type("\x03");  // Ctrl-C
  const int status = child.wait_status();
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  termios after{};
  ASSERT_EQ(tcgetattr(pty.slave, &after), 0);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
}

TEST(ConsoleWaitForKey, InputThatIsNotATerminal) {
  struct Case {
    const char* input;
    int left;  // the next byte of input after the wait
  };
  for (const Case& c : {Case{"xy", 'y'}, Case{"", EOF}}) {
    SCOPED_TRACE(c.input);
    int left = 0;
    std::string out;
    with_stdin(c.input, [&] {
      out = capture_stdout(console_wait_for_key);
      left = std::getchar();
    });
    EXPECT_EQ(out, std::string(kKeyPrompt) + "\n");
    EXPECT_EQ(left, c.left);
  }
}

TEST(ConsoleSleep, WaitsAtLeastTheTimeGiven) {
  const auto start = Clock::now();
  console_sleep_ms(30);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(30));
  EXPECT_LT(took, std::chrono::milliseconds(1000));
}

}  // namespace
