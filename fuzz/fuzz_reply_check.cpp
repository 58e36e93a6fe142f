// Arbitrary bytes as the reply to each of the protocol's commands.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "VR815_DLL.h"
#include "protocol.h"
#include "reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  for (const vr815::protocol::Command& command : vr815::protocol::commands()) {
    std::vector<uint8_t> payload;
    const vr815::ReplyCheck r =
        vr815::check_reply(bytes.data(), bytes.size(), command.code, &payload);
    if (!r.complete) {
      if (r.need <= bytes.size()) __builtin_trap();
      continue;
    }
    // A success always hands back exactly the command's reply length.
    if (r.status == VR815_OK && payload.size() != command.reply_bytes) {
      __builtin_trap();
    }
  }
  return 0;
}
