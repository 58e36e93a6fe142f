#include "sim_session.h"

#include <iterator>

#include "protocol.h"

namespace vr815::sim {

namespace proto = vr815::protocol;

namespace {

int answer_delay_ms(const Options& options, uint64_t frame) {
  const auto late = options.late_ms.find(frame);
  return options.delay_ms + (late == options.late_ms.end() ? 0 : late->second);
}

}  // namespace

Session new_session(const Options& options) {
  Session s;
  s.device.milli_celsius = options.milli_celsius;
  s.hung_up = options.hangup_after == uint64_t{0};
  return s;
}

std::vector<uint8_t> answer_bytes(uint8_t command, uint8_t tag,
                                  const Answer& answer,
                                  const Options& options) {
  std::vector<uint8_t> out;
  if (options.noise) out.assign(std::begin(kNoise), std::end(kNoise));
  const size_t start = out.size();
  proto::append_frame_words(out, proto::kReplyMarker, command,
                            static_cast<uint16_t>(answer.status), answer.words,
                            tag);
  if (options.corrupt && out.size() > start) out.back() ^= 0xFF;
  return out;
}

std::vector<Event> take_bytes(Session& session, const Options& options,
                              const uint8_t* data, size_t len,
                              uint64_t now_ms) {
  std::vector<Event> events;
  if (session.hung_up) return events;
  std::vector<uint8_t>& buf = session.pending;
  if (now_ms - session.last_byte_ms > kInterByteTimeoutMs) {
    buf.clear();
  }
  session.last_byte_ms = now_ms;
  buf.insert(buf.end(), data, data + len);
  size_t pos = 0;
  while (pos < buf.size() && !session.hung_up) {
    proto::Frame frame;
    const proto::ParseResult r = proto::parse_frame(
        buf.data() + pos, buf.size() - pos, proto::kRequestMarker, &frame);
    if (r.outcome == proto::Parse::Incomplete) break;
    if (r.outcome == proto::Parse::Bad) {
      pos += 1;
      continue;
    }
    Event e;
    e.log_line = proto::frame_text(buf.data() + pos, r.size);
    pos += r.size;
    session.frames += 1;
    if (options.hangup_after && session.frames >= *options.hangup_after) {
      session.hung_up = true;
      e.hang_up = true;
    } else {
      const Answer a = answer_request(session.device, frame, options.fails);
      if (!options.silent) {
        e.answer = answer_bytes(frame.command, frame.tag, a, options);
        e.delay_ms = answer_delay_ms(options, session.frames);
      }
    }
    events.push_back(std::move(e));
  }
  buf.erase(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(pos));
  return events;
}

}  // namespace vr815::sim
