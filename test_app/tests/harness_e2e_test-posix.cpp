// The built vr815-test against vr815-sim on a pseudo-terminal, with the
// program's real waits: a full run takes about 5.5 s.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "VR815_DLL.h"
#include "sim_process.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using vr815::test::SimProcess;

struct ProgramRun {
  int status = -1;  ///< exit status 0 to 255; -1 when it did not end in time
  std::string out;
  double seconds = 0;
};

// Runs vr815-test with the arguments, standard input a pipe that holds one
// key press, for at most timeout_s seconds.
ProgramRun run_program(const std::vector<std::string>& args, int timeout_s) {
  ProgramRun run;
  int in[2];
  int out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return run;
  std::vector<std::string> all = {VR815_TEST_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  const auto start = Clock::now();
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, VR815_TEST_PATH, &actions, nullptr,
                             argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  if (rc == 0 && write(in[1], "\n", 1) != 1) kill(pid, SIGKILL);
  close(in[1]);
  if (rc != 0) {
    close(out[0]);
    return run;
  }

  const auto deadline = start + std::chrono::seconds(timeout_s);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    pollfd p{out[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
      kill(pid, SIGKILL);
      break;
    }
    char chunk[4096];
    const ssize_t n = read(out[0], chunk, sizeof chunk);
    if (n <= 0) break;
    run.out.append(chunk, static_cast<size_t>(n));
  }
  close(out[0]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
  return run;
}

// The report with the handle's sixteen upper-case hex digits masked.
std::string without_handle(std::string report) {
  const std::string key = "handle=";
  const size_t at = report.find(key);
  if (at == std::string::npos || report.size() < at + key.size() + 17) {
    return report;
  }
  const size_t digits = at + key.size();
  for (size_t i = digits; i < digits + 16; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(report[i])) &&
        !(report[i] >= 'A' && report[i] <= 'F')) {
      return report;
    }
  }
  if (report[digits + 16] != '\n') return report;
  return report.replace(digits, 16, "<16 hex digits>");
}

std::string from(const std::string& report, const std::string& start) {
  const size_t at = report.find(start);
  return at == std::string::npos ? "" : report.substr(at);
}

const char kSequence[] =
    "\n[1] vr815_init (open serial)\n"
    "  [ OK ] vr815_init, handle=<16 hex digits>\n"
    "\n[2] vr815_read_temperature\n"
    "  [ OK ] temperature = 25.50 C\n"
    "\n[3] vr815_read_timing_config (channel=1)\n"
    "  [ OK ] delay=0 ns, width=0 ns, trigMode=0, trigFreq=1000.00 Hz\n"
    "\n[4] vr815_set_trigger (Internal)\n"
    "  [ OK ] vr815_set_trigger\n"
    "\n[5] vr815_set_trigger_freq (1000 Hz)\n"
    "  [ OK ] vr815_set_trigger_freq\n"
    "\n[6] vr815_set_output_channel (ch=1, enable)\n"
    "  [ OK ] vr815_set_output_channel\n"
    "\n[7] vr815_set_delay (ch=1, 10 ns)\n"
    "  [ OK ] vr815_set_delay\n"
    "\n[8] vr815_set_pulse_width (ch=1, 100 ns)\n"
    "  [ OK ] vr815_set_pulse_width\n"
    "\n[9] vr815_set_global_output (enable)\n"
    "  [ OK ] vr815_set_global_output\n"
    "\n[10] vr815_set_trigger (Software)\n"
    "  [ OK ] vr815_set_trigger(Software)\n"
    "\n[10] vr815_software_trigger\n"
    "  [ OK ] vr815_software_trigger\n"
    "\n[11] vr815_close\n"
    "  [ OK ] vr815_close\n"
    "\n=== Test End ===\n"
    "\nPress any key to continue . . . \n";

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
  const ProgramRun run = run_program({sim.port()}, 30);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.rfind("=== VR815 DLL Test ===\nPort=" + sim.port() +
                                ", Baud=115200\n\n[0] Verify Protocol Frame "
                                "Format\n",
                            0) == 0)
      << run.out;
  EXPECT_EQ(without_handle(from(run.out, "\n[1] ")), kSequence);
  EXPECT_GE(run.seconds, 5.5);

  // Each setting went out on the line as the very frame stage 0 showed for
  // it; the log holds one line per frame, in the order of the calls.
  const std::vector<std::string> log = sim.log_lines();
  ASSERT_EQ(log.size(), 10u);
  struct Sent {
    const char* label;
    size_t call;  // index of the call in the log
  };
  for (const Sent& s : {Sent{"  [Frame] READ_TEMP: ", 0},
                        Sent{"  [Frame] SET_TRIG_FREQ(1kHz): ", 3},
                        Sent{"  [Frame] SET_CHANNEL(ch1,on): ", 4},
                        Sent{"  [Frame] SET_DELAY(ch1,10ns): ", 5},
                        Sent{"  [Frame] SET_PULSE_WIDTH(ch1,100ns): ", 6},
                        Sent{"  [Frame] SET_GLOBAL_OUTPUT(enable): ", 7},
                        Sent{"  [Frame] SET_TRIGGER(Software): ", 8},
                        Sent{"  [Frame] SOFTWARE_TRIG: ", 9}}) {
    EXPECT_EQ(dumped_frame(run.out, s.label), log[s.call]) << s.label;
  }
}

