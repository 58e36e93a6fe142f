// Command line of vr815-sim.
#ifndef VR815_SIM_OPTIONS_H
#define VR815_SIM_OPTIONS_H

#include <cstdint>
#include <string>
#include <vector>

#include "sim_session.h"
#include "socket_address.h"

namespace vr815::sim {

/// The device's exit statuses, besides a hosted program's (child_process.h).
constexpr int kCannotOpenStatus = 1;  ///< the line or the log file
constexpr int kUsageStatus = 2;       ///< a bad option, or no line here

/// Baud rate of --port when --baud gives none.
constexpr int32_t kDefaultBaud = 115200;

struct Options {
  DeviceSettings settings;  ///< how the device answers, for its session
  std::string log_path;     ///< empty: no log
  /// Where the device is reached: a pseudo-terminal of its own, a TCP port
  /// it listens on, or an existing serial port.
  enum class Line { Pty, Listen, Port } line = Line::Pty;
  std::string listen;            ///< with Listen: [HOST:]PORT as given
  SocketAddress listen_address;  ///< the same, read
  std::string port;              ///< the port's name with Port
  int32_t baud = kDefaultBaud;
  bool once = false;  ///< exit when the first host leaves
  /// The program to host and its arguments, "{}" standing for the line's
  /// name; empty: none.
  std::vector<std::string> run;
};

enum class ParseOutcome { Run, Help, Version, Error };

struct ParsedOptions {
  ParseOutcome outcome = ParseOutcome::Run;
  Options options;
  std::string error;  ///< one line, without line end, for Error
};

/// Reads the arguments after the program name.
ParsedOptions parse_options(const std::vector<std::string>& args);

/// The text --help prints, made from the table of options.
const char* usage_text();

}  // namespace vr815::sim

#endif  // VR815_SIM_OPTIONS_H
