// Sockets on Windows: Winsock, started once for the process, waited on with
// WSAPoll.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <string>

#include "socket.h"

namespace vr815 {

namespace {

SOCKET socket_of(NativeSocket s) { return static_cast<SOCKET>(s); }

NativeSocket native(SOCKET s) {
  return s == INVALID_SOCKET ? kNoSocket : static_cast<NativeSocket>(s);
}

/// The most one send or receive is given: Winsock takes the length as an
/// int.
int chunk(size_t len) {
  return static_cast<int>(len < 0x7FFFFFFF ? len : 0x7FFFFFFF);
}

/// The numeric address as the system takes it (InetPton: no name is looked
/// up).
bool resolve(const SocketAddress& address, sockaddr_storage* out, int* len) {
  const char* host = address.host.c_str();
  auto* v4 = reinterpret_cast<sockaddr_in*>(out);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(out);
  if (InetPtonA(AF_INET, host, &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(address.port);
    *len = sizeof *v4;
    return true;
  }
  if (InetPtonA(AF_INET6, host, &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(address.port);
    *len = sizeof *v6;
    return true;
  }
  return false;
}

/// A new socket for the address, resolved into *sa: non-blocking, not
/// inherited by child processes. INVALID_SOCKET when either fails.
SOCKET socket_for(const SocketAddress& address, sockaddr_storage* sa,
                  int* len) {
  if (!resolve(address, sa, len)) return INVALID_SOCKET;
  const SOCKET s = WSASocketW(sa->ss_family, SOCK_STREAM, IPPROTO_TCP, nullptr,
                              0, WSA_FLAG_NO_HANDLE_INHERIT);
  u_long on = 1;
  if (s != INVALID_SOCKET && ioctlsocket(s, FIONBIO, &on) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  return s;
}

/// Frames are small and each waits for its answer: send them at once.
void send_at_once(SOCKET s) {
  const BOOL on = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
             sizeof on);
}

}  // namespace

bool sockets_ready() {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

void close_socket(NativeSocket s) { closesocket(socket_of(s)); }

IoResult wait_for(NativeSocket s, Awaited what, Clock::time_point deadline) {
  const SHORT events = what == Awaited::Readable ? POLLRDNORM : POLLWRNORM;
  WSAPOLLFD p{socket_of(s), events, 0};
  const int r = WSAPoll(&p, 1, remaining_ms(deadline));
  if (r < 0) return IoResult::LineError;
  if (r == 0) return IoResult::Timeout;
  // Otherwise an error or a hang-up (POLLERR, POLLHUP, POLLNVAL).
  return (p.revents & events) != 0 ? IoResult::Ok : IoResult::LineError;
}

int last_socket_error() { return WSAGetLastError(); }

bool would_block(int error) {
  return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS ||
         error == WSAEINTR;
}

std::ptrdiff_t send_once(NativeSocket s, const uint8_t* data, size_t len) {
  return send(socket_of(s), reinterpret_cast<const char*>(data), chunk(len), 0);
}

std::ptrdiff_t receive_once(NativeSocket s, uint8_t* buf, size_t len) {
  return recv(socket_of(s), reinterpret_cast<char*>(buf), chunk(len), 0);
}

NativeSocket start_connect(const SocketAddress& address) {
  sockaddr_storage sa{};
  int len = 0;
  const SOCKET s = socket_for(address, &sa, &len);
  if (s == INVALID_SOCKET) return kNoSocket;
  send_at_once(s);
  // A connect that goes on after the call says it would block.
  if (connect(s, reinterpret_cast<const sockaddr*>(&sa), len) != 0 &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    closesocket(s);
    return kNoSocket;
  }
  return native(s);
}

bool connected(NativeSocket s) {
  int error = 0;
  int size = sizeof error;
  return getsockopt(socket_of(s), SOL_SOCKET, SO_ERROR,
                    reinterpret_cast<char*>(&error), &size) == 0 &&
         error == 0;
}

NativeSocket start_listening(const SocketAddress& address, uint16_t* port) {
  sockaddr_storage sa{};
  int len = 0;
  const SOCKET s = socket_for(address, &sa, &len);
  if (s == INVALID_SOCKET) return kNoSocket;
  // Nobody else may take the port while the device listens on it.
  const BOOL on = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
             reinterpret_cast<const char*>(&on), sizeof on);
  if (bind(s, reinterpret_cast<const sockaddr*>(&sa), len) != 0 ||
      listen(s, 4) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
    closesocket(s);
    return kNoSocket;
  }
  *port = ntohs(SS_PORT(&sa));
  return native(s);
}

NativeSocket accept_client(NativeSocket listener) {
  // The client inherits the listener's non-blocking mode.
  const SOCKET s = accept(socket_of(listener), nullptr, nullptr);
  if (s != INVALID_SOCKET) send_at_once(s);
  return native(s);
}

bool client_gave_up(int error) { return error == WSAECONNRESET; }

}  // namespace vr815
