// Arbitrary bytes arriving at the simulated device, cut into reads of
// varying size. The first byte picks the fault options.
#include <cstddef>
#include <cstdint>

#include "protocol.h"
#include "sim_session.h"

using namespace vr815;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  sim::Options options;
  options.silent = data[0] & 1;
  options.corrupt = data[0] & 2;
  options.noise = data[0] & 4;
  // 0 would take the line down before any frame: nothing to exercise.
  if (const uint64_t frames = (data[0] >> 3) & 7) options.hangup_after = frames;
  sim::Session session = sim::new_session(options);
  size_t pos = 1;
  size_t chunk = 1;
  while (pos < size) {
    const size_t n = chunk < size - pos ? chunk : size - pos;
    for (const sim::Event& event :
         sim::take_bytes(session, options, data + pos, n, 0)) {
      if (!event.answer.empty() && options.silent) __builtin_trap();
    }
    pos += n;
    chunk = chunk * 3 % 17 + 1;
  }
  // Nothing is held beyond the largest frame.
  if (session.pending.size() > protocol::kMaxFrame) __builtin_trap();
  return 0;
}
