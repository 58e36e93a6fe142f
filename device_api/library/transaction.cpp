#include "transaction.h"

#include "VR815_DLL.h"
#include "deadline.h"
#include "protocol.h"
#include "reply.h"

namespace vr815 {

namespace proto = vr815::protocol;

namespace {

int32_t io_status(IoResult r) {
  return r == IoResult::Timeout ? VR815_ERR_TIMEOUT : VR815_ERR_LINE;
}

}  // namespace

int32_t transact(Line* line, uint8_t command, uint16_t param,
                 const std::vector<uint32_t>& words,
                 std::vector<uint32_t>* reply) {
  std::vector<uint8_t> request;
  if (!proto::append_frame_words(request, proto::kRequestMarker, command, param,
                                 words)) {
    return VR815_ERR_BAD_ARG;
  }
  line->discard_input();
  const IoResult written =
      line->write(request.data(), request.size(), VR815_WRITE_TIMEOUT_MS);
  if (written != IoResult::Ok) return io_status(written);

  // Read no further than the reply the bytes so far announce, so nothing of
  // a later frame is taken from the line.
  const auto deadline = deadline_after(VR815_REPLY_TIMEOUT_MS);
  std::vector<uint8_t> buf;
  std::vector<uint8_t> payload;
  for (;;) {
    const ReplyCheck check =
        check_reply(buf.data(), buf.size(), command, &payload);
    if (check.complete) {
      if (check.status == VR815_OK && reply != nullptr) {
        *reply = proto::payload_words(payload);
      }
      return check.status;
    }
    const size_t have = buf.size();
    buf.resize(check.need);
    size_t got = 0;
    const IoResult r = line->read(buf.data() + have, check.need - have,
                                  remaining_ms(deadline), &got);
    buf.resize(have + got);
    if (r != IoResult::Ok) return io_status(r);
  }
}

}  // namespace vr815
