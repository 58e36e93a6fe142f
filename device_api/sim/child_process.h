// The program the simulated device hosts with --run: started on the
// console's standard streams, looked at while the device serves, and never
// left running after the device. child_process-posix.cpp,
// child_process-win32.cpp.
#ifndef VR815_SIM_CHILD_PROCESS_H
#define VR815_SIM_CHILD_PROCESS_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace vr815::sim {

/// The device's exit status when the program cannot be started, as shells
/// give it for a command they cannot run.
constexpr int kCannotStartStatus = 127;
/// How long a program asked to stop has before it is killed.
constexpr int kStopGraceMs = 5000;

class ChildProcess {
 public:
  /// Kills the program if it still runs, and reaps it.
  virtual ~ChildProcess() = default;
  /// Whether the program has ended, its exit status then in *status; does
  /// not wait. The status is 128 + the signal when a signal ended it on a
  /// POSIX system.
  virtual bool ended(int* status) = 0;
  /// Asks the program to end (SIGTERM on POSIX systems; Windows has no such
  /// request, and ends it at once), waits up to kStopGraceMs for it, then
  /// kills it: its exit status.
  virtual int stop() = 0;
};

struct StartedChild {
  std::unique_ptr<ChildProcess> child;  ///< null when it could not start
  std::string error;                    ///< one line, without line end
};

/// Starts program[0], looked up on PATH when it names no folder, with the
/// arguments after it, "{}" replaced by line_name (one implementation per
/// platform). The text is as the device's command line gave it: on Windows
/// in the ANSI code page, which the programs' manifest makes UTF-8
/// (vr815_program_manifest in cmake/Install.cmake).
StartedChild start_child(const std::vector<std::string>& program,
                         const std::string& line_name);

/// The program and its arguments with every argument that is exactly "{}"
/// replaced by the name, or the name appended when none is.
inline std::vector<std::string> put_line_name(std::vector<std::string> command,
                                              const std::string& name) {
  bool placed = false;
  for (size_t i = 1; i < command.size(); ++i) {
    if (command[i] == "{}") {
      command[i] = name;
      placed = true;
    }
  }
  if (!placed) command.push_back(name);
  return command;
}

}  // namespace vr815::sim

#endif  // VR815_SIM_CHILD_PROCESS_H
