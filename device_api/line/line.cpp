#include "line.h"

#include "serial_port.h"
#include "socket_address.h"
#include "tcp_line.h"

namespace vr815 {

/// Exactly one of the two is set.
struct Line {
  SerialPort* serial = nullptr;
  TcpLine* tcp = nullptr;
};

Line* line_open(const char* name, int32_t baud) {
  if (name == nullptr) return nullptr;
  if (!is_socket_name(name)) {
    SerialPort* serial = serial_open(name, baud);
    return serial == nullptr ? nullptr : new Line{serial, nullptr};
  }
  SocketAddress address;
  if (!serial_baud_supported(baud) || !parse_socket_name(name, &address)) {
    return nullptr;
  }
  TcpLine* tcp = tcp_connect(address, kConnectTimeoutMs);
  return tcp == nullptr ? nullptr : new Line{nullptr, tcp};
}

void line_close(Line* line) {
  if (line == nullptr) return;
  serial_close(line->serial);
  tcp_close(line->tcp);
  delete line;
}

void line_discard_input(Line* line) {
  if (line == nullptr) return;
  if (line->serial != nullptr) serial_discard_input(line->serial);
  tcp_discard_input(line->tcp);
}

IoResult line_write(Line* line, const uint8_t* data, size_t len,
                    int timeout_ms) {
  if (line == nullptr) return IoResult::LineError;
  return line->serial != nullptr
             ? serial_write(line->serial, data, len, timeout_ms)
             : tcp_write(line->tcp, data, len, timeout_ms);
}

IoResult line_read(Line* line, uint8_t* buf, size_t len, int timeout_ms,
                   size_t* got) {
  *got = 0;
  if (line == nullptr) return IoResult::LineError;
  return line->serial != nullptr
             ? serial_read(line->serial, buf, len, timeout_ms, got)
             : tcp_read(line->tcp, buf, len, timeout_ms, got);
}

}  // namespace vr815
