// The built vr815-test against vr815-sim on the other lines a device is
// reached on: over TCP by its socket:// name, and on one end of a virtual
// serial pair with the simulated device on the other (--port).
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "expected_report.h"
#include "files.h"
#include "program_run.h"
#include "sim_process.h"

namespace vr815::test {
namespace {

ProgramResult run_harness_on(const std::string& port) {
  return run_program({{VR815_TEST_PATH, port}, "\n", 30000});
}

TEST(HarnessOnOtherLines, OverTcpTheFullReport) {
  SimProcess sim({"--listen", "127.0.0.1:0"});
  ASSERT_EQ(sim.port().rfind("socket://127.0.0.1:", 0), 0u) << sim.port();
  const ProgramResult run = run_harness_on(sim.port());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(mask_handle(run.out),
            expected_report(sim.port(), 115200, true, CallStatuses{}));
}

TEST(HarnessOnOtherLines, OnAVirtualSerialPairTheFullReport) {
  const std::string socat = VR815_SOCAT;
  if (socat.empty()) GTEST_SKIP() << "no socat for the virtual serial pair";
  const TempDir dir;
  const std::string device_end = (dir.path / "device").string();
  const std::string host_end = (dir.path / "host").string();
  Background pair =
      start_background({socat, "pty,raw,echo=0,link=" + device_end,
                        "pty,raw,echo=0,link=" + host_end});
  ASSERT_GT(pair.pid, 0);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!(std::filesystem::exists(device_end) &&
           std::filesystem::exists(host_end)) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  {
    SimProcess sim({"--port", device_end});
    ASSERT_EQ(sim.port(), device_end);
    const ProgramResult run = run_harness_on(host_end);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(mask_handle(run.out),
              expected_report(host_end, 115200, true, CallStatuses{}));
    EXPECT_EQ(sim.stop(), 0);
  }
  stop_background(&pair, SIGTERM, 2000);
}

}  // namespace
}  // namespace vr815::test
