// What opening a line refuses, whatever kind of line it is: rates below the
// lowest at which the library's bounds hold, and rates a serial port cannot
// take, on a TCP line too.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "VR815_DLL.h"
#include "sim_process.h"

namespace {

using vr815::test::SimProcess;

/// Opens the device's line at each rate: at none of the refused ones, at
/// each of the others.
void expect_rates(const SimProcess& sim, const std::vector<int32_t>& refused,
                  const std::vector<int32_t>& opened) {
  for (const int32_t baud : refused) {
    EXPECT_EQ(vr815_init(sim.port().c_str(), baud), nullptr) << baud;
  }
  for (const int32_t baud : opened) {
    void* h = vr815_init(sim.port().c_str(), baud);
    EXPECT_NE(h, nullptr) << baud;
    vr815_close(h);
  }
}

TEST(PortOpen, RefusesRatesWithoutAStandardSpeed) {
  SimProcess sim;
  ASSERT_FALSE(sim.port().empty());
  // Past the fastest, 921600, even where the system has a speed for it.
  expect_rates(sim, {0, -1, -115200, 12345, 115201, 921601, 1000000, INT32_MAX},
               {9600, 115200, 230400});
}

TEST(PortOpen, RefusesRatesBelowTheLowestAtWhichTheBoundsHold) {
  SimProcess sim;
  ASSERT_FALSE(sim.port().empty());
  // Rates the system can set, below the lowest; the first standard rate
  // above it, and the fastest ones.
  expect_rates(sim, {50, 1200, 2400}, {4800, 460800, 921600});
}

TEST(TcpOpen, RateIsCheckedAsForASerialPort) {
  SimProcess sim({"--listen", "0"});
  ASSERT_FALSE(sim.port().empty());
  expect_rates(sim, {0, -9600, 12345, 2400}, {9600});
}

}  // namespace
