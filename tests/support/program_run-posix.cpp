#include "program_run.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "test_clock.h"

namespace vr815::test {

namespace {

/// How often a program whose output has ended is looked at until it exits.
constexpr int kReapPollMs = 1;

struct Child {
  size_t index = 0;
  pid_t pid = -1;
  int in = -1;  ///< our end of its standard input
  int out = -1;
  int err = -1;
  size_t written = 0;
  Clock::time_point start;
  Clock::time_point deadline;
};

void close_fd(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

int exit_code(int wstatus) {
  if (WIFEXITED(wstatus)) return WEXITSTATUS(wstatus);
  if (WIFSIGNALED(wstatus)) return 128 + WTERMSIG(wstatus);
  return -1;
}

/// Our ends of the pipes on a child's standard streams; -1 for a stream it
/// shares with us.
struct Pipes {
  int in = -1;
  int out = -1;
  int err = -1;
};

/// Starts argv[0] with the standard streams asked for on pipes, the others
/// inherited, and with the parent-death signal that ends it with the test.
/// (That signal comes when the thread that started the program ends: tests
/// run programs from their main thread.) The pid, or -1.
pid_t spawn(const std::vector<std::string>& args, bool in_pipe, bool err_pipe,
            Pipes* ours) {
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  int err[2] = {-1, -1};
  int exec_error[2] = {-1, -1};  ///< errno of a failed exec, else closed
  const auto close_all = [&] {
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1], exec_error[0],
                   exec_error[1]}) {
      if (fd >= 0) close(fd);
    }
  };
  if (args.empty() || (in_pipe && pipe2(in, O_CLOEXEC) != 0) ||
      pipe2(out, O_CLOEXEC) != 0 || (err_pipe && pipe2(err, O_CLOEXEC) != 0) ||
      pipe2(exec_error, O_CLOEXEC) != 0) {
    close_all();
    return -1;
  }
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t test = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    // Only what is safe between fork and exec.
    if (in_pipe) dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    if (err_pipe) dup2(err[1], STDERR_FILENO);
    // The program gets the default action for SIGPIPE, which we ignore.
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &default_action, nullptr);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // A test that died before that has no signal coming: no start then.
    if (getppid() == test) execv(argv[0], argv.data());
    const int error = errno;
    (void)!write(exec_error[1], &error, sizeof error);
    _exit(127);
  }
  if (pid < 0) {
    close_all();
    return -1;
  }
  close_fd(&exec_error[1]);
  int error = 0;
  ssize_t n;
  do {
    n = read(exec_error[0], &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  if (n > 0) {  // not started; the child has exited
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    close_all();
    return -1;
  }
  close_fd(&exec_error[0]);
  for (int* child_end : {&in[0], &out[1], &err[1]}) close_fd(child_end);
  ours->in = in[1];
  ours->out = out[0];
  ours->err = err[0];
  return pid;
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
    std::this_thread::sleep_for(std::chrono::milliseconds(kReapPollMs));
  }
  kill(pid, SIGKILL);
  while (waitpid(pid, &wstatus, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return exit_code(wstatus);
}

/// Starts the program with its three standard streams on pipes.
bool start(const Invocation& invocation, Child* c) {
  Pipes pipes;
  c->start = Clock::now();
  c->pid = spawn(invocation.argv, true, true, &pipes);
  if (c->pid < 0) return false;
  c->in = pipes.in;
  c->out = pipes.out;
  c->err = pipes.err;
  fcntl(c->in, F_SETFL, fcntl(c->in, F_GETFL) | O_NONBLOCK);
  if (invocation.input.empty()) close_fd(&c->in);
  c->deadline = c->start + std::chrono::milliseconds(invocation.timeout_ms);
  return true;
}

void feed(const Invocation& invocation, Child* c) {
  const ssize_t n = write(c->in, invocation.input.data() + c->written,
                          invocation.input.size() - c->written);
  if (n > 0) c->written += static_cast<size_t>(n);
  // A program that stops reading gets no more.
  if ((n < 0 && errno != EAGAIN && errno != EINTR) ||
      c->written == invocation.input.size()) {
    close_fd(&c->in);
  }
}

void drain(int* fd, std::string* text) {
  char buf[65536];
  const ssize_t n = read(*fd, buf, sizeof buf);
  if (n > 0) {
    text->append(buf, static_cast<size_t>(n));
  } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
    close_fd(fd);
  }
}

/// Reaps the child once its output has ended, or kills it at its deadline.
/// True when it is done.
bool finish(Child* c, ProgramResult* r) {
  int wstatus = 0;
  if (c->out < 0 && c->err < 0) {
    const pid_t w = waitpid(c->pid, &wstatus, WNOHANG);
    if (w == c->pid) {
      r->status = exit_code(wstatus);
      r->seconds =
          std::chrono::duration<double>(Clock::now() - c->start).count();
      close_fd(&c->in);
      return true;
    }
  }
  if (Clock::now() < c->deadline) return false;
  kill(c->pid, SIGKILL);
  while (waitpid(c->pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  r->status = exit_code(wstatus);
  r->timed_out = true;
  r->seconds = std::chrono::duration<double>(Clock::now() - c->start).count();
  close_fd(&c->in);
  close_fd(&c->out);
  close_fd(&c->err);
  return true;
}

int poll_timeout_ms(const std::vector<Child>& running) {
  auto next = Clock::time_point::max();
  for (const Child& c : running) {
    if (c.out < 0 && c.err < 0) return kReapPollMs;
    next = std::min(next, c.deadline);
  }
  return next == Clock::time_point::max() ? 0 : remaining_ms(next) + 1;
}

}  // namespace

std::vector<ProgramResult> run_programs(
    const std::vector<Invocation>& invocations, size_t at_once) {
  signal(SIGPIPE, SIG_IGN);
  std::vector<ProgramResult> results(invocations.size());
  std::vector<Child> running;
  size_t next = 0;
  while (next < invocations.size() || !running.empty()) {
    while (running.size() < std::max<size_t>(at_once, 1) &&
           next < invocations.size()) {
      Child c;
      c.index = next++;
      if (start(invocations[c.index], &c)) running.push_back(c);
    }

    struct Watched {
      Child* child;
      int* fd;
    };
    std::vector<pollfd> fds;
    std::vector<Watched> watched;
    for (Child& c : running) {
      if (c.in >= 0) {
        fds.push_back({c.in, POLLOUT, 0});
        watched.push_back({&c, &c.in});
      }
      for (int* fd : {&c.out, &c.err}) {
        if (*fd < 0) continue;
        fds.push_back({*fd, POLLIN, 0});
        watched.push_back({&c, fd});
      }
    }
    const int ready = poll(fds.data(), fds.size(), poll_timeout_ms(running));
    if (ready < 0 && errno != EINTR) {
      for (Child& c : running) {
        c.deadline = Clock::now();
        finish(&c, &results[c.index]);
      }
      break;
    }
    for (size_t i = 0; ready > 0 && i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      Child* c = watched[i].child;
      ProgramResult& r = results[c->index];
      if (watched[i].fd == &c->in) {
        feed(invocations[c->index], c);
      } else {
        drain(watched[i].fd, watched[i].fd == &c->out ? &r.out : &r.err);
      }
    }
    running.erase(std::remove_if(running.begin(), running.end(),
                                 [&results](Child& c) {
                                   return finish(&c, &results[c.index]);
                                 }),
                  running.end());
  }
  return results;
}

ProgramResult run_program(const Invocation& invocation) {
  return run_programs({invocation}, 1).front();
}

Background start_background(const std::vector<std::string>& argv) {
  Background program;
  Pipes pipes;
  program.pid = spawn(argv, false, false, &pipes);
  program.out = pipes.out;
  return program;
}

bool read_output_line(const Background& program, int timeout_ms,
                      std::string* line) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    pollfd p{program.out, POLLIN, 0};
    const int r = poll(&p, 1, remaining_ms(deadline));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    char c = 0;
    if (read(program.out, &c, 1) <= 0) return false;
    if (c == '\n') return true;
    line->push_back(c);
  }
}

int wait_background(Background* program, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (program->pid > 0) {
    int wstatus = 0;
    const pid_t r = waitpid(program->pid, &wstatus, WNOHANG);
    if (r == program->pid || (r < 0 && errno != EINTR)) {
      program->pid = -1;
      close_fd(&program->out);
      return r < 0 ? -1 : exit_code(wstatus);
    }
    if (Clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(kReapPollMs));
  }
  return -1;
}

int stop_background(Background* program, int signal, int timeout_ms) {
  int status = -1;
  if (program->pid > 0) {
    kill(program->pid, signal);
    status = reap(program->pid, timeout_ms);
    program->pid = -1;
  }
  close_fd(&program->out);
  return status;
}

}  // namespace vr815::test
