#include "run_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "expected_report.h"
#include "fake_machine.h"
#include "fake_vr815_library.h"
#include "files.h"
#include "stdout_redirect.h"

namespace vr815::test {
namespace {

// Marks where the key press comes in the report.
void marked_key_press() { std::printf("<key>"); }

struct HarnessRun {
  std::string out;
  int status;
  std::vector<std::string> calls;
};

HarnessRun run(const std::vector<const char*>& args,
               const FakeScript& script = FakeScript{},
               const std::string& input = "") {
  fake_library_load(script);
  std::vector<const char*> argv = {"vr815-test"};
  argv.insert(argv.end(), args.begin(), args.end());
  HarnessRun result{};
  with_stdin(input, [&] {
    result.out = capture_stdout([&] {
      result.status =
          run_harness(static_cast<int>(argv.size()), argv.data(),
                      Machine{listed_port_names, no_pause, marked_key_press});
    });
  });
  result.calls = fake_library_calls();
  return result;
}

// The report of a run on the stand-in library with its defaults, the key
// press marked.
RunOutcome stand_in_run(const std::string& port) {
  RunOutcome outcome;
  outcome.port = port;
  outcome.frames = FrameText::kStandIn;
  outcome.readings = kStandInReadings;
  outcome.handle = "00000000000001F0";
  outcome.key_prompt = "<key>";
  return outcome;
}

bool starts_with(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

bool ends_with(const std::string& text, const std::string& end) {
  return text.size() >= end.size() &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

struct CommandLineCase {
  std::vector<const char*> args;
  std::string input;  ///< the operator's answers
  std::string start;  ///< the report up to the line with port and baud rate
  std::string open;   ///< the open as the library sees it
};

TEST(RunHarness, PortAndBaudRateFromTheCommandLine) {
  const std::string listed = port_list_prompt({"COM1", "COM4"});
  const CommandLineCase cases[] = {
      {{"COM7"}, "", banner("COM7", 115200), "vr815_init(COM7, 115200)"},
      {{"COM7", "9600"}, "", banner("COM7", 9600), "vr815_init(COM7, 9600)"},
      {{"COM7", "fast"}, "", banner("COM7", 0), "vr815_init(COM7, 0)"},
      {{"COM7", "9600", "x"},
       "",
       banner("COM7", 9600),
       "vr815_init(COM7, 9600)"},
      {{"COM7", " +38400bd"},
       "",
       banner("COM7", 38400),
       "vr815_init(COM7, 38400)"},
      {{"COM7", "99999999999999999999"},
       "",
       banner("COM7", 2147483647),
       "vr815_init(COM7, 2147483647)"},
      {{"COM7", "-4294967297"},
       "",
       banner("COM7", -2147483647 - 1),
       "vr815_init(COM7, -2147483648)"},
      {{" com12 "},
       "",
       banner(" com12 ", 115200),
       "vr815_init( com12 , 115200)"},
      {{}, "2\n", listed + banner("COM4", 115200), "vr815_init(COM4, 115200)"},
      {{},
       "3\n",
       listed + kInvalidSelection + banner("COM3", 115200),
       "vr815_init(COM3, 115200)"},
      {{}, "\n", listed + banner("COM3", 115200), "vr815_init(COM3, 115200)"},
  };
  for (const CommandLineCase& c : cases) {
    SCOPED_TRACE(c.start);
    const HarnessRun r = run(c.args, FakeScript{}, c.input);
    EXPECT_TRUE(starts_with(r.out, c.start)) << r.out;
    ASSERT_FALSE(r.calls.empty());
    EXPECT_NE(std::find(r.calls.begin(), r.calls.end(), c.open), r.calls.end());
    EXPECT_EQ(r.status, 0);
  }
}

TEST(RunHarness, ExitStatusAndTheFinalKeyPress) {
  FakeScript every_step_fails;
  for (const char* f :
       {"vr815_read_temperature", "vr815_read_timing_config",
        "vr815_set_trigger", "vr815_set_trigger_freq",
        "vr815_set_output_channel", "vr815_set_delay", "vr815_set_pulse_width",
        "vr815_set_global_output", "vr815_software_trigger", "vr815_close"}) {
    every_step_fails.status[f] = -100001;
  }
  const HarnessRun failed_steps = run({"COM7"}, every_step_fails);
  EXPECT_EQ(failed_steps.status, 0);
  RunOutcome timeouts = stand_in_run("COM7");
  timeouts.statuses.fill(-100001);
  EXPECT_EQ(failed_steps.out, expected_report(timeouts));

  FakeScript no_device;
  no_device.null_handle = true;
  const HarnessRun failed_open = run({"COM99"}, no_device);
  EXPECT_EQ(failed_open.status, -1);
  RunOutcome not_opened = stand_in_run("COM99");
  not_opened.opened = false;
  EXPECT_EQ(failed_open.out, expected_report(not_opened));
}

// A whole run in which every call succeeds, byte for byte. The fake library
// dumps a frame as its command, parameter and data, written past stdio. The
// transcript is also the witness that the expected report is the program's.
TEST(RunHarness, GoldenTranscriptOfASuccessfulRun) {
  const std::string golden = file_text(VR815_GOLDEN_DIR "/golden_full_run.txt");
  const HarnessRun r = run({"COM7"});
  EXPECT_EQ(r.status, 0);
  ASSERT_TRUE(ends_with(r.out, "<key>"));
  EXPECT_EQ(r.out.substr(0, r.out.size() - 5), golden);

  RunOutcome all_ok = stand_in_run("COM7");
  all_ok.key_prompt = "";
  EXPECT_EQ(expected_report(all_ok), golden);
}

}  // namespace
}  // namespace vr815::test
