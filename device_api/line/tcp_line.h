// A TCP connection used as a serial line, and the listening end the
// simulated device serves on. One implementation per platform:
// tcp_line-posix.cpp, tcp_line-win32.cpp.
#ifndef VR815_TCP_LINE_H
#define VR815_TCP_LINE_H

#include <cstddef>
#include <cstdint>

#include "io_result.h"
#include "socket_address.h"

namespace vr815 {

struct TcpLine;

/// Connects within timeout_ms. Null when the address is not a numeric
/// address of the system, the connection is refused, or it is not made in
/// time.
TcpLine* tcp_connect(const SocketAddress& address, int timeout_ms);
/// Closes the connection; a null line is ignored.
void tcp_close(TcpLine* line);

/// Drops whatever has arrived and not yet been read.
void tcp_discard_input(TcpLine* line);
/// Writes all len bytes within timeout_ms.
IoResult tcp_write(TcpLine* line, const uint8_t* data, size_t len,
                   int timeout_ms);
/// Reads at least one and at most len bytes, waiting up to timeout_ms for
/// the first; *got is the number read. The peer closing is a LineError.
IoResult tcp_read(TcpLine* line, uint8_t* buf, size_t len, int timeout_ms,
                  size_t* got);

struct TcpListener;

/// Listens on the address (port 0: a free port); *bound is the address
/// actually bound. Null when the address cannot be bound.
TcpListener* tcp_listen(const SocketAddress& address, SocketAddress* bound);
/// Stops listening: later connections are refused. A null listener is
/// ignored.
void tcp_stop_listening(TcpListener* listener);
/// The next client that connects within timeout_ms (0: only one already
/// waiting), or null.
TcpLine* tcp_accept(TcpListener* listener, int timeout_ms);

}  // namespace vr815

#endif  // VR815_TCP_LINE_H
