// The port dialogue through the program's entry point, with the real library
// and a simulated device: a machine that lists no port, where the operator
// types the device's path.
#include <gtest/gtest.h>

#include <string>

#include "expected_report.h"
#include "fake_machine.h"
#include "run_driver.h"
#include "sim_process.h"
#include "stdout_redirect.h"

namespace vr815::test {
namespace {

TEST(PortEntry, TypedPathRunsTheWholeSequence) {
  SimProcess sim;
  ASSERT_FALSE(sim.port().empty());
  const char* argv[] = {"vr815-test"};
  int status = 1;
  std::string out;
  with_stdin(sim.port() + "\n", [&] {
    out = capture_stdout([&] {
      status = run_harness(1, argv, Machine{no_port_names, no_pause, no_key});
    });
  });
  EXPECT_EQ(status, 0);
  RunOutcome expected;
  expected.port = sim.port();
  expected.key_prompt = "";
  EXPECT_EQ(mask_handle(out), kTypePortPrompt + expected_report(expected));
}

}  // namespace
}  // namespace vr815::test
