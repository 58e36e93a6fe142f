// A vr815-sim process for tests: started with options, its pseudo-terminal
// read from its first line, stopped and reaped when the test is done.
#ifndef VR815_SIM_PROCESS_H
#define VR815_SIM_PROCESS_H

#include <signal.h>

#include <string>
#include <vector>

#include "program_run.h"

namespace vr815::test {

class SimProcess {
 public:
  /// Starts vr815-sim with the options (e.g. {"--fail", "SET_DELAY=7"}) and
  /// waits up to 5 s for its first line. With log, the sim also gets
  /// --log with a new temporary file, removed again by the destructor.
  explicit SimProcess(const std::vector<std::string>& options = {},
                      bool log = false);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  /// The pseudo-terminal's path; empty when the sim did not start.
  const std::string& port() const { return port_; }
  /// The sim's process id; -1 once it is stopped or when it did not start.
  pid_t pid() const { return program_.pid; }
  /// The log's lines so far, without line ends (the sim flushes each one
  /// before it answers the frame).
  std::vector<std::string> log_lines() const;
  /// Sends the signal (SIGTERM unless told) and reaps the sim, waiting up to
  /// 2 s before SIGKILL. The exit status (0 to 255), 128 + the signal when a
  /// signal ended it, -1 when it never started; the same value on every
  /// later call.
  int stop(int signal = SIGTERM);
  /// Waits up to timeout_ms for the sim to end by itself: its status as
  /// stop gives it, or -1 while it still runs.
  int wait_for_exit(int timeout_ms);

 private:
  Background program_;
  int status_ = -1;
  std::string port_;
  std::string log_path_;
};

struct SimRun {
  int status;       ///< as SimProcess::stop; -1 when it could not start
  std::string out;  ///< standard output
  std::string err;  ///< standard error
};

/// Runs vr815-sim with the options until it exits by itself, for at most
/// timeout_ms (then it is killed and the status tells the signal).
SimRun run_sim(const std::vector<std::string>& options, int timeout_ms = 5000);

/// vr815-sim with the options, hosting the program with --run; one key
/// press on standard input for a harness's final wait.
Invocation hosted_run(const std::vector<std::string>& options,
                      const std::vector<std::string>& program,
                      int timeout_ms = 30000);

/// The port a harness's report says it opened; empty when it says none.
std::string reported_port(const std::string& report);

}  // namespace vr815::test

#endif  // VR815_SIM_PROCESS_H