TEST(HarnessOnTheSimulatedDevice, RefusedDelayIsReportedAndTheRunGoesOn) {
  SimProcess sim({"--fail", "SET_DELAY=5"});
  ASSERT_FALSE(sim.port().empty());
  const ProgramRun run = run_program({sim.port()}, 30);
  EXPECT_EQ(run.status, 0);
  std::string expected = kSequence;
  const std::string ok = "  [ OK ] vr815_set_delay\n";
  expected.replace(expected.find(ok), ok.size(),
                   "  [FAIL] vr815_set_delay (code=5)\n");
  EXPECT_EQ(without_handle(from(run.out, "\n[1] ")), expected);
}

TEST(HarnessOnTheSimulatedDevice, SilentDeviceEndsInBoundedTime) {
  SimProcess sim({"--silent"});
  ASSERT_FALSE(sim.port().empty());
  const ProgramRun run = run_program({sim.port()}, 40);
  EXPECT_EQ(run.status, 0);
  const std::string timeout =
      " (code=" + std::to_string(VR815_ERR_TIMEOUT) + ")\n";
  for (const char* name :
       {"vr815_read_temperature", "vr815_read_timing_config",
        "vr815_set_trigger", "vr815_set_trigger_freq",
        "vr815_set_output_channel", "vr815_set_delay", "vr815_set_pulse_width",
        "vr815_set_global_output", "vr815_set_trigger(Software)",
        "vr815_software_trigger"}) {
    EXPECT_NE(run.out.find(std::string("  [FAIL] ") + name + timeout),
              std::string::npos)
        << name;
  }
  EXPECT_NE(run.out.find("  [ OK ] vr815_close\n\n=== Test End ===\n"),
            std::string::npos);
  EXPECT_EQ(run.out.find("[ OK ] vr815_read"), std::string::npos);
  // Ten calls of at most VR815_CALL_TIMEOUT_MS each, after 500 ms waits.
  EXPECT_LT(run.seconds, 11 * 0.5 + 10 * VR815_CALL_TIMEOUT_MS / 1000.0 + 3);
}

TEST(HarnessOnTheSimulatedDevice, PortThatDoesNotExist) {
  const ProgramRun run = run_program({"/dev/vr815-no-such-port"}, 10);
  EXPECT_EQ(run.status, 255);
  EXPECT_NE(run.out.find("  [ OK ] Frame format verified\n"
                         "\n[1] vr815_init (open serial)\n"
                         "  [FAIL] vr815_init returned NULL\n"
                         "  possible: wrong port name / port occupied / "
                         "device not connected\n"
                         "\nPress any key to continue . . . \n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("[2]"), std::string::npos);
}

}  // namespace
