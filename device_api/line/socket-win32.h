// What a TCP socket needs of Winsock beyond the calls that every platform
// spells alike. The build hands it to tcp_line.cpp.
#ifndef VR815_SOCKET_WIN32_H
#define VR815_SOCKET_WIN32_H

#include <winsock2.h>
#include <ws2tcpip.h>

#include "deadline.h"
#include "io_result.h"

namespace vr815 {

using NativeSocket = SOCKET;
constexpr NativeSocket kNoSocket = INVALID_SOCKET;

constexpr int kSendFlags = 0;

/// Winsock is started once for the process and left running.
inline bool sockets_ready() {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

inline void close_socket(NativeSocket s) { closesocket(s); }

/// A new non-blocking socket that child processes do not inherit.
inline NativeSocket new_socket(int family) {
  const SOCKET s = WSASocketW(family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                              WSA_FLAG_NO_HANDLE_INHERIT);
  u_long on = 1;
  if (s != INVALID_SOCKET && ioctlsocket(s, FIONBIO, &on) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  return s;
}

/// Nobody else may take the port while the device listens on it.
inline void prepare_to_listen(NativeSocket s) {
  const BOOL on = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
             reinterpret_cast<const char*>(&on), sizeof on);
}

/// The next waiting client, or kNoSocket. It inherits the listener's
/// non-blocking mode.
inline NativeSocket accept_client(NativeSocket listener) {
  return accept(listener, nullptr, nullptr);
}

inline int last_socket_error() { return WSAGetLastError(); }

/// The call failed only because it would have had to wait: wait, then call
/// again.
inline bool would_block(int error) {
  return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS ||
         error == WSAEINTR;
}

/// A connect that goes on after the call returned.
inline bool connect_in_progress(int error) { return error == WSAEWOULDBLOCK; }

/// A client that left before it was accepted: take the next.
inline bool client_gave_up(int error) { return error == WSAECONNRESET; }

constexpr short kReadable = POLLRDNORM;
constexpr short kWritable = POLLWRNORM;

/// Waits for the events until the deadline. Ok: ready, or the socket has an
/// error or hang-up, which the next call on it reports.
inline IoResult wait_for(NativeSocket s, short events,
                         Clock::time_point deadline) {
  WSAPOLLFD p{s, events, 0};
  const int r = WSAPoll(&p, 1, remaining_ms(deadline));
  if (r < 0) return IoResult::LineError;
  if (r == 0) return IoResult::Timeout;
  if (p.revents & POLLNVAL) return IoResult::LineError;
  return IoResult::Ok;
}

}  // namespace vr815

#endif  // VR815_SOCKET_WIN32_H
