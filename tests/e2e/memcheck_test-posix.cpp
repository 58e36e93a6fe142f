// One whole run of vr815-test under valgrind's memcheck, against a device
// that answers the first calls and then hangs up, so that the reads, the
// settings and the line's failure all run: no invalid access, no use of
// uninitialised memory, no leak.
#include <gtest/gtest.h>

#include <string>

#include "VR815_DLL.h"
#include "expected_report.h"
#include "program_run.h"
#include "sim_process.h"

namespace vr815::test {
namespace {

/// memcheck's exit status when it found errors.
constexpr int kErrorStatus = 99;
/// Hang up when the sixth frame arrives.
constexpr size_t kHangUpAt = 6;

TEST(Memcheck, WholeRunIsClean) {
  const std::string valgrind = VR815_VALGRIND;
  if (valgrind.empty()) GTEST_SKIP() << "valgrind is not installed";
  SimProcess sim({"--hangup-after", std::to_string(kHangUpAt)});
  ASSERT_FALSE(sim.port().empty());
  const ProgramResult run = run_program(
      {{valgrind, "--quiet", "--error-exitcode=" + std::to_string(kErrorStatus),
        "--leak-check=full",
        "--errors-for-leak-kinds=definite,indirect,possible", VR815_TEST_PATH,
        sim.port()},
       "\n",
       120000});
  ASSERT_FALSE(run.timed_out);
  // memcheck's own notes (ioctls it has no model for) are no errors; an
  // error changes the exit status.
  EXPECT_EQ(run.status, 0) << run.err;
  CallStatuses statuses{};
  for (size_t i = kHangUpAt - 1; i < kCalls; ++i) {
    statuses[i] = VR815_ERR_LINE;
  }
  EXPECT_EQ(mask_handle(run.out),
            expected_report(sim.port(), 115200, true, statuses));
}

}  // namespace
}  // namespace vr815::test
