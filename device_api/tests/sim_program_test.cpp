// vr815-sim as a program: its command line, exit statuses and signals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_process.h"

namespace {

using vr815::test::run_sim;
using vr815::test::SimProcess;

TEST(SimProgram, BadCommandLineIsOneLineOnStandardErrorAndStatus2) {
  const std::vector<std::vector<std::string>> cases = {
      {"--bogus"},
      {"--fail", "NO_SUCH=1"},
      {"--delay-ms"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.front());
    const vr815::test::SimRun run = run_sim(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

TEST(SimProgram, HelpGoesToStandardOutput) {
  const vr815::test::SimRun run = run_sim({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("--hangup-after"), std::string::npos);
  EXPECT_TRUE(run.err.empty());
}

TEST(SimProgram, ExitsCleanlyOnTermEvenAfterHangingUp) {
  SimProcess plain;
  EXPECT_EQ(plain.port().rfind("/dev/", 0), 0u) << plain.port();
  EXPECT_EQ(plain.stop(), 0);
  EXPECT_EQ(plain.stop(), 0);
}

TEST(SimProgram, UnwritableLogFileIsStatus1) {
  const vr815::test::SimRun run =
      run_sim({"--log", "/nonexistent-dir/vr815.log"});
  EXPECT_EQ(run.status, 1);
}

}  // namespace
