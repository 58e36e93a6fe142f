#include "line.h"

#include "serial_port.h"
#include "socket_address.h"
#include "tcp_line.h"

namespace vr815 {

std::unique_ptr<Line> line_open(const char* name, int32_t baud) {
  if (name == nullptr) return nullptr;
  if (!is_socket_name(name)) return serial_open(name, baud);
  SocketAddress address;
  if (!serial_baud_supported(baud) || !parse_socket_name(name, &address)) {
    return nullptr;
  }
  return tcp_connect(address, kConnectTimeoutMs);
}

}  // namespace vr815
