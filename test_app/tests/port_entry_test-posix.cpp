// The port dialogue through the program's entry point, with the real library
// and a simulated device: a machine that lists no port, where the operator
// types the device's path.
#include <gtest/gtest.h>

#include <string>

#include "run_driver.h"
#include "sim_process.h"
#include "stdout_redirect.h"

namespace {

void no_pause(int32_t) {}
void no_key() {}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(PortEntry, TypedPathRunsTheWholeSequence) {
  vr815::test::SimProcess sim;
  ASSERT_FALSE(sim.port().empty());
  const char* argv[] = {"vr815-test"};
  int status = 1;
  std::string out;
  with_stdin(sim.port() + "\n", [&] {
    out = capture_stdout(
        [&] { status = run_harness(1, argv, RunWaits{no_pause, no_key}); });
  });
  EXPECT_EQ(status, 0);
  const std::string start =
      "No COM ports detected automatically.\n"
      "Type port name manually (e.g. COM3, COM50): "
      "=== VR815 DLL Test ===\n"
      "Port=" + sim.port() + ", Baud=115200\n";
  EXPECT_EQ(out.compare(0, start.size(), start), 0) << out;
  EXPECT_FALSE(contains(out, "[FAIL]")) << out;
  EXPECT_TRUE(contains(out, "  [ OK ] temperature = 25.50 C\n")) << out;
  EXPECT_TRUE(contains(out,
                       "  [ OK ] delay=0 ns, width=0 ns, trigMode=0, "
                       "trigFreq=1000.00 Hz\n"))
      << out;
  EXPECT_TRUE(contains(out, "  [ OK ] vr815_software_trigger\n")) << out;
  EXPECT_TRUE(contains(out, "\n=== Test End ===\n")) << out;
}

}  // namespace
