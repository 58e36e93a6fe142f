// What opening a line takes on Windows, where the library hands every
// positive rate on to the port: every rate from the lowest at which the
// library's bounds hold, none below, on a TCP line to a listener of the
// test's own. (POSIX systems, where only standard speeds open:
// line_test-posix.cpp.)
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "VR815_DLL.h"

namespace {

/// A listener on 127.0.0.1 at a free port; port() is 0 when it could not
/// be set up.
class Listener {
 public:
  Listener() {
    WSADATA wsa;
    started_ = WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    if (!started_) return;
    s_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s_ == INVALID_SOCKET) return;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof a;
    if (bind(s_, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
        listen(s_, 4) == 0 &&
        getsockname(s_, reinterpret_cast<sockaddr*>(&a), &len) == 0) {
      port_ = ntohs(a.sin_port);
    }
  }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;
  ~Listener() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
    if (started_) WSACleanup();
  }

  uint16_t port() const { return port_; }
  std::string name() const {
    return "socket://127.0.0.1:" + std::to_string(port_);
  }

  /// Whether a client connected within timeout_ms; its connection is
  /// closed at once.
  bool accepted(int timeout_ms) {
    WSAPOLLFD p{};
    p.fd = s_;
    p.events = POLLRDNORM;
    if (WSAPoll(&p, 1, timeout_ms) != 1) return false;
    const SOCKET client = accept(s_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return false;
    closesocket(client);
    return true;
  }

 private:
  bool started_ = false;
  SOCKET s_ = INVALID_SOCKET;
  uint16_t port_ = 0;
};

TEST(TcpOpen, TakesEveryRateFromTheLowestAndRefusesTheOthersUnconnected) {
  Listener listener;
  ASSERT_NE(listener.port(), 0);
  struct Case {
    int32_t baud;
    bool opens;
  };
  // 2933 and 2934 hold the lowest rate, VR815_MIN_BAUD, at its edge; the
  // rates without a standard speed that POSIX systems refuse open here.
  const Case cases[] = {
      {INT32_MIN, false}, {-1, false},     {0, false},        {1, false},
      {2400, false},      {2933, false},   {2934, true},      {12345, true},
      {115201, true},     {1000000, true}, {INT32_MAX, true},
  };
  for (const Case& c : cases) {
    void* h = vr815_init(listener.name().c_str(), c.baud);
    EXPECT_EQ(h != nullptr, c.opens) << c.baud;
    // A refused rate is refused before the connection is tried; a taken
    // one has connected by the time the open returns.
    EXPECT_EQ(listener.accepted(c.opens ? VR815_CONNECT_TIMEOUT_MS : 100),
              c.opens)
        << c.baud;
    if (h != nullptr) vr815_close(h);
  }
}

}  // namespace
