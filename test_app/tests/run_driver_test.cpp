#include "run_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fake_vr815_library.h"
#include "stdout_redirect.h"

namespace {

void no_pause(int32_t) {}
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
      result.status = run_harness(static_cast<int>(argv.size()), argv.data(),
                                  RunWaits{no_pause, marked_key_press});
    });
  });
  result.calls = fake_library_calls();
  return result;
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
  const std::string banner = "=== VR815 DLL Test ===\n";
  const CommandLineCase cases[] = {
      {{"COM7"},
       "",
       banner + "Port=COM7, Baud=115200\n",
       "vr815_init(COM7, 115200)"},
      {{"COM7", "9600"},
       "",
       banner + "Port=COM7, Baud=9600\n",
       "vr815_init(COM7, 9600)"},
      {{"COM7", "fast"},
       "",
       banner + "Port=COM7, Baud=0\n",
       "vr815_init(COM7, 0)"},
      {{"COM7", "9600", "x"},
       "",
       banner + "Port=COM7, Baud=9600\n",
       "vr815_init(COM7, 9600)"},
      {{"COM7", " +38400bd"},
       "",
       banner + "Port=COM7, Baud=38400\n",
       "vr815_init(COM7, 38400)"},
      {{"COM7", "99999999999999999999"},
       "",
       banner + "Port=COM7, Baud=2147483647\n",
       "vr815_init(COM7, 2147483647)"},
      {{"COM7", "-4294967297"},
       "",
       banner + "Port=COM7, Baud=-2147483648\n",
       "vr815_init(COM7, -2147483648)"},
      {{" com12 "},
       "",
       banner + "Port= com12 , Baud=115200\n",
       "vr815_init( com12 , 115200)"},
      {{},
       "2\n",
       "Available COM ports:\n"
       "  [1] COM1\n"
       "  [2] COM4\n"
       "Select port by number (Enter for default COM3): " +
           banner + "Port=COM4, Baud=115200\n",
       "vr815_init(COM4, 115200)"},
      {{},
       "3\n",
       "Available COM ports:\n"
       "  [1] COM1\n"
       "  [2] COM4\n"
       "Select port by number (Enter for default COM3): "
       "Invalid selection, using COM3.\n" +
           banner + "Port=COM3, Baud=115200\n",
       "vr815_init(COM3, 115200)"},
      {{},
       "\n",
       "Available COM ports:\n"
       "  [1] COM1\n"
       "  [2] COM4\n"
       "Select port by number (Enter for default COM3): " +
           banner + "Port=COM3, Baud=115200\n",
       "vr815_init(COM3, 115200)"},
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
  EXPECT_TRUE(ends_with(failed_steps.out,
                        "  [ OK ] vr815_close\n\n=== Test End ===\n\n<key>"));

  FakeScript no_device;
  no_device.null_handle = true;
  const HarnessRun failed_open = run({"COM99"}, no_device);
  EXPECT_EQ(failed_open.status, -1);
  EXPECT_TRUE(ends_with(
      failed_open.out,
      "  [ OK ] Frame format verified\n"
      "\n[1] vr815_init (open serial)\n"
      "  [FAIL] vr815_init returned NULL\n"
      "  possible: wrong port name / port occupied / device not connected\n"
      "\n<key>"))
      << failed_open.out;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A whole run in which every call succeeds, byte for byte. The fake library
// dumps a frame as its command, parameter and data, written past stdio.
TEST(RunHarness, GoldenTranscriptOfASuccessfulRun) {
  const HarnessRun r = run({"COM7"});
  EXPECT_EQ(r.status, 0);
  ASSERT_TRUE(ends_with(r.out, "<key>"));
  const std::string report = r.out.substr(0, r.out.size() - 5);
  EXPECT_EQ(report, read_file(VR815_GOLDEN_DIR "/golden_full_run.txt"));
}

}  // namespace
