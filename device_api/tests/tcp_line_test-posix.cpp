// The library's TCP line: which names it opens, how an open fails and how
// long that takes, and the device's one-host-at-a-time rule.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "VR815_DLL.h"
#include "frame_check_table.h"
#include "sim_process.h"
#include "sim_session.h"
#include "test_clock.h"

namespace {

using vr815::test::Clock;
using vr815::test::frame_row;
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

/// A plain TCP client of the device's port: raw bytes, no library.
int connect_raw(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

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

TEST(TcpOpen, RateIsCheckedAsForASerialPort) {
  SimProcess sim({"--listen", "0"});
  ASSERT_FALSE(sim.port().empty());
  for (const int32_t baud : {0, -9600, 12345, 2400}) {
    EXPECT_EQ(vr815_init(sim.port().c_str(), baud), nullptr) << baud;
  }
  void* h = vr815_init(sim.port().c_str(), 9600);
  EXPECT_NE(h, nullptr);
  vr815_close(h);
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

TEST(TcpDevice, SecondHostIsClosedAtOnceWhileTheFirstGoesOn) {
  SimProcess sim({"--listen", "0"});
  ASSERT_FALSE(sim.port().empty());
  void* first = vr815_init(sim.port().c_str(), 115200);
  ASSERT_NE(first, nullptr);
  float celsius = 0.0f;
  ASSERT_EQ(vr815_read_temperature(first, &celsius), VR815_OK);

  // The connection is made before the device can turn it away, so the
  // second host learns at its first call.
  void* second = vr815_init(sim.port().c_str(), 115200);
  ASSERT_NE(second, nullptr);
  const auto start = Clock::now();
  EXPECT_EQ(vr815_software_trigger(second), VR815_ERR_LINE);
  EXPECT_LT(ms_since(start), VR815_REPLY_TIMEOUT_MS / 2);
  vr815_close(second);

  EXPECT_EQ(vr815_read_temperature(first, &celsius), VR815_OK);
  vr815_close(first);
  void* next = vr815_init(sim.port().c_str(), 115200);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(vr815_read_temperature(next, &celsius), VR815_OK);
  vr815_close(next);
}

TEST(TcpDevice, RequestAfterACutShortOneIsAnswered) {
  SimProcess sim({"--listen", "0"});
  ASSERT_FALSE(sim.port().empty());
  const int fd = connect_raw(port_of(sim.port()));
  ASSERT_GE(fd, 0);
  // A SET_DELAY cut off after its header, which announces 8 more bytes.
  std::vector<uint8_t> cut;
  VR815DDG::BuildFrameU32(VR815DDG::SET_DELAY, 1, {1000, 0}, cut);
  ASSERT_EQ(write(fd, cut.data(), 6), 6);
  std::this_thread::sleep_for(
      std::chrono::milliseconds(vr815::sim::kInterByteTimeoutMs + 50));
  std::vector<uint8_t> temp;
  VR815DDG::BuildFrame(VR815DDG::READ_TEMP, 0, nullptr, 0, temp);
  ASSERT_EQ(write(fd, temp.data(), temp.size()),
            static_cast<ssize_t>(temp.size()));
  pollfd p{fd, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 1000), 1);
  uint8_t reply[2] = {};
  EXPECT_EQ(read(fd, reply, sizeof reply), 2);
  EXPECT_EQ(reply[0], 0x5A);
  EXPECT_EQ(reply[1], VR815DDG::READ_TEMP);
  close(fd);
}

}  // namespace
