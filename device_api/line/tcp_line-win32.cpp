// TCP lines on Windows: non-blocking Winsock sockets, every wait a WSAPoll
// with the caller's deadline.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <string>

#include "deadline.h"
#include "tcp_line.h"

namespace vr815 {

struct TcpLine {
  SOCKET socket;
};

struct TcpListener {
  SOCKET socket;
};

namespace {

/// Winsock is started once for the process and left running.
bool winsock_ready() {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

bool would_block() {
  const int e = WSAGetLastError();
  return e == WSAEWOULDBLOCK || e == WSAEINPROGRESS || e == WSAEINTR;
}

/// Waits for the events until the deadline. Ok: ready (or the socket has
/// an error or hang-up, which the next call on it reports).
IoResult wait_for(SOCKET s, short events, Clock::time_point deadline) {
  WSAPOLLFD p{s, events, 0};
  const int r = WSAPoll(&p, 1, remaining_ms(deadline));
  if (r < 0) return IoResult::LineError;
  if (r == 0) return IoResult::Timeout;
  if (p.revents & POLLNVAL) return IoResult::LineError;
  return IoResult::Ok;
}

/// The numeric address as the system takes it; no name is looked up.
bool resolve(const SocketAddress& address, sockaddr_storage* out, int* len) {
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
  *len = static_cast<int>(found->ai_addrlen);
  freeaddrinfo(found);
  return true;
}

SOCKET new_socket(int family) {
  const SOCKET s = WSASocketW(family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                              WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) return s;
  u_long on = 1;
  if (ioctlsocket(s, FIONBIO, &on) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  return s;
}

TcpLine* line_on(SOCKET s) {
  // Frames are small and each waits for its answer: send them at once.
  const BOOL on = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
             sizeof on);
  return new TcpLine{s};
}

int chunk(size_t len) {
  return static_cast<int>(len < 0x7FFFFFFF ? len : 0x7FFFFFFF);
}

}  // namespace

TcpLine* tcp_connect(const SocketAddress& address, int timeout_ms) {
  sockaddr_storage sa{};
  int len = 0;
  if (address.port == 0 || !winsock_ready() || !resolve(address, &sa, &len)) {
    return nullptr;
  }
  const SOCKET s = new_socket(sa.ss_family);
  if (s == INVALID_SOCKET) return nullptr;
  if (connect(s, reinterpret_cast<sockaddr*>(&sa), len) != 0) {
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK &&
        wait_for(s, POLLWRNORM, deadline_after(timeout_ms)) == IoResult::Ok) {
      int size = sizeof error;
      if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                     &size) != 0) {
        error = WSAGetLastError();
      }
    }
    if (error != 0) {
      closesocket(s);
      return nullptr;
    }
  }
  return line_on(s);
}

void tcp_close(TcpLine* line) {
  if (line == nullptr) return;
  closesocket(line->socket);
  delete line;
}

void tcp_discard_input(TcpLine* line) {
  if (line == nullptr) return;
  char sink[256];
  while (recv(line->socket, sink, sizeof sink, 0) > 0) {
  }
}

IoResult tcp_write(TcpLine* line, const uint8_t* data, size_t len,
                   int timeout_ms) {
  if (line == nullptr) return IoResult::LineError;
  const auto deadline = deadline_after(timeout_ms);
  size_t done = 0;
  while (done < len) {
    const int n = send(line->socket, reinterpret_cast<const char*>(data + done),
                       chunk(len - done), 0);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && !would_block()) return IoResult::LineError;
    const IoResult ready = wait_for(line->socket, POLLWRNORM, deadline);
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
    const int n =
        recv(line->socket, reinterpret_cast<char*>(buf), chunk(len), 0);
    if (n > 0) {
      *got = static_cast<size_t>(n);
      return IoResult::Ok;
    }
    if (n == 0 || !would_block()) return IoResult::LineError;  // peer closed
    const IoResult ready = wait_for(line->socket, POLLRDNORM, deadline);
    if (ready != IoResult::Ok) return ready;
  }
}

TcpListener* tcp_listen(const SocketAddress& address, SocketAddress* bound) {
  sockaddr_storage sa{};
  int len = 0;
  if (!winsock_ready() || !resolve(address, &sa, &len)) return nullptr;
  const SOCKET s = new_socket(sa.ss_family);
  if (s == INVALID_SOCKET) return nullptr;
  // Nobody else may take the port while the device listens on it.
  const BOOL on = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
             reinterpret_cast<const char*>(&on), sizeof on);
  sockaddr_storage got{};
  int got_len = sizeof got;
  if (bind(s, reinterpret_cast<sockaddr*>(&sa), len) != 0 ||
      listen(s, 4) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&got), &got_len) != 0) {
    closesocket(s);
    return nullptr;
  }
  *bound = address;
  bound->port = ntohs(got.ss_family == AF_INET6
                          ? reinterpret_cast<sockaddr_in6*>(&got)->sin6_port
                          : reinterpret_cast<sockaddr_in*>(&got)->sin_port);
  return new TcpListener{s};
}

void tcp_stop_listening(TcpListener* listener) {
  if (listener == nullptr) return;
  closesocket(listener->socket);
  delete listener;
}

TcpLine* tcp_accept(TcpListener* listener, int timeout_ms) {
  if (listener == nullptr) return nullptr;
  const auto deadline = deadline_after(timeout_ms);
  for (;;) {
    const SOCKET s = accept(listener->socket, nullptr, nullptr);
    if (s != INVALID_SOCKET) {
      // An accepted socket inherits the listener's non-blocking mode.
      return line_on(s);
    }
    if (!would_block() && WSAGetLastError() != WSAECONNRESET) return nullptr;
    if (remaining_ms(deadline) == 0 ||
        wait_for(listener->socket, POLLRDNORM, deadline) != IoResult::Ok) {
      return nullptr;
    }
  }
}

}  // namespace vr815
