// Sockets on POSIX systems: descriptors, waited on with poll.
#include <errno.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "socket.h"

namespace vr815 {

namespace {

int fd_of(NativeSocket s) { return static_cast<int>(s); }

/// The numeric address as the system takes it; no name is looked up.
bool resolve(const SocketAddress& address, sockaddr_storage* out,
             socklen_t* len) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICHOST | AI_PASSIVE;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(address.port);
  if (getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found) != 0) {
    return false;
  }
  std::memcpy(out, found->ai_addr, found->ai_addrlen);
  *len = found->ai_addrlen;
  freeaddrinfo(found);
  return true;
}

/// A new socket for the address, resolved into *sa: non-blocking, not
/// inherited by child processes. -1 when either fails.
int socket_for(const SocketAddress& address, sockaddr_storage* sa,
               socklen_t* len) {
  if (!resolve(address, sa, len)) return -1;
  return socket(sa->ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

/// Frames are small and each waits for its answer: send them at once.
void send_at_once(int fd) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

bool sockets_ready() { return true; }

void close_socket(NativeSocket s) { close(fd_of(s)); }

IoResult wait_for(NativeSocket s, Awaited what, Clock::time_point deadline) {
  const short events = what == Awaited::Readable ? POLLIN : POLLOUT;
  for (;;) {
    pollfd p{fd_of(s), events, 0};
    const int r = poll(&p, 1, remaining_ms(deadline));
    if (r < 0) {
      if (errno == EINTR) continue;
      return IoResult::LineError;
    }
    if (r == 0) return IoResult::Timeout;
    if (p.revents & events) return IoResult::Ok;
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return IoResult::LineError;
  }
}

int last_socket_error() { return errno; }

bool would_block(int error) {
  return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

std::ptrdiff_t send_once(NativeSocket s, const uint8_t* data, size_t len) {
  // A peer that has gone fails the send rather than raising SIGPIPE.
  return send(fd_of(s), data, len, MSG_NOSIGNAL);
}

std::ptrdiff_t receive_once(NativeSocket s, uint8_t* buf, size_t len) {
  return recv(fd_of(s), buf, len, 0);
}

NativeSocket start_connect(const SocketAddress& address) {
  sockaddr_storage sa{};
  socklen_t len = 0;
  const int fd = socket_for(address, &sa, &len);
  if (fd < 0) return kNoSocket;
  send_at_once(fd);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&sa), len) != 0 &&
      errno != EINPROGRESS) {
    close(fd);
    return kNoSocket;
  }
  return fd;
}

bool connected(NativeSocket s) {
  int error = 0;
  socklen_t size = sizeof error;
  return getsockopt(fd_of(s), SOL_SOCKET, SO_ERROR, &error, &size) == 0 &&
         error == 0;
}

NativeSocket start_listening(const SocketAddress& address, uint16_t* port) {
  sockaddr_storage sa{};
  socklen_t len = 0;
  const int fd = socket_for(address, &sa, &len);
  if (fd < 0) return kNoSocket;
  // The device may listen again at once on a port it has just left.
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_storage bound{};
  socklen_t bound_len = sizeof bound;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&sa), len) != 0 ||
      listen(fd, 4) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &bound_len) != 0) {
    close(fd);
    return kNoSocket;
  }
  *port = ntohs(bound.ss_family == AF_INET6
                    ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                    : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  return fd;
}

NativeSocket accept_client(NativeSocket listener) {
  const int fd =
      accept4(fd_of(listener), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd >= 0) send_at_once(fd);
  return fd;
}

bool client_gave_up(int error) { return error == ECONNABORTED; }

}  // namespace vr815
