// The built vr815-test hosted by vr815-sim --run on every line a device is
// reached on: its own pseudo-terminal, TCP by its socket:// name, and one
// end of a virtual serial pair with the harness on the other (--port).
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "expected_report.h"
#include "files.h"
#include "sim_process.h"

namespace vr815::test {
namespace {

/// Waits up to 5 s for the paths to exist.
void wait_for_paths(const std::vector<std::string>& paths) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (const std::string& path : paths) {
    while (!std::filesystem::exists(path) &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
}

TEST(HarnessOnEveryLine, HostedByTheDeviceTheFullReport) {
  struct Case {
    const char* line;
    Invocation invocation;
    std::string port_start;  ///< how the name the harness opens starts
  };
  std::vector<Case> cases = {
      {"pseudo-terminal", hosted_run({}, {VR815_TEST_PATH}), "/dev/"},
      {"TCP", hosted_run({"--listen", "127.0.0.1:0"}, {VR815_TEST_PATH}),
       "socket://127.0.0.1:"},
  };
  // On a virtual serial pair the harness opens the other end: named in its
  // arguments, the device's end appended after the baud rate, where the
  // harness ignores it.
  const TempDir dir;
  const std::string device_end = (dir.path / "device").string();
  const std::string host_end = (dir.path / "host").string();
  Background pair;
  const std::string socat = VR815_SOCAT;
  if (!socat.empty()) {
    pair = start_background({socat, "pty,raw,echo=0,link=" + device_end,
                             "pty,raw,echo=0,link=" + host_end});
    wait_for_paths({device_end, host_end});
    cases.push_back({"serial port",
                     hosted_run({"--port", device_end},
                                {VR815_TEST_PATH, host_end, "115200"}),
                     host_end});
  }
  std::vector<Invocation> invocations;
  for (const Case& c : cases) invocations.push_back(c.invocation);
  const std::vector<ProgramResult> runs =
      run_programs(invocations, invocations.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].line);
    const ProgramResult& run = runs[i];
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string port = reported_port(run.out);
    EXPECT_EQ(port.rfind(cases[i].port_start, 0), 0u) << port;
    EXPECT_EQ(mask_handle(run.out),
              expected_report(port, 115200, true, CallStatuses{}));
    EXPECT_EQ(run.err, "");
  }
  if (socat.empty()) {
    GTEST_SKIP() << "no socat for the virtual serial pair; the other lines ran";
  }
  stop_background(&pair, SIGTERM, 2000);
}

}  // namespace
}  // namespace vr815::test
