// The simulated device on a TCP port: one host at a time, and a request cut
// short dropped after a gap, so that the next is answered.
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
#include "sim_process.h"
#include "sim_session.h"
#include "test_clock.h"

namespace {

using vr815::test::Clock;
using vr815::test::ms_since;
using vr815::test::SimProcess;

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
