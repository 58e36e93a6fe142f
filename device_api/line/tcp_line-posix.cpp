// TCP lines on POSIX systems: non-blocking sockets, every wait a poll with
// the caller's deadline.
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "poll_wait-posix.h"
#include "tcp_line.h"

namespace vr815 {

struct TcpLine {
  int fd;
};

struct TcpListener {
  int fd;
};

namespace {

/// The numeric address as the system takes it; no name is looked up.
bool resolve(const SocketAddress& address, sockaddr_storage* out,
             socklen_t* len) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
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

int new_socket(int family) {
  return socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

TcpLine* line_on(int fd) {
  // Frames are small and each waits for its answer: send them at once.
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return new TcpLine{fd};
}

}  // namespace

TcpLine* tcp_connect(const SocketAddress& address, int timeout_ms) {
  sockaddr_storage sa{};
  socklen_t len = 0;
  if (address.port == 0 || !resolve(address, &sa, &len)) return nullptr;
  const int fd = new_socket(sa.ss_family);
  if (fd < 0) return nullptr;
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), len) != 0) {
    int error = errno;
    if (error == EINPROGRESS &&
        wait_for(fd, POLLOUT, deadline_after(timeout_ms)) == IoResult::Ok) {
      socklen_t size = sizeof error;
      if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
        error = errno;
      }
    }
    if (error != 0) {
      close(fd);
      return nullptr;
    }
  }
  return line_on(fd);
}

void tcp_close(TcpLine* line) {
  if (line == nullptr) return;
  close(line->fd);
  delete line;
}

void tcp_discard_input(TcpLine* line) {
  if (line == nullptr) return;
  uint8_t sink[256];
  while (recv(line->fd, sink, sizeof sink, MSG_DONTWAIT) > 0) {
  }
}

IoResult tcp_write(TcpLine* line, const uint8_t* data, size_t len,
                   int timeout_ms) {
  if (line == nullptr) return IoResult::LineError;
  const auto deadline = deadline_after(timeout_ms);
  size_t done = 0;
  while (done < len) {
    const ssize_t n = send(line->fd, data + done, len - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      return IoResult::LineError;
    }
    const IoResult ready = wait_for(line->fd, POLLOUT, deadline);
    if (ready != IoResult::Ok) return ready;
  }
  return IoResult::Ok;
}

IoResult tcp_read(TcpLine* line, uint8_t* buf, size_t len, int timeout_ms,
                  size_t* got) {
  *got = 0;
  if (line == nullptr) return IoResult::LineError;
  if (len == 0) return IoResult::Ok;
  const auto deadline = deadline_after(timeout_ms);
  for (;;) {
    const ssize_t n = recv(line->fd, buf, len, 0);
    if (n > 0) {
      *got = static_cast<size_t>(n);
      return IoResult::Ok;
    }
    if (n == 0) return IoResult::LineError;  // the peer closed
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      return IoResult::LineError;
    }
    const IoResult ready = wait_for(line->fd, POLLIN, deadline);
    if (ready != IoResult::Ok) return ready;
  }
}

TcpListener* tcp_listen(const SocketAddress& address, SocketAddress* bound) {
  sockaddr_storage sa{};
  socklen_t len = 0;
  if (!resolve(address, &sa, &len)) return nullptr;
  const int fd = new_socket(sa.ss_family);
  if (fd < 0) return nullptr;
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_storage got{};
  socklen_t got_len = sizeof got;
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), len) != 0 ||
      listen(fd, 4) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&got), &got_len) != 0) {
    close(fd);
    return nullptr;
  }
  *bound = address;
  bound->port = ntohs(got.ss_family == AF_INET6
                          ? reinterpret_cast<sockaddr_in6*>(&got)->sin6_port
                          : reinterpret_cast<sockaddr_in*>(&got)->sin_port);
  return new TcpListener{fd};
}

void tcp_stop_listening(TcpListener* listener) {
  if (listener == nullptr) return;
  close(listener->fd);
  delete listener;
}

TcpLine* tcp_accept(TcpListener* listener, int timeout_ms) {
  if (listener == nullptr) return nullptr;
  const auto deadline = deadline_after(timeout_ms);
  for (;;) {
    const int fd =
        accept4(listener->fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) return line_on(fd);
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR &&
        errno != ECONNABORTED) {
      return nullptr;
    }
    if (remaining_ms(deadline) == 0 ||
        wait_for(listener->fd, POLLIN, deadline) != IoResult::Ok) {
      return nullptr;
    }
  }
}

}  // namespace vr815
