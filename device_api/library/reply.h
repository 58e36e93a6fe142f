// Judging the bytes that come back after a request.
#ifndef VR815_REPLY_H
#define VR815_REPLY_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vr815 {

struct ReplyCheck {
  bool complete;   ///< false: the bytes so far are a valid start, need more
  size_t need;     ///< when not complete: least total length still needed
  int32_t status;  ///< when complete: VR815_OK, the device's status sign
                   ///< extended, or VR815_ERR_BAD_REPLY
};

/// Judges buf[0..len) as the reply to a request for command. A reply must
/// start with the reply marker at its first byte and carry the command;
/// with status 0 its payload must have the command's reply length. A frame
/// with another status is returned as that status, its payload ignored,
/// once its checksum is good. Fills *payload only for VR815_OK. Never reads
/// past buf[len - 1] and judges as early as the header allows, so a reply
/// announcing the wrong command or length fails without waiting for its
/// payload.
ReplyCheck check_reply(const uint8_t* buf, size_t len, uint8_t command,
                       std::vector<uint8_t>* payload);

}  // namespace vr815

#endif  // VR815_REPLY_H
