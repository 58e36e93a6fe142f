#include "line.h"

#include <cstdint>

#include "VR815_DLL.h"
#include "protocol.h"
#include "serial_port.h"
#include "socket_address.h"
#include "tcp_line.h"

namespace vr815 {

namespace {

/// The lowest rate at which the protocol's longest exchange takes at most
/// half the reply timeout on the wire (see VR815_MIN_BAUD).
constexpr int32_t lowest_baud() {
  const int64_t bits = static_cast<int64_t>(protocol::longest_exchange_bytes() *
                                            protocol::kBitsPerByte);
  const int64_t within_ms = VR815_REPLY_TIMEOUT_MS / 2;
  return static_cast<int32_t>((bits * 1000 + within_ms - 1) / within_ms);
}

static_assert(VR815_MIN_BAUD == lowest_baud(),
              "the documented lowest rate, from the command table");

}  // namespace

std::unique_ptr<Line> line_open(const char* name, int32_t baud) {
  if (name == nullptr || baud < VR815_MIN_BAUD) return nullptr;
  if (!is_socket_name(name)) return serial_open(name, baud);
  SocketAddress address;
  if (!serial_baud_supported(baud) || !parse_socket_name(name, &address)) {
    return nullptr;
  }
  return tcp_connect(address, kConnectTimeoutMs);
}

}  // namespace vr815
