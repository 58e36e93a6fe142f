// A TCP connection used as a serial line, and the listening end the
// simulated device serves on. Written once in tcp_line.cpp over the socket
// calls of the platform (socket.h).
#ifndef VR815_TCP_LINE_H
#define VR815_TCP_LINE_H

#include <memory>

#include "line.h"
#include "socket_address.h"

namespace vr815 {

/// Connects within timeout_ms. Null when the address is not a numeric
/// address of the system, the connection is refused, or it is not made in
/// time. A read of the line reports the peer closing as a LineError.
std::unique_ptr<Line> tcp_connect(const SocketAddress& address, int timeout_ms);

/// A listening socket; once it is gone, connections are refused.
class TcpListener {
 public:
  virtual ~TcpListener() = default;

  /// The next client that connects within timeout_ms (0: only one already
  /// waiting), or null.
  virtual std::unique_ptr<Line> accept(int timeout_ms) = 0;
};

/// Listens on the address (port 0: a free port); *bound is the address
/// actually bound. Null when the address cannot be bound.
std::unique_ptr<TcpListener> tcp_listen(const SocketAddress& address,
                                        SocketAddress* bound);

}  // namespace vr815

#endif  // VR815_TCP_LINE_H
