// What the command line says about a run: an optional port name, then an
// optional baud rate; anything after those is ignored.
#ifndef VR815_COMMAND_LINE_H
#define VR815_COMMAND_LINE_H

#include <cstdint>
#include <string>

/// Baud rate of a run whose command line gives none.
constexpr int32_t kDefaultBaud = 115200;

struct RunArguments {
  bool port_given = false;  ///< false: the port comes from the dialogue
  std::string port;         ///< the first argument, verbatim
  int32_t baud = kDefaultBaud;
};

/// Reads argv[1] as the port and argv[2] as the baud rate, the latter the
/// way atoi reads it but saturating at the signed 32-bit limits; text
/// without a number gives 0. Neither value is checked.
RunArguments read_run_arguments(int argc, const char* const* argv);

#endif  // VR815_COMMAND_LINE_H
