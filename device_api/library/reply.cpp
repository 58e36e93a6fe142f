#include "reply.h"

#include "VR815_DLL.h"
#include "protocol.h"

namespace vr815 {

namespace proto = vr815::protocol;

namespace {

ReplyCheck need(size_t total) { return {false, total, VR815_OK}; }
ReplyCheck done(int32_t status) { return {true, 0, status}; }
ReplyCheck dropped(size_t size) { return {true, 0, VR815_ERR_BAD_REPLY, size}; }

}  // namespace

ReplyCheck check_reply(const uint8_t* buf, size_t len, uint8_t command,
                       uint8_t tag, std::vector<uint8_t>* payload) {
  if (len == 0) return need(1);
  if (buf[0] != proto::kReplyMarker) return done(VR815_ERR_BAD_REPLY);
  if (len < proto::kHeaderSize) return need(proto::kHeaderSize);

  const int16_t status = static_cast<int16_t>(buf[2] | (buf[3] << 8));
  const size_t payload_len = buf[4];
  const size_t total = proto::kHeaderSize + payload_len + proto::kCrcSize;
  const bool ours = buf[proto::kTagOffset] == tag;
  const proto::Command* cmd = proto::find_command(command);
  if (ours &&
      (buf[1] != command || cmd == nullptr ||
       (status == proto::kStatusOk && payload_len != cmd->reply_bytes))) {
    return done(VR815_ERR_BAD_REPLY);
  }
  if (len < total) return need(total);

  proto::Frame frame;
  if (proto::parse_frame(buf, total, proto::kReplyMarker, &frame).outcome !=
      proto::Parse::Complete) {
    return done(VR815_ERR_BAD_REPLY);
  }
  // A late answer to an earlier call: its tag was checked by the checksum.
  if (!ours) return dropped(total);
  if (status != proto::kStatusOk) return done(status);
  if (payload != nullptr) *payload = std::move(frame.payload);
  return done(VR815_OK);
}

}  // namespace vr815
