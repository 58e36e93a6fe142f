// vr815-sim: the simulated device on the master side of a pseudo-terminal.
// The program a host talks to opens the terminal's other side, whose path is
// the first line of standard output.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "sim_options.h"
#include "sim_session.h"

namespace {

using Clock = std::chrono::steady_clock;
using vr815::sim::Options;

volatile sig_atomic_t g_stop = 0;

void on_stop_signal(int) { g_stop = 1; }

struct Pty {
  int master = -1;
  int slave = -1;  ///< kept open so the line stays up between host sessions
  std::string path;
};

bool open_pty(Pty* pty) {
  pty->master = posix_openpt(O_RDWR | O_NOCTTY);
  if (pty->master < 0 || grantpt(pty->master) != 0 ||
      unlockpt(pty->master) != 0) {
    return false;
  }
  const char* name = ptsname(pty->master);
  if (name == nullptr) return false;
  pty->path = name;
  fcntl(pty->master, F_SETFD, FD_CLOEXEC);
  fcntl(pty->master, F_SETFL, fcntl(pty->master, F_GETFL) | O_NONBLOCK);
  pty->slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (pty->slave < 0) return false;
  // Raw from the start: no echo of answers, no line editing of requests.
  termios tio{};
  if (tcgetattr(pty->slave, &tio) != 0) return false;
  cfmakeraw(&tio);
  return tcsetattr(pty->slave, TCSANOW, &tio) == 0;
}

void close_pty(Pty* pty) {
  if (pty->master >= 0) close(pty->master);
  if (pty->slave >= 0) close(pty->slave);
  pty->master = pty->slave = -1;
}

/// Blocks SIGTERM and SIGINT outside the wait; *wait_mask unblocks them.
void catch_stop_signals(sigset_t* wait_mask) {
  struct sigaction sa {};
  sa.sa_handler = on_stop_signal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
  sigset_t block;
  sigemptyset(&block);
  sigaddset(&block, SIGTERM);
  sigaddset(&block, SIGINT);
  sigprocmask(SIG_BLOCK, &block, wait_mask);
  sigdelset(wait_mask, SIGTERM);
  sigdelset(wait_mask, SIGINT);
}

struct Pending {
  Clock::time_point due;
  std::vector<uint8_t> bytes;
};

/// Writes the answers that are due; what the line cannot take now stays.
void send_due(int master, std::deque<Pending>* queue) {
  while (!queue->empty() && queue->front().due <= Clock::now()) {
    std::vector<uint8_t>& b = queue->front().bytes;
    const ssize_t n = write(master, b.data(), b.size());
    if (n < 0) return;
    b.erase(b.begin(), b.begin() + n);
    if (!b.empty()) return;
    queue->pop_front();
  }
}

int wait_ms(const std::deque<Pending>& queue) {
  if (queue.empty()) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      queue.front().due - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) + 1 : 0;
}

int run(Pty* pty, const Options& options, std::FILE* log,
        const sigset_t& wait_mask) {
  vr815::sim::Session session = vr815::sim::new_session(options);
  std::deque<Pending> queue;
  while (!g_stop) {
    pollfd p{pty->master, POLLIN, 0};
    int ms = wait_ms(queue);
    if (ms == 0) {
      // An answer is due: wait until the line can take it.
      p.events |= POLLOUT;
      ms = -1;
    }
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    const int r = ppoll(pty->master >= 0 ? &p : nullptr,
                        pty->master >= 0 ? 1 : 0, ms < 0 ? nullptr : &ts,
                        &wait_mask);
    if (r < 0) continue;  // EINTR: a stop signal, checked by the loop
    if (pty->master < 0) continue;
    if (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) {
      uint8_t buf[512];
      const ssize_t n = read(pty->master, buf, sizeof buf);
      const auto arrived = Clock::now();
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        // The line is gone: wait for the stop signal.
        close_pty(pty);
        continue;
      }
      if (n > 0) {
        for (const auto& e : vr815::sim::take_bytes(
                 session, options, buf, static_cast<size_t>(n))) {
          if (log != nullptr) {
            std::fprintf(log, "%s\n", e.log_line.c_str());
            std::fflush(log);
          }
          if (e.hang_up) {
            close_pty(pty);
            queue.clear();
            break;
          }
          if (!e.answer.empty()) {
            queue.push_back(
                {arrived + std::chrono::milliseconds(options.delay_ms),
                 e.answer});
          }
        }
      }
    }
    if (pty->master >= 0) send_due(pty->master, &queue);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const vr815::sim::ParsedOptions parsed =
      vr815::sim::parse_options(std::vector<std::string>(argv + 1, argv + argc));
  if (parsed.outcome == vr815::sim::ParseOutcome::Error) {
    std::fprintf(stderr, "vr815-sim: %s (try --help)\n", parsed.error.c_str());
    return 2;
  }
  if (parsed.outcome == vr815::sim::ParseOutcome::Help) {
    std::fputs(vr815::sim::usage_text(), stdout);
    return 0;
  }
  const Options& options = parsed.options;
  std::FILE* log = nullptr;
  if (!options.log_path.empty()) {
    log = std::fopen(options.log_path.c_str(), "w");
    if (log == nullptr) {
      std::fprintf(stderr, "vr815-sim: cannot open log file '%s'\n",
                   options.log_path.c_str());
      return 1;
    }
  }
  Pty pty;
  if (!open_pty(&pty)) {
    std::fprintf(stderr, "vr815-sim: cannot open a pseudo-terminal\n");
    return 1;
  }
  if (options.hangup_after == uint64_t{0}) {
    // Down from the start: the terminal is gone before its path is told.
    // The other side stays open, so that its number is not handed to a new
    // terminal while the sim runs.
    close(pty.master);
    pty.master = -1;
  }
  sigset_t wait_mask;
  catch_stop_signals(&wait_mask);
  std::printf("%s\n", pty.path.c_str());
  std::fflush(stdout);
  const int status = run(&pty, options, log, wait_mask);
  close_pty(&pty);
  if (log != nullptr) std::fclose(log);
  return status;
}
