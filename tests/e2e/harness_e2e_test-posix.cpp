// The built vr815-test against vr815-sim on a pseudo-terminal, with the
// program's real waits: a full run takes about 5.5 s.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "VR815_DLL.h"
#include "expected_report.h"
#include "frame_check_table.h"
#include "program_run.h"
#include "sim_process.h"

namespace vr815::test {
namespace {

// Runs vr815-test with the arguments and one key press on standard input.
ProgramResult run_harness_program(const std::vector<std::string>& args,
                                  int timeout_s) {
  Invocation invocation;
  invocation.argv = {VR815_TEST_PATH};
  invocation.argv.insert(invocation.argv.end(), args.begin(), args.end());
  invocation.input = "\n";
  invocation.timeout_ms = timeout_s * 1000;
  return run_program(invocation);
}

// The hex pairs that stage 0 printed behind the label.
std::string dumped_frame(const std::string& report, const std::string& label) {
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, label.size(), label) == 0) {
      return line.substr(label.size());
    }
  }
  return "(no " + label + "line)";
}

TEST(HarnessOnTheSimulatedDevice, FullRunAndTheFramesOnTheLine) {
  SimProcess sim({}, /*log=*/true);
  ASSERT_FALSE(sim.port().empty());
  const ProgramResult run = run_harness_program({sim.port()}, 30);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(mask_handle(run.out),
            expected_report(sim.port(), 115200, true, CallStatuses{}));
  EXPECT_GE(run.seconds, 5.5);

  // Each setting went out on the line as the very frame stage 0 showed for
  // it, but for the tag the call carried: the program's calls are tagged 1,
  // 2, 3 ... The log holds one line per frame, in the order of the calls.
  const std::vector<std::string> log = sim.log_lines();
  ASSERT_EQ(log.size(), kCalls);
  for (size_t call = 0; call < kCalls; ++call) {
    EXPECT_EQ(shown_tag(log[call]), static_cast<int>(call + 1));
    if (kCallRows[call].frame == nullptr) continue;
    const std::string label = std::string("  [Frame] ") +
                              frame_row(kCallRows[call].frame).label + ": ";
    EXPECT_EQ(
        with_tag(dumped_frame(run.out, label), static_cast<uint8_t>(call + 1)),
        log[call])
        << label;
  }
}

TEST(HarnessOnTheSimulatedDevice, RefusedDelayIsReportedAndTheRunGoesOn) {
  SimProcess sim({"--fail", "SET_DELAY=5"});
  ASSERT_FALSE(sim.port().empty());
  const ProgramResult run = run_harness_program({sim.port()}, 30);
  EXPECT_EQ(run.status, 0);
  CallStatuses statuses{};
  statuses[kSetDelay] = 5;
  EXPECT_EQ(mask_handle(run.out),
            expected_report(sim.port(), 115200, true, statuses));
  EXPECT_NE(run.out.find("  [FAIL] vr815_set_delay (code=5)\n"),
            std::string::npos);
}

TEST(HarnessOnTheSimulatedDevice, SilentDeviceEndsInBoundedTime) {
  SimProcess sim({"--silent"});
  ASSERT_FALSE(sim.port().empty());
  const ProgramResult run = run_harness_program({sim.port()}, 40);
  EXPECT_EQ(run.status, 0);
  CallStatuses statuses;
  statuses.fill(VR815_ERR_TIMEOUT);
  EXPECT_EQ(mask_handle(run.out),
            expected_report(sim.port(), 115200, true, statuses));
  // Ten calls of at most VR815_CALL_TIMEOUT_MS each, after 500 ms waits.
  EXPECT_LT(run.seconds, 11 * 0.5 + 10 * VR815_CALL_TIMEOUT_MS / 1000.0 + 3);
}

TEST(HarnessOnTheSimulatedDevice, PortThatDoesNotExist) {
  const std::string port = "/dev/vr815-no-such-port";
  const ProgramResult run = run_harness_program({port}, 10);
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.out, expected_report(port, 115200, false, CallStatuses{}));
}

}  // namespace
}  // namespace vr815::test
