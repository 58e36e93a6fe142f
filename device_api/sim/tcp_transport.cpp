// The device on a TCP port: one host at a time, as a serial port allows;
// a host that connects while another is served is closed at once.
#include <algorithm>
#include <memory>
#include <utility>

#include "socket_address.h"
#include "tcp_line.h"
#include "transport.h"

namespace vr815::sim {

namespace {

/// Longest wait on the host before newcomers are turned away again.
constexpr int kRefuseEveryMs = 10;

class TcpTransport : public Transport {
 public:
  explicit TcpTransport(std::unique_ptr<TcpListener> listener)
      : listener_(std::move(listener)) {}

  IoResult receive(uint8_t* buf, size_t len, int timeout_ms,
                   size_t* got) override {
    *got = 0;
    if (listener_ == nullptr) return wait_on_dead_line(timeout_ms);
    if (host_ == nullptr) {
      host_ = listener_->accept(timeout_ms);
      return IoResult::Timeout;
    }
    // A host that left and came back has closed before it connected again:
    // look for its leaving first, so that it is not turned away as a
    // newcomer.
    IoResult r = host_->read(buf, len, 0, got);
    if (r == IoResult::Timeout) {
      while (listener_->accept(0) != nullptr) {
      }
      r = host_->read(buf, len, std::min(timeout_ms, kRefuseEveryMs), got);
    }
    if (r == IoResult::LineError) host_.reset();
    return r;
  }

  IoResult send(const uint8_t* data, size_t len, int timeout_ms) override {
    if (host_ == nullptr) return IoResult::LineError;
    return host_->write(data, len, timeout_ms);
  }

  void hang_up() override {
    host_.reset();
    listener_.reset();
  }

 private:
  std::unique_ptr<TcpListener> listener_;
  std::unique_ptr<Line> host_;
};

}  // namespace

OpenedTransport open_tcp_transport(const SocketAddress& address,
                                   const std::string& shown) {
  OpenedTransport opened;
  SocketAddress bound;
  std::unique_ptr<TcpListener> listener = tcp_listen(address, &bound);
  if (listener == nullptr) {
    opened.error = "cannot listen on '" + shown + "'";
    return opened;
  }
  opened.name = socket_name(bound);
  opened.transport = std::make_unique<TcpTransport>(std::move(listener));
  return opened;
}

}  // namespace vr815::sim
