// The device on a TCP port: one host at a time, as a serial port allows;
// a host that connects while another is served is closed at once.
#include <algorithm>

#include "socket_address.h"
#include "tcp_line.h"
#include "transport.h"

namespace vr815::sim {

namespace {

/// Longest wait on the host before newcomers are turned away again.
constexpr int kRefuseEveryMs = 10;

class TcpTransport : public Transport {
 public:
  explicit TcpTransport(TcpListener* listener) : listener_(listener) {}
  ~TcpTransport() override {
    tcp_close(host_);
    tcp_stop_listening(listener_);
  }

  IoResult receive(uint8_t* buf, size_t len, int timeout_ms,
                   size_t* got) override {
    *got = 0;
    if (listener_ == nullptr) return wait_on_dead_line(timeout_ms);
    if (host_ == nullptr) {
      host_ = tcp_accept(listener_, timeout_ms);
      return IoResult::Timeout;
    }
    while (TcpLine* newcomer = tcp_accept(listener_, 0)) tcp_close(newcomer);
    const IoResult r = tcp_read(host_, buf, len,
                                std::min(timeout_ms, kRefuseEveryMs), got);
    if (r == IoResult::LineError) {
      tcp_close(host_);
      host_ = nullptr;
    }
    return r;
  }

  IoResult send(const uint8_t* data, size_t len, int timeout_ms) override {
    return tcp_write(host_, data, len, timeout_ms);
  }

  void hang_up() override {
    tcp_close(host_);
    host_ = nullptr;
    tcp_stop_listening(listener_);
    listener_ = nullptr;
  }

 private:
  TcpListener* listener_;
  TcpLine* host_ = nullptr;
};

}  // namespace

OpenedTransport open_tcp_transport(const Options& options) {
  OpenedTransport opened;
  SocketAddress address;
  SocketAddress bound;
  TcpListener* listener = nullptr;
  if (parse_listen_address(options.listen, &address)) {
    listener = tcp_listen(address, &bound);
  }
  if (listener == nullptr) {
    opened.error = "cannot listen on '" + options.listen + "'";
    return opened;
  }
  opened.name = socket_name(bound);
  opened.transport = std::make_unique<TcpTransport>(listener);
  if (options.hangup_after == uint64_t{0}) opened.transport->hang_up();
  return opened;
}

}  // namespace vr815::sim
