#include "transport.h"

#include <chrono>
#include <thread>

namespace vr815::sim {

OpenedTransport open_transport(const Options& options) {
  switch (options.line) {
    case Options::Line::Listen:
      return open_tcp_transport(options);
    case Options::Line::Port:
      return open_port_transport(options);
    case Options::Line::Pty:
      break;
  }
  return open_pty_transport(options);
}

IoResult wait_on_dead_line(int timeout_ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms));
  return IoResult::Timeout;
}

}  // namespace vr815::sim
