#include "transport.h"

#include <chrono>
#include <thread>

namespace vr815::sim {

namespace {

OpenedTransport open_line(const Options& options) {
  switch (options.line) {
    case Options::Line::Listen:
      return open_tcp_transport(options.listen_address, options.listen);
    case Options::Line::Port:
      return open_port_transport(options.port, options.baud);
    case Options::Line::Pty:
      break;
  }
  return open_pty_transport();
}

}  // namespace

OpenedTransport open_transport(const Options& options) {
  OpenedTransport opened = open_line(options);
  if (opened.transport != nullptr &&
      options.settings.hangup_after == uint64_t{0}) {
    opened.transport->hang_up();
  }
  return opened;
}

IoResult wait_on_dead_line(int timeout_ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms));
  return IoResult::Timeout;
}

}  // namespace vr815::sim
