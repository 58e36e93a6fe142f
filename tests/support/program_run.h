// Runs programs for tests as an operator would: arguments, standard input,
// and what they print, how they end and how long they take. Several at
// once, since a run of vr815-test spends most of its time waiting. The
// simulated-device fixture (sim_process.h) starts its programs here too.
// Every program started here ends with the test: it gets SIGTERM when the
// test process dies, however that dies (CTest kills a test at its time limit
// with SIGKILL, and no destructor runs then).
#ifndef VR815_TEST_PROGRAM_RUN_H
#define VR815_TEST_PROGRAM_RUN_H

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace vr815::test {

struct Invocation {
  std::vector<std::string> argv;  ///< argv[0] is the program's path
  std::string input;              ///< standard input, then end of input
  int timeout_ms = 30000;         ///< killed when still running after this
};

struct ProgramResult {
  /// Exit status 0 to 255, 128 + the signal that ended it, -1 when it could
  /// not be started.
  int status = -1;
  bool timed_out = false;  ///< killed at the timeout
  std::string out;
  std::string err;
  double seconds = 0;  ///< from its start to its end
};

/// Runs every program, at most at_once of them at the same time, and gives
/// their results in the order given.
std::vector<ProgramResult> run_programs(
    const std::vector<Invocation>& invocations, size_t at_once);

/// Runs one program to its end or its timeout.
ProgramResult run_program(const Invocation& invocation);

/// A program left running: its standard output on a pipe, its standard
/// input and error the test's own.
struct Background {
  pid_t pid = -1;  ///< -1 when it could not be started
  int out = -1;    ///< the reading end of its standard output
};

/// Starts the program in the background.
Background start_background(const std::vector<std::string>& argv);

/// Reads one line of the program's output, without its end, waiting at most
/// timeout_ms in all; false at end of output or at the timeout.
bool read_output_line(const Background& program, int timeout_ms,
                      std::string* line);

/// Waits up to timeout_ms for the program to end by itself: its status as
/// ProgramResult's (the output pipe closed), or -1 while it still runs.
int wait_background(Background* program, int timeout_ms);

/// Sends the signal, closes the output pipe and reaps the program, with
/// SIGKILL after timeout_ms. The status as ProgramResult's; -1 when it was
/// not running.
int stop_background(Background* program, int signal, int timeout_ms);

}  // namespace vr815::test

#endif  // VR815_TEST_PROGRAM_RUN_H
