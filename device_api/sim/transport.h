// The line the simulated device is reached on, as its serving loop sees it:
// a pseudo-terminal of its own, a TCP port it listens on, or an existing
// serial port.
#ifndef VR815_SIM_TRANSPORT_H
#define VR815_SIM_TRANSPORT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "io_result.h"
#include "sim_options.h"
#include "socket_address.h"

namespace vr815::sim {

/// An open line of the device. As with the library's lines (line.h), it
/// frees what it holds in its destructor and is handed out as
/// std::unique_ptr, so that no failure path closes anything by hand.
class Transport {
 public:
  virtual ~Transport() = default;
  /// Waits up to timeout_ms for bytes from the host: Ok with *got > 0,
  /// Timeout, or LineError once when a host left (another may come).
  virtual IoResult receive(uint8_t* buf, size_t len, int timeout_ms,
                           size_t* got) = 0;
  /// Sends the bytes to the host within timeout_ms.
  virtual IoResult send(const uint8_t* data, size_t len, int timeout_ms) = 0;
  /// Takes the line down for good: the host sees a hang-up, and receive
  /// only waits from then on.
  virtual void hang_up() = 0;
};

struct OpenedTransport {
  std::unique_ptr<Transport> transport;  ///< null when it could not be opened
  std::string name;   ///< what a host opens: a path, socket://..., a port
  std::string error;  ///< one line, without line end, when null
  /// When null: kCannotOpenStatus, or kUsageStatus for a line that cannot
  /// be had here.
  int exit_status = kCannotOpenStatus;
};

/// The line the options ask for. With --hangup-after 0 it is opened as
/// usual and taken down before its name is told: a host's open then fails
/// (pseudo-terminal, TCP) or its calls go unanswered (serial port, whose
/// other end is the host's own).
OpenedTransport open_transport(const Options& options);

/// A pseudo-terminal of the device's own (one implementation per platform).
OpenedTransport open_pty_transport();
/// A TCP port, listening on the address (shown as given when that fails);
/// one host at a time, others closed at once.
OpenedTransport open_tcp_transport(const SocketAddress& address,
                                   const std::string& shown);
/// An existing serial port at the baud rate, through the library's serial
/// line.
OpenedTransport open_port_transport(const std::string& name, int32_t baud);

/// Waits timeout_ms: what receive does on a line that is down.
IoResult wait_on_dead_line(int timeout_ms);

}  // namespace vr815::sim

#endif  // VR815_SIM_TRANSPORT_H
