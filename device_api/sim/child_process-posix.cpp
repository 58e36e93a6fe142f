// The hosted program on POSIX systems: posix_spawnp in the device's own
// process group, so that a terminal's Ctrl-C reaches both, with the signals
// the device catches or ignores back at their defaults and no descriptor of
// the device's but the standard streams.
#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "child_process.h"

extern char** environ;

namespace vr815::sim {

namespace {

/// How often wait looks at a program asked to stop.
constexpr int kPollMs = 5;

int exit_status(int wstatus) {
  if (WIFSIGNALED(wstatus)) return kSignalStatusBase + WTERMSIG(wstatus);
  return WEXITSTATUS(wstatus);
}

class PosixChild : public ChildProcess {
 public:
  explicit PosixChild(pid_t pid) : pid_(pid) {}
  ~PosixChild() override {
    if (reaped_) return;
    kill(pid_, SIGKILL);
    reap(0);
  }

  bool ended(int* status) override {
    if (!reaped_) reap(WNOHANG);
    *status = status_;
    return reaped_;
  }

  int stop() override {
    if (reaped_) return status_;
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(kStopGraceMs);
    while (!reap(WNOHANG) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    if (!reaped_) {
      kill(pid_, SIGKILL);
      reap(0);
    }
    return status_;
  }

 private:
  /// waitpid with the flags; true once the program is reaped.
  bool reap(int flags) {
    int wstatus = 0;
    pid_t r;
    do {
      r = waitpid(pid_, &wstatus, flags);
    } while (r < 0 && errno == EINTR);
    if (r == pid_) {
      status_ = exit_status(wstatus);
      reaped_ = true;
    } else if (r < 0) {
      reaped_ = true;  // not ours to wait for any more
    }
    return reaped_;
  }

  pid_t pid_;
  bool reaped_ = false;
  int status_ = 1;
};

}  // namespace

StartedChild start_child(const std::vector<std::string>& program,
                         const std::string& line_name) {
  StartedChild started;
  std::vector<std::string> command = put_line_name(program, line_name);
  std::vector<char*> argv;
  for (std::string& arg : command) argv.push_back(arg.data());
  argv.push_back(nullptr);

  // What the device set for itself is not the program's: it gets the
  // default for every signal the device handles or ignores, and no mask.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, sig);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  // Nor are its descriptors, however they were opened: the log, the line,
  // what the device itself inherited.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  pid_t pid = -1;
  const int rc =
      posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    started.error = "cannot start '" + program.front() + "': " + strerror(rc);
    return started;
  }
  started.child = std::make_unique<PosixChild>(pid);
  return started;
}

}  // namespace vr815::sim
