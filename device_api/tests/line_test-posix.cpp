// What opening a line refuses, whatever kind of line it is: rates below the
// lowest at which the library's bounds hold, and rates a serial port cannot
// take, on a TCP line too.
#include <gtest/gtest.h>

#include <cstdint>

#include "VR815_DLL.h"
#include "sim_process.h"

namespace {

using vr815::test::SimProcess;

TEST(PortOpen, RefusesRatesBelowTheLowestAtWhichTheBoundsHold) {
  SimProcess sim;
  ASSERT_FALSE(sim.port().empty());
  // Rates the system can set, below the lowest.
  for (const int32_t baud : {50, 1200, 2400}) {
    EXPECT_EQ(vr815_init(sim.port().c_str(), baud), nullptr) << baud;
  }
  // The first standard rate above it, and the fastest ones.
  for (const int32_t baud : {4800, 460800, 921600}) {
    void* h = vr815_init(sim.port().c_str(), baud);
    EXPECT_NE(h, nullptr) << baud;
    vr815_close(h);
  }
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

}  // namespace
