// What the stand-ins for the maker's VR815_DLL share, whatever their header
// declares: the frames of stage 0 as our library builds and prints them (so
// that a run's report is the exact expected one), and how a device function
// answers. Every stand-in expects the run "vr815-test COM7": the port, the
// baud rate and every argument of the sequence are checked, and a call made
// with other arguments answers kWrongArguments.
#ifndef VR815_STAND_IN_H
#define VR815_STAND_IN_H

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "frame_check_table.h"

namespace stand_in {

/// The status of a call made with other arguments than the harness's.
constexpr int32_t kWrongArguments = -999;

/// The port the runs name.
constexpr char kPort[] = "COM7";
constexpr int32_t kBaud = 115200;

/// True for the run's port and baud rate.
inline bool expected_open(const char* port, long long baud) {
  return port != nullptr && std::strcmp(port, kPort) == 0 && baud == kBaud;
}

/// The status of a call to function: the refusal's code when it is the
/// refused function, kWrongArguments when the arguments were not the
/// expected ones, else 0.
inline int32_t answer(const char* function, bool arguments_as_expected,
                      const char* refused, int32_t refused_code) {
  if (!arguments_as_expected) return kWrongArguments;
  return std::strcmp(function, refused) == 0 ? refused_code : 0;
}

/// The bytes our library builds for a request of stage 0; for any other
/// request 0xEE and the command, which no expected report shows.
inline std::vector<uint8_t> frame_bytes(unsigned command, unsigned param,
                                        const std::vector<uint32_t>& words) {
  for (const vr815::test::FrameRow& row : vr815::test::frame_check_rows()) {
    if (row.command == command && row.param == param && row.words == words) {
      return vr815::test::bytes_of(row.hex);
    }
  }
  return {0xEE, static_cast<uint8_t>(command)};
}

/// Appends the frame for the request to a frame of the header's type.
template <class Frame, class Words>
void append_frame(Frame& frame, unsigned command, unsigned param,
                  const Words& words) {
  const std::vector<uint32_t> values(words.begin(), words.end());
  for (const uint8_t byte : frame_bytes(command, param, values)) {
    frame.push_back(byte);
  }
}

/// Prints the label (when not null) and the frame as our library does:
/// upper-case hex pairs between single blanks, then a line end.
template <class Frame>
void print_frame(const Frame& frame, const char* label) {
  const std::string hex =
      vr815::test::hex_of(std::vector<uint8_t>(frame.begin(), frame.end()));
  std::printf("%s%s\n", label == nullptr ? "" : label, hex.c_str());
  std::fflush(stdout);
}

}  // namespace stand_in

#endif  // VR815_STAND_IN_H
