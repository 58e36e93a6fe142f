// Arbitrary bytes as a received frame, for both directions of the protocol.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "protocol.h"

using namespace vr815::protocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  for (uint8_t marker : {kRequestMarker, kReplyMarker}) {
    Frame frame;
    const ParseResult r =
        parse_frame(bytes.data(), bytes.size(), marker, &frame);
    if (r.outcome == Parse::Complete) {
      // A frame that parses re-encodes to the very same bytes.
      std::vector<uint8_t> again;
      append_frame(again, frame.marker, frame.command, frame.param,
                   frame.payload.data(), frame.payload.size(), frame.tag);
      if (r.size > bytes.size() ||
          !std::equal(again.begin(), again.end(), bytes.begin()) ||
          again.size() != r.size) {
        __builtin_trap();
      }
    } else if (r.outcome == Parse::Incomplete && r.size <= bytes.size()) {
      __builtin_trap();
    }
  }
  return 0;
}
