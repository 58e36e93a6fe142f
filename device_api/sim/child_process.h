// The program the simulated device hosts with --run: started on the
// console's standard streams, looked at while the device serves, and ended
// with the device as ChildProcess says. child_process-posix.cpp,
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
/// A program a signal ended exits with this plus the signal, as shells give
/// it (POSIX systems).
constexpr int kSignalStatusBase = 128;
/// How long a program asked to stop has before it is killed.
constexpr int kStopGraceMs = 5000;

/// A started program. It inherits the device's standard streams, and with
/// them the console, and nothing else of the device's: no file, line or
/// socket the device holds, however that was opened or inherited.
///
/// What ends it, and what else that ends:
/// - POSIX systems: the program alone, on the device's ways out (a device
///   killed outright leaves it running). It runs in the device's process
///   group, where a terminal's Ctrl-C reaches both; programs it started are
///   its own to end.
/// - Windows: the program and every program it started, one job: a stop
///   ends them all, and so does the device's end, however the device ends
///   (the program alone when the system refuses the device a job).
class ChildProcess {
 public:
  /// Ends the program if it still runs, without a grace time (SIGKILL on
  /// POSIX systems; on Windows, with the programs it started), and reaps it.
  virtual ~ChildProcess() = default;
  /// Whether the program has ended, its exit status then in *status; does
  /// not wait. The status is 128 + the signal when a signal ended it on a
  /// POSIX system.
  virtual bool ended(int* status) = 0;
  /// Ends the program, waiting up to kStopGraceMs: its exit status. On POSIX
  /// systems it gets SIGTERM, and SIGKILL after kStopGraceMs. Windows has no
  /// request to end: the job ends at once, every program with status 1.
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
