// Arbitrary bytes arriving at the simulated device, cut into reads of
// varying size. The first byte picks the faults.
#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol.h"
#include "sim_session.h"

using namespace vr815;

namespace {

/// The tag a log line shows after "tag=", 0 when it shows none.
unsigned shown_tag(const std::string& line) {
  const size_t at = line.find(" tag=");
  return at == std::string::npos ? 0 : std::stoul(line.substr(at + 5));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  sim::DeviceSettings settings;
  settings.silent = data[0] & 1;
  settings.corrupt = data[0] & 2;
  settings.noise = data[0] & 4;
  // 0 would take the line down before any frame: nothing to exercise.
  if (const uint64_t frames = (data[0] >> 3) & 7) {
    settings.hangup_after = frames;
  }
  settings.late_ms[1 + (data[0] >> 6)] = 400;
  sim::Session session = sim::new_session(settings);
  size_t pos = 1;
  size_t chunk = 1;
  while (pos < size) {
    const size_t n = chunk < size - pos ? chunk : size - pos;
    for (const sim::Event& event : sim::take_bytes(session, data + pos, n, 0)) {
      if (!event.answer.empty() && settings.silent) __builtin_trap();
      if (event.delay_ms != 0 && event.delay_ms != 400) __builtin_trap();
      // A clean answer is one reply frame carrying the request's tag.
      if (event.answer.empty() || settings.corrupt || settings.noise) continue;
      protocol::Frame reply;
      const protocol::ParseResult r =
          protocol::parse_frame(event.answer.data(), event.answer.size(),
                                protocol::kReplyMarker, &reply);
      if (r.outcome != protocol::Parse::Complete ||
          r.size != event.answer.size() ||
          reply.tag != shown_tag(event.log_line)) {
        __builtin_trap();
      }
    }
    pos += n;
    chunk = chunk * 3 % 17 + 1;
  }
  // Nothing is held beyond the largest frame.
  if (session.pending.size() > protocol::kMaxFrame) __builtin_trap();
  return 0;
}
