// The socket calls the TCP line stands on, as thin as the platforms allow:
// socket-posix.cpp, socket-win32.cpp. Every socket is non-blocking and not
// inherited by child processes, and no call here waits but wait_for and
// write_all. On POSIX systems a socket is a descriptor like any other, so the
// serial port and the simulated device's pseudo-terminal wait and write with
// these calls too.
#ifndef VR815_SOCKET_H
#define VR815_SOCKET_H

#include <cstddef>
#include <cstdint>
#include <functional>

#include "deadline.h"
#include "io_result.h"
#include "socket_address.h"

namespace vr815 {

/// A socket as the system hands it out (on POSIX systems, any descriptor),
/// in a type that holds either platform's.
using NativeSocket = std::intptr_t;
constexpr NativeSocket kNoSocket = -1;

/// Starts the system's sockets, once for the process; false when they
/// cannot be had.
bool sockets_ready();
void close_socket(NativeSocket s);

/// What wait_for waits for.
enum class Awaited { Readable, Writable };

/// Waits until the deadline for the socket: Ok when what it waits for came,
/// Timeout at the deadline, LineError when the socket failed or hung up
/// without it. Bytes that came before a hang-up stay readable: the read
/// after them sees the hang-up.
IoResult wait_for(NativeSocket s, Awaited what, Clock::time_point deadline);

/// The error of the socket call that just failed (errno on POSIX systems).
int last_socket_error();
/// The call failed only because it would have had to wait, or a signal
/// came: wait, then call again.
bool would_block(int error);

/// One call of the system that sends or receives without waiting: the
/// bytes it moved, 0 when a receive found the peer gone, or -1 with the
/// error in last_socket_error().
std::ptrdiff_t send_once(NativeSocket s, const uint8_t* data, size_t len);
std::ptrdiff_t receive_once(NativeSocket s, uint8_t* buf, size_t len);

/// One write to s that does not wait, as send_once: the bytes it took, or
/// -1 with the error in last_socket_error().
using WriteOnce = std::function<std::ptrdiff_t(const uint8_t*, size_t)>;

/// Writes all len bytes to s by the deadline, with write_once for each try
/// and wait_for between them: Ok, Timeout once the deadline has passed
/// however much was written, or LineError. The deadline is the whole
/// call's, not each wait's.
IoResult write_all(NativeSocket s, const uint8_t* data, size_t len,
                   Clock::time_point deadline, const WriteOnce& write_once);

/// A new socket connecting to the address; the connection may go on after
/// the call. kNoSocket when the address is not one the system takes or the
/// connection failed at once.
NativeSocket start_connect(const SocketAddress& address);
/// Whether the connection of start_connect was made, once the socket is
/// writable.
bool connected(NativeSocket s);

/// A new socket listening on the address; *port is the port it is bound
/// to. kNoSocket when the address cannot be bound.
NativeSocket start_listening(const SocketAddress& address, uint16_t* port);
/// The next client waiting on the listener, or kNoSocket with the error in
/// last_socket_error().
NativeSocket accept_client(NativeSocket listener);
/// A client that left before it was accepted: take the next.
bool client_gave_up(int error);

}  // namespace vr815

#endif  // VR815_SOCKET_H
