#include "sim_session.h"

#include <iterator>
#include <utility>

#include "protocol.h"

namespace vr815::sim {

namespace proto = vr815::protocol;

namespace {

int answer_delay_ms(const DeviceSettings& settings, uint64_t frame) {
  const auto late = settings.late_ms.find(frame);
  return settings.delay_ms +
         (late == settings.late_ms.end() ? 0 : late->second);
}

/// Whether the frame the line closes on has arrived; with hangup_after 0,
/// from the start.
bool line_down(const Session& session) {
  const std::optional<uint64_t>& last = session.settings.hangup_after;
  return last && session.frames >= *last;
}

}  // namespace

Session new_session(DeviceSettings settings) {
  Session s;
  s.device.milli_celsius = settings.milli_celsius;
  s.settings = std::move(settings);
  return s;
}

std::vector<uint8_t> answer_bytes(uint8_t command, uint8_t tag,
                                  const Answer& answer,
                                  const DeviceSettings& settings) {
  std::vector<uint8_t> out;
  if (settings.noise) out.assign(std::begin(kNoise), std::end(kNoise));
  const size_t start = out.size();
  proto::append_frame_words(out, proto::kReplyMarker, command,
                            static_cast<uint16_t>(answer.status), answer.words,
                            tag);
  if (settings.corrupt && out.size() > start) out.back() ^= 0xFF;
  return out;
}

std::vector<Event> take_bytes(Session& session, const uint8_t* data, size_t len,
                              uint64_t now_ms) {
  std::vector<Event> events;
  if (line_down(session)) return events;
  const DeviceSettings& settings = session.settings;
  std::vector<uint8_t>& buf = session.pending;
  if (now_ms - session.last_byte_ms > kInterByteTimeoutMs) {
    buf.clear();
  }
  session.last_byte_ms = now_ms;
  buf.insert(buf.end(), data, data + len);
  size_t pos = 0;
  while (pos < buf.size()) {
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
    if (line_down(session)) {
      // What came after the frame goes with the line.
      e.hang_up = true;
      events.push_back(std::move(e));
      pos = buf.size();
      break;
    }
    const Answer a = answer_request(session.device, frame, settings.fails);
    if (!settings.silent) {
      e.answer = answer_bytes(frame.command, frame.tag, a, settings);
      e.delay_ms = answer_delay_ms(settings, session.frames);
    }
    events.push_back(std::move(e));
  }
  buf.erase(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(pos));
  return events;
}

}  // namespace vr815::sim
