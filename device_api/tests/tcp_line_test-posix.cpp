// The library's TCP line: which names it opens, how an open fails and how
// long that takes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VR815_DLL.h"
#include "sim_process.h"
#include "test_clock.h"

namespace {

using vr815::test::Clock;
using vr815::test::kSlackMs;
using vr815::test::ms_since;
using vr815::test::SimProcess;

/// A loopback listener that never accepts; its port, or 0.
struct Listener {
  explicit Listener(int backlog) {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
        listen(fd, backlog) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0) {
      port = ntohs(a.sin_port);
    }
  }
  ~Listener() { close(fd); }
  std::string name() const {
    return "socket://127.0.0.1:" + std::to_string(port);
  }
  int fd;
  uint16_t port = 0;
};

uint16_t port_of(const std::string& name) {
  return static_cast<uint16_t>(std::stoi(name.substr(name.rfind(':') + 1)));
}

TEST(TcpOpen, MalformedNamesAndRefusedPortsAreNullAtOnce) {
  uint16_t refused = 0;
  {
    const Listener gone(1);
    refused = gone.port;
  }  // closed: connections to it are refused
  ASSERT_NE(refused, 0);
  const std::string refused_name =
      "socket://127.0.0.1:" + std::to_string(refused);
  const std::vector<std::string> names = {
      "socket://",
      "socket://127.0.0.1",
      "socket://127.0.0.1:",
      "socket://:5000",
      "socket://127.0.0.1:0",
      "socket://127.0.0.1:70000",
      "socket://127.0.0.1:-1",
      "socket://127.0.0.1:80x",
      "socket://127.0.0.1:+80",
      "socket://256.0.0.1:5000",
      "socket://127.0.0.01:5000",
      "socket://127.1:5000",
      "socket://::1:5000",
      "socket://[::1:5000",
      "socket://[zz::1]:5000",
      "socket://example.invalid:5000",  // names are never looked up
      "socket://localhost.:5000",
      "SOCKET://127.0.0.1:5000",
      refused_name,
  };
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const auto start = Clock::now();
    void* h = vr815_init(name.c_str(), 115200);
    EXPECT_EQ(h, nullptr);
    EXPECT_LT(ms_since(start), kSlackMs);
    vr815_close(h);
  }
}

TEST(TcpOpen, NoConnectionWithinTheBoundIsNull) {
  // A listener that never accepts, its backlog filled: the kernel leaves
  // further connections unanswered.
  const Listener full(0);
  ASSERT_NE(full.port, 0);
  std::vector<int> fillers;
  for (int i = 0; i < 4; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(full.port);
    connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    fillers.push_back(fd);
  }
  const auto start = Clock::now();
  EXPECT_EQ(vr815_init(full.name().c_str(), 115200), nullptr);
  const int64_t took = ms_since(start);
  EXPECT_LE(took, VR815_CONNECT_TIMEOUT_MS + kSlackMs);
  for (const int fd : fillers) close(fd);
}

TEST(TcpOpen, HostMayBeLocalhostOrIpv6) {
  const SimProcess v4({"--listen", "0"});
  ASSERT_FALSE(v4.port().empty());
  const std::string by_name =
      "socket://localhost:" + std::to_string(port_of(v4.port()));
  void* h = vr815_init(by_name.c_str(), 115200);
  EXPECT_NE(h, nullptr);
  vr815_close(h);

  const SimProcess v6({"--listen", "[::1]:0"});
  if (v6.port().empty()) GTEST_SKIP() << "no IPv6 loopback here";
  EXPECT_EQ(v6.port().rfind("socket://[::1]:", 0), 0u) << v6.port();
  h = vr815_init(v6.port().c_str(), 115200);
  ASSERT_NE(h, nullptr);
  float celsius = 0.0f;
  EXPECT_EQ(vr815_read_temperature(h, &celsius), VR815_OK);
  vr815_close(h);
}

}  // namespace
