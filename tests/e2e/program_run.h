// Runs whole programs as an operator would: arguments, standard input, and
// what they print, how they end and how long they take. Several at once,
// since a run of vr815-test spends most of its time waiting.
#ifndef VR815_E2E_PROGRAM_RUN_H
#define VR815_E2E_PROGRAM_RUN_H

#include <cstddef>
#include <string>
#include <vector>

namespace vr815::e2e {

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

ProgramResult run_program(const Invocation& invocation);

}  // namespace vr815::e2e

#endif  // VR815_E2E_PROGRAM_RUN_H
