// vr815-sim as a program: its command line, exit statuses and signals.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "VR815_DLL.h"
#include "files.h"
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

/// The text with each roff minus sign, \-, as the character it prints.
std::string roff_minus_signs_printed(std::string text) {
  for (size_t at = text.find("\\-"); at != std::string::npos;
       at = text.find("\\-", at + 1)) {
    text.erase(at, 1);
  }
  return text;
}

TEST(SimProgram, HelpIsTheOptionsOfTheDocsAndTheManualPage) {
  const vr815::test::SimRun run = run_sim({"--help"});
  const std::string page = vr815::test::file_text(VR815_SIM_PAGE);
  EXPECT_NE(page.find("```\n" + run.out + "```\n"), std::string::npos)
      << "the page's options block differs from vr815-sim --help:\n"
      << run.out;
  const std::string manual =
      roff_minus_signs_printed(vr815::test::file_text(VR815_SIM_MANUAL));
  EXPECT_NE(manual.find(".nf\n" + run.out + ".fi\n"), std::string::npos)
      << "the manual page's options differ from vr815-sim --help:\n"
      << run.out;
}

TEST(SimProgram, VersionIsTheProjectVersion) {
  const vr815::test::SimRun run = run_sim({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "vr815-sim " VR815_VERSION "\n");
}

TEST(SimProgram, UnopenableLineIsStatus1) {
  SimProcess taken({"--listen", "0"});
  const std::string port_in_use =
      taken.port().substr(taken.port().rfind(':') + 1);
  // Down from the start, the line is still opened first.
  const std::vector<std::vector<std::string>> cases = {
      {"--port", "/nonexistent/tty"},
      {"--listen", port_in_use},
      {"--hangup-after", "0", "--port", "/nonexistent/tty"},
      {"--hangup-after", "0", "--listen", port_in_use},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.front() + " " + args.back());
    const vr815::test::SimRun run = run_sim(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

TEST(SimProgram, ListeningTellsTheSocketNameAndOnceEndsWithTheHost) {
  SimProcess sim({"--listen", "0", "--once"});
  ASSERT_EQ(sim.port().rfind("socket://127.0.0.1:", 0), 0u) << sim.port();
  EXPECT_NE(sim.port(), "socket://127.0.0.1:0");
  void* h = vr815_init(sim.port().c_str(), 115200);
  ASSERT_NE(h, nullptr);
  float celsius = 0.0f;
  EXPECT_EQ(vr815_read_temperature(h, &celsius), VR815_OK);
  vr815_close(h);
  EXPECT_EQ(sim.wait_for_exit(2000), 0);
}

TEST(SimProgram, UnopenableLogFileIsStatus1) {
  const std::string missing_dir =
      (std::filesystem::temp_directory_path() / "vr815-no-such-dir" / "log")
          .string();
  const vr815::test::SimRun run = run_sim({"--log", missing_dir});
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(run.err.empty());
}

TEST(SimProgram, StopSignalsEndItWithStatus0) {
  for (const int sig : {SIGTERM, SIGINT}) {
    SimProcess sim;
    EXPECT_EQ(sim.port().rfind("/dev/", 0), 0u) << sim.port();
    EXPECT_EQ(sim.stop(sig), 0) << sig;
  }
}

// CTest kills a test at its time limit with SIGKILL: the sim it started ends
// with it, as after a stop signal.
TEST(SimProgram, EndsWithTheTestThatStartedIt) {
  // The sim, orphaned, comes to this process, which can then see it end.
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t test = fork();
  if (test == 0) {
    // The test that dies: it starts a sim, tells its pid and waits.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    SimProcess sim;
    const pid_t pid = sim.pid();
    (void)!write(report[1], &pid, sizeof pid);
    pause();
    _exit(0);
  }
  close(report[1]);
  pid_t sim = -1;
  const ssize_t n = read(report[0], &sim, sizeof sim);
  close(report[0]);
  kill(test, SIGKILL);
  waitpid(test, nullptr, 0);
  ASSERT_EQ(n, static_cast<ssize_t>(sizeof sim));
  ASSERT_GT(sim, 0);

  vr815::test::Background orphan{sim, -1};
  EXPECT_EQ(vr815::test::wait_background(&orphan, 3000), 0)
      << "-1: the sim still runs";
  vr815::test::stop_background(&orphan, SIGKILL, 0);
}

TEST(SimProgram, WaitsForTheStopSignalAfterHangingUp) {
  SimProcess sim({"--hangup-after", "1"});
  ASSERT_FALSE(sim.port().empty());
  void* h = vr815_init(sim.port().c_str(), 115200);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(vr815_software_trigger(h), VR815_ERR_LINE);
  vr815_close(h);
  EXPECT_EQ(vr815_init(sim.port().c_str(), 115200), nullptr);
  EXPECT_EQ(sim.stop(), 0);
}

TEST(SimProgram, LineDownFromTheStartCannotBeOpened) {
  SimProcess sim({"--hangup-after", "0"});
  ASSERT_FALSE(sim.port().empty());
  EXPECT_EQ(vr815_init(sim.port().c_str(), 115200), nullptr);
  EXPECT_EQ(sim.stop(), 0);
}

}  // namespace
