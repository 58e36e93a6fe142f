// vr815-sim as a program: its command line, exit statuses and signals, the
// lines it serves on.
#include <signal.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "VR815_DLL.h"
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

TEST(SimProgram, OneDeviceServesOneSessionAfterAnother) {
  // On a pseudo-terminal and on TCP.
  for (const std::vector<std::string>& line :
       {std::vector<std::string>{}, {"--listen", "127.0.0.1:0"}}) {
    SCOPED_TRACE(line.empty() ? "a pseudo-terminal" : "TCP");
    SimProcess sim(line);
    ASSERT_FALSE(sim.port().empty());
    for (int session = 0; session < 3; ++session) {
      void* h = vr815_init(sim.port().c_str(), 115200);
      ASSERT_NE(h, nullptr) << session;
      float celsius = 0.0f;
      EXPECT_EQ(vr815_read_temperature(h, &celsius), VR815_OK) << session;
      EXPECT_EQ(vr815_close(h), VR815_OK);
    }
  }
}

}  // namespace
