#include "transaction.h"

#include <atomic>
#include <cstddef>

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

/// The tag for the next request: 1 to 255 and then 1 again, counted for
/// the whole process, so that a handle opened anew on the same line does
/// not start again with the tag a late reply to the last one may carry.
uint8_t take_tag() {
  static std::atomic<uint8_t> last{0};
  uint8_t prev = last.load();
  while (!last.compare_exchange_weak(prev, proto::next_tag(prev))) {
  }
  return proto::next_tag(prev);
}

}  // namespace

int32_t transact(Line* line, uint8_t command, uint16_t param,
                 const std::vector<uint32_t>& words,
                 std::vector<uint32_t>* reply) {
  const uint8_t tag = take_tag();
  std::vector<uint8_t> request;
  if (!proto::append_frame_words(request, proto::kRequestMarker, command, param,
                                 words, tag)) {
    return VR815_ERR_BAD_ARG;
  }
  line->discard_input();
  const IoResult written =
      line->write(request.data(), request.size(), VR815_WRITE_TIMEOUT_MS);
  if (written != IoResult::Ok) return io_status(written);

  // Read no further than the reply the bytes so far announce, so nothing of
  // a later frame is taken from the line. Replies to earlier calls that
  // come in the meantime are dropped, within the same deadline.
  const auto deadline = deadline_after(VR815_REPLY_TIMEOUT_MS);
  std::vector<uint8_t> buf;
  std::vector<uint8_t> payload;
  for (;;) {
    const ReplyCheck check =
        check_reply(buf.data(), buf.size(), command, tag, &payload);
    if (check.complete && check.drop != 0) {
      // A device that keeps sending replies to other requests must not keep
      // the call beyond its bound.
      if (remaining_ms(deadline) == 0) return VR815_ERR_TIMEOUT;
      buf.erase(buf.begin(), buf.begin() + static_cast<ptrdiff_t>(check.drop));
      continue;
    }
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
