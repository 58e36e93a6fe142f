// TCP lines: non-blocking sockets, every wait cut to the caller's deadline.
// The calls that differ between platforms come from the socket header the
// build names in VR815_SOCKET_HEADER.
#include "tcp_line.h"

#include <cstring>
#include <string>
#include <utility>

#include VR815_SOCKET_HEADER

namespace vr815 {

namespace {

/// Owns a socket and closes it when it goes.
class Socket {
 public:
  explicit Socket(NativeSocket s) : s_(s) {}
  Socket(Socket&& other) noexcept : s_(std::exchange(other.s_, kNoSocket)) {}
  Socket& operator=(Socket&&) = delete;
  ~Socket() {
    if (s_ != kNoSocket) close_socket(s_);
  }

  NativeSocket get() const { return s_; }
  bool valid() const { return s_ != kNoSocket; }

 private:
  NativeSocket s_;
};

/// The most one send or receive is given: Winsock takes the length as an
/// int.
int chunk(size_t len) {
  return static_cast<int>(len < 0x7FFFFFFF ? len : 0x7FFFFFFF);
}

class TcpLine final : public Line {
 public:
  explicit TcpLine(Socket socket) : socket_(std::move(socket)) {
    // Frames are small and each waits for its answer: send them at once.
    const int on = 1;
    setsockopt(socket_.get(), IPPROTO_TCP, TCP_NODELAY,
               reinterpret_cast<const char*>(&on), sizeof on);
  }

  void discard_input() override {
    char sink[256];
    while (recv(socket_.get(), sink, sizeof sink, 0) > 0) {
    }
  }

  IoResult write(const uint8_t* data, size_t len, int timeout_ms) override {
    const auto deadline = deadline_after(timeout_ms);
    size_t done = 0;
    while (done < len) {
      const auto n =
          send(socket_.get(), reinterpret_cast<const char*>(data + done),
               chunk(len - done), kSendFlags);
      if (n > 0) {
        done += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && !would_block(last_socket_error())) {
        return IoResult::LineError;
      }
      const IoResult ready = wait_for(socket_.get(), kWritable, deadline);
      if (ready != IoResult::Ok) return ready;
    }
    return IoResult::Ok;
  }

  IoResult read(uint8_t* buf, size_t len, int timeout_ms,
                size_t* got) override {
    *got = 0;
    if (len == 0) return IoResult::Ok;
    const auto deadline = deadline_after(timeout_ms);
    for (;;) {
      const auto n =
          recv(socket_.get(), reinterpret_cast<char*>(buf), chunk(len), 0);
      if (n > 0) {
        *got = static_cast<size_t>(n);
        return IoResult::Ok;
      }
      // 0 bytes: the peer closed.
      if (n == 0 || !would_block(last_socket_error())) {
        return IoResult::LineError;
      }
      const IoResult ready = wait_for(socket_.get(), kReadable, deadline);
      if (ready != IoResult::Ok) return ready;
    }
  }

 private:
  Socket socket_;
};

class Listener final : public TcpListener {
 public:
  explicit Listener(Socket socket) : socket_(std::move(socket)) {}

  std::unique_ptr<Line> accept(int timeout_ms) override {
    const auto deadline = deadline_after(timeout_ms);
    for (;;) {
      Socket client(accept_client(socket_.get()));
      if (client.valid()) return std::make_unique<TcpLine>(std::move(client));
      const int error = last_socket_error();
      if (!would_block(error) && !client_gave_up(error)) return nullptr;
      if (remaining_ms(deadline) == 0 ||
          wait_for(socket_.get(), kReadable, deadline) != IoResult::Ok) {
        return nullptr;
      }
    }
  }

 private:
  Socket socket_;
};

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
  *len = static_cast<socklen_t>(found->ai_addrlen);
  freeaddrinfo(found);
  return true;
}

/// Connects the new socket within timeout_ms.
bool connect_within(NativeSocket s, const sockaddr_storage& sa, socklen_t len,
                    int timeout_ms) {
  if (connect(s, reinterpret_cast<const sockaddr*>(&sa), len) == 0) {
    return true;
  }
  int error = last_socket_error();
  if (connect_in_progress(error) &&
      wait_for(s, kWritable, deadline_after(timeout_ms)) == IoResult::Ok) {
    socklen_t size = sizeof error;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                   &size) != 0) {
      error = last_socket_error();
    }
  }
  return error == 0;
}

/// The port the socket is bound to.
bool bound_port(NativeSocket s, uint16_t* port) {
  sockaddr_storage got{};
  socklen_t len = sizeof got;
  if (getsockname(s, reinterpret_cast<sockaddr*>(&got), &len) != 0) {
    return false;
  }
  *port = ntohs(got.ss_family == AF_INET6
                    ? reinterpret_cast<sockaddr_in6*>(&got)->sin6_port
                    : reinterpret_cast<sockaddr_in*>(&got)->sin_port);
  return true;
}

}  // namespace

std::unique_ptr<Line> tcp_connect(const SocketAddress& address,
                                  int timeout_ms) {
  sockaddr_storage sa{};
  socklen_t len = 0;
  if (address.port == 0 || !sockets_ready() || !resolve(address, &sa, &len)) {
    return nullptr;
  }
  Socket s(new_socket(sa.ss_family));
  if (!s.valid() || !connect_within(s.get(), sa, len, timeout_ms)) {
    return nullptr;
  }
  return std::make_unique<TcpLine>(std::move(s));
}

std::unique_ptr<TcpListener> tcp_listen(const SocketAddress& address,
                                        SocketAddress* bound) {
  sockaddr_storage sa{};
  socklen_t len = 0;
  if (!sockets_ready() || !resolve(address, &sa, &len)) return nullptr;
  Socket s(new_socket(sa.ss_family));
  if (!s.valid()) return nullptr;
  prepare_to_listen(s.get());
  uint16_t port = 0;
  if (bind(s.get(), reinterpret_cast<const sockaddr*>(&sa), len) != 0 ||
      listen(s.get(), 4) != 0 || !bound_port(s.get(), &port)) {
    return nullptr;
  }
  *bound = address;
  bound->port = port;
  return std::make_unique<Listener>(std::move(s));
}

}  // namespace vr815
