// Arbitrary bytes as the reply to each of the protocol's commands, for the
// tag the bytes carry and for another one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "VR815_DLL.h"
#include "protocol.h"
#include "reply.h"

namespace proto = vr815::protocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const uint8_t carried =
      size > proto::kTagOffset ? data[proto::kTagOffset] : 0;
  for (const proto::Command& command : proto::kCommands) {
    for (const uint8_t tag : {carried, proto::next_tag(carried)}) {
      std::vector<uint8_t> payload;
      const vr815::ReplyCheck r = vr815::check_reply(
          bytes.data(), bytes.size(), command.code, tag, &payload);
      if (!r.complete) {
        if (r.need <= bytes.size()) __builtin_trap();
        continue;
      }
      // A reply dropped is a whole frame within the bytes, never a result.
      if (r.drop != 0 &&
          (r.drop > bytes.size() || r.drop < proto::kHeaderSize ||
           r.status == VR815_OK || !payload.empty())) {
        __builtin_trap();
      }
      // A success always hands back exactly the command's reply length.
      if (r.status == VR815_OK && payload.size() != command.reply_bytes) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
