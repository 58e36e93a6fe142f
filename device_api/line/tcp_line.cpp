// TCP lines: non-blocking sockets, every wait cut to the caller's deadline,
// over the socket calls of the platform (socket.h).
#include "tcp_line.h"

#include <utility>

#include "socket.h"

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

class TcpLine final : public Line {
 public:
  explicit TcpLine(Socket socket) : socket_(std::move(socket)) {}

  void discard_input() override {
    uint8_t sink[256];
    while (receive_once(socket_.get(), sink, sizeof sink) > 0) {
    }
  }

  IoResult write(const uint8_t* data, size_t len, int timeout_ms) override {
    const NativeSocket s = socket_.get();
    return write_all(
        s, data, len, deadline_after(timeout_ms),
        [s](const uint8_t* bytes, size_t n) { return send_once(s, bytes, n); });
  }

  IoResult read(uint8_t* buf, size_t len, int timeout_ms,
                size_t* got) override {
    *got = 0;
    if (len == 0) return IoResult::Ok;
    const auto deadline = deadline_after(timeout_ms);
    for (;;) {
      const std::ptrdiff_t n = receive_once(socket_.get(), buf, len);
      if (n > 0) {
        *got = static_cast<size_t>(n);
        return IoResult::Ok;
      }
      // 0 bytes: the peer closed.
      if (n == 0 || !would_block(last_socket_error())) {
        return IoResult::LineError;
      }
      const IoResult ready =
          wait_for(socket_.get(), Awaited::Readable, deadline);
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
          wait_for(socket_.get(), Awaited::Readable, deadline) !=
              IoResult::Ok) {
        return nullptr;
      }
    }
  }

 private:
  Socket socket_;
};

}  // namespace

std::unique_ptr<Line> tcp_connect(const SocketAddress& address,
                                  int timeout_ms) {
  if (address.port == 0 || !sockets_ready()) return nullptr;
  Socket s(start_connect(address));
  if (!s.valid() ||
      wait_for(s.get(), Awaited::Writable, deadline_after(timeout_ms)) !=
          IoResult::Ok ||
      !connected(s.get())) {
    return nullptr;
  }
  return std::make_unique<TcpLine>(std::move(s));
}

std::unique_ptr<TcpListener> tcp_listen(const SocketAddress& address,
                                        SocketAddress* bound) {
  uint16_t port = 0;
  if (!sockets_ready()) return nullptr;
  Socket s(start_listening(address, &port));
  if (!s.valid()) return nullptr;
  *bound = address;
  bound->port = port;
  return std::make_unique<Listener>(std::move(s));
}

}  // namespace vr815
