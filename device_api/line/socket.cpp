// What every platform's sockets share: the bounded write.
#include "socket.h"

namespace vr815 {

IoResult write_all(NativeSocket s, const uint8_t* data, size_t len,
                   Clock::time_point deadline, const WriteOnce& write_once) {
  size_t done = 0;
  while (done < len) {
    const std::ptrdiff_t n = write_once(data + done, len - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && !would_block(last_socket_error())) return IoResult::LineError;
    // A reader that takes a few bytes at a time wakes every wait: only the
    // deadline ends the call.
    if (remaining_ms(deadline) == 0) return IoResult::Timeout;
    const IoResult ready = wait_for(s, Awaited::Writable, deadline);
    if (ready != IoResult::Ok) return ready;
  }
  return IoResult::Ok;
}

}  // namespace vr815
