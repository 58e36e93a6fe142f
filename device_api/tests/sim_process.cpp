#include "sim_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace vr815::test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 2000;

int remaining_ms(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

int exit_code(int wstatus) {
  if (WIFEXITED(wstatus)) return WEXITSTATUS(wstatus);
  if (WIFSIGNALED(wstatus)) return 128 + WTERMSIG(wstatus);
  return -1;
}

/// Starts the sim with standard output (and standard error when err_fd is
/// not null) on pipes. The pid, or -1.
pid_t spawn_sim(const std::vector<std::string>& options, int* out_fd,
                int* err_fd) {
  int out[2] = {-1, -1};
  int err[2] = {-1, -1};
  if (pipe2(out, O_CLOEXEC) != 0) return -1;
  if (err_fd != nullptr && pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return -1;
  }
  std::vector<std::string> args{sim_path()};
  args.insert(args.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (err_fd != nullptr) {
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  }
  pid_t pid = -1;
  const int rc =
      posix_spawn(&pid, sim_path(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (err_fd != nullptr) close(err[1]);
  if (rc != 0) {
    close(out[0]);
    if (err_fd != nullptr) close(err[0]);
    return -1;
  }
  *out_fd = out[0];
  if (err_fd != nullptr) *err_fd = err[0];
  return pid;
}

/// Reads one line (without its end) from fd within the deadline.
bool read_line(int fd, Clock::time_point deadline, std::string* line) {
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    const int r = poll(&p, 1, remaining_ms(deadline));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    char c = 0;
    const ssize_t n = read(fd, &c, 1);
    if (n <= 0) return false;
    if (c == '\n') return true;
    line->push_back(c);
  }
}

/// Reaps pid within timeout_ms; SIGKILL and a blocking wait after that.
int reap(pid_t pid, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  int wstatus = 0;
  for (;;) {
    const pid_t r = waitpid(pid, &wstatus, WNOHANG);
    if (r == pid) return exit_code(wstatus);
    if (r < 0 && errno != EINTR) return -1;
    if (Clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  kill(pid, SIGKILL);
  while (waitpid(pid, &wstatus, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return exit_code(wstatus);
}

std::string temp_log_file() {
  const std::string pattern =
      (std::filesystem::temp_directory_path() / "vr815-sim-log-XXXXXX")
          .string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) return {};
  close(fd);
  return name.data();
}

}  // namespace

const char* sim_path() { return VR815_SIM_PATH; }

SimProcess::SimProcess(const std::vector<std::string>& options, bool log) {
  std::vector<std::string> args = options;
  if (log) {
    log_path_ = temp_log_file();
    args.push_back("--log");
    args.push_back(log_path_);
  }
  pid_ = spawn_sim(args, &out_fd_, nullptr);
  if (pid_ < 0) return;
  std::string line;
  const auto deadline =
      Clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  if (read_line(out_fd_, deadline, &line) && !line.empty()) {
    port_ = line;
  } else {
    stop();
  }
}

SimProcess::~SimProcess() {
  stop();
  if (!log_path_.empty()) std::remove(log_path_.c_str());
}

std::vector<std::string> SimProcess::log_lines() const {
  std::vector<std::string> lines;
  std::ifstream in(log_path_);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int SimProcess::stop(int signal) {
  if (pid_ > 0) {
    kill(pid_, signal);
    status_ = reap(pid_, kStopTimeoutMs);
    pid_ = -1;
  }
  if (out_fd_ >= 0) {
    close(out_fd_);
    out_fd_ = -1;
  }
  return status_;
}

int SimProcess::wait_for_exit(int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (pid_ > 0) {
    int wstatus = 0;
    const pid_t r = waitpid(pid_, &wstatus, WNOHANG);
    if (r == pid_) {
      status_ = exit_code(wstatus);
      pid_ = -1;
    } else if (Clock::now() >= deadline) {
      return -1;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  return status_;
}

SimRun run_sim(const std::vector<std::string>& options, int timeout_ms) {
  SimRun run{-1, {}, {}};
  int out_fd = -1;
  int err_fd = -1;
  const pid_t pid = spawn_sim(options, &out_fd, &err_fd);
  if (pid < 0) return run;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* texts[2] = {&run.out, &run.err};
  int open_fds = 2;
  while (open_fds > 0) {
    const int r = poll(fds, 2, remaining_ms(deadline));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buf[512];
      const ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        texts[i]->append(buf, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_fds;
      }
    }
  }
  for (pollfd& p : fds) {
    if (p.fd >= 0) close(p.fd);
  }
  run.status = reap(pid, remaining_ms(deadline));
  return run;
}

}  // namespace vr815::test
