// What a TCP socket needs of POSIX systems beyond the calls that every
// platform spells alike. The build hands it to tcp_line.cpp.
#ifndef VR815_SOCKET_POSIX_H
#define VR815_SOCKET_POSIX_H

#include <errno.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "poll_wait-posix.h"

namespace vr815 {

using NativeSocket = int;
constexpr NativeSocket kNoSocket = -1;

/// A send to a peer that has gone fails rather than raising SIGPIPE.
constexpr int kSendFlags = MSG_NOSIGNAL;

/// Nothing to start before the first socket.
inline bool sockets_ready() { return true; }

inline void close_socket(NativeSocket s) { close(s); }

/// A new non-blocking socket that child processes do not inherit.
inline NativeSocket new_socket(int family) {
  return socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

/// Lets the device listen again at once on a port it has just left.
inline void prepare_to_listen(NativeSocket s) {
  const int on = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

/// The next waiting client, non-blocking and not inherited, or kNoSocket.
inline NativeSocket accept_client(NativeSocket listener) {
  return accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}

inline int last_socket_error() { return errno; }

/// The call failed only because it would have had to wait, or a signal
/// came: wait, then call again.
inline bool would_block(int error) {
  return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

/// A connect that goes on after the call returned.
inline bool connect_in_progress(int error) { return error == EINPROGRESS; }

/// A client that left before it was accepted: take the next.
inline bool client_gave_up(int error) { return error == ECONNABORTED; }

/// What wait_for (poll_wait-posix.h) waits on: bytes to read, room to
/// write.
constexpr short kReadable = POLLIN;
constexpr short kWritable = POLLOUT;

}  // namespace vr815

#endif  // VR815_SOCKET_POSIX_H
