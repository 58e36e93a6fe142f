// Waiting on a descriptor of a POSIX line (a terminal or a socket) until a
// deadline.
#ifndef VR815_POLL_WAIT_POSIX_H
#define VR815_POLL_WAIT_POSIX_H

#include <errno.h>
#include <poll.h>

#include "deadline.h"
#include "io_result.h"

namespace vr815 {

/// Waits for the events until the deadline: Ok when they came, Timeout, or
/// LineError when the descriptor failed or hung up without them. Bytes that
/// came before a hang-up are still readable: the read after them sees it.
inline IoResult wait_for(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int r = poll(&p, 1, remaining_ms(deadline));
    if (r < 0) {
      if (errno == EINTR) continue;
      return IoResult::LineError;
    }
    if (r == 0) return IoResult::Timeout;
    if (p.revents & events) return IoResult::Ok;
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return IoResult::LineError;
  }
}

}  // namespace vr815

#endif  // VR815_POLL_WAIT_POSIX_H
