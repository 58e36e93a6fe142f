// Judging the bytes that come back after a request.
#ifndef VR815_REPLY_H
#define VR815_REPLY_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vr815 {

struct ReplyCheck {
  bool complete;    ///< false: the bytes so far are a valid start, need more
  size_t need;      ///< when not complete: least total length still needed
  int32_t status;   ///< when complete: VR815_OK, the device's status sign
                    ///< extended, or VR815_ERR_BAD_REPLY
  size_t drop = 0;  ///< when complete and not 0: the first drop bytes are a
                    ///< sound reply to another request; status is then
                    ///< VR815_ERR_BAD_REPLY, and the caller that drops them
                    ///< judges what follows instead
};

/// Judges buf[0..len) as the reply to the request for command with tag. A
/// reply must start with the reply marker at its first byte. One with
/// another tag is judged whole: with a good checksum it is dropped, with a
/// bad one it is a bad reply. One with the tag must carry the command and,
/// with status 0, the command's reply length. A frame with another status
/// is returned as that status, its payload ignored, once its checksum is
/// good. Fills *payload only for VR815_OK. Never reads past buf[len - 1]
/// and judges as early as the header allows, so a reply to this request
/// announcing the wrong command or length fails without waiting for its
/// payload.
ReplyCheck check_reply(const uint8_t* buf, size_t len, uint8_t command,
                       uint8_t tag, std::vector<uint8_t>* payload);

}  // namespace vr815

#endif  // VR815_REPLY_H
