#include "device_sequence.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "fake_vr815_library.h"
#include "stdout_redirect.h"

namespace {

// Shows each wait where it happens in the report.
void marked_pause(int32_t ms) {
  std::printf("<wait %d>\n", static_cast<int>(ms));
}

struct SequenceRun {
  std::string out;
  bool opened;
  std::vector<std::string> calls;
};

SequenceRun run_sequence(const FakeScript& script) {
  fake_library_load(script);
  SequenceRun run{};
  run.out = capture_stdout(
      [&] { run.opened = run_device_sequence("COM7", 115200, marked_pause); });
  run.calls = fake_library_calls();
  return run;
}

// Every call succeeds: one OK line after each header, a wait before every
// call but the open.
const char kAllOk[] =
    "\n[1] vr815_init (open serial)\n"
    "  [ OK ] vr815_init, handle=00000000000001F0\n"
    "\n[2] vr815_read_temperature\n<wait 500>\n"
    "  [ OK ] temperature = 25.50 C\n"
    "\n[3] vr815_read_timing_config (channel=1)\n<wait 500>\n"
    "  [ OK ] delay=10 ns, width=100 ns, trigMode=0, trigFreq=1000.00 Hz\n"
    "\n[4] vr815_set_trigger (Internal)\n<wait 500>\n"
    "  [ OK ] vr815_set_trigger\n"
    "\n[5] vr815_set_trigger_freq (1000 Hz)\n<wait 500>\n"
    "  [ OK ] vr815_set_trigger_freq\n"
    "\n[6] vr815_set_output_channel (ch=1, enable)\n<wait 500>\n"
    "  [ OK ] vr815_set_output_channel\n"
    "\n[7] vr815_set_delay (ch=1, 10 ns)\n<wait 500>\n"
    "  [ OK ] vr815_set_delay\n"
    "\n[8] vr815_set_pulse_width (ch=1, 100 ns)\n<wait 500>\n"
    "  [ OK ] vr815_set_pulse_width\n"
    "\n[9] vr815_set_global_output (enable)\n<wait 500>\n"
    "  [ OK ] vr815_set_global_output\n"
    "\n[10] vr815_set_trigger (Software)\n<wait 500>\n"
    "  [ OK ] vr815_set_trigger(Software)\n"
    "\n[10] vr815_software_trigger\n<wait 500>\n"
    "  [ OK ] vr815_software_trigger\n"
    "\n[11] vr815_close\n<wait 500>\n"
    "  [ OK ] vr815_close\n"
    "\n=== Test End ===\n";

const std::vector<std::string> kAllCalls = {
    "vr815_init(COM7, 115200)",          "vr815_read_temperature(h)",
    "vr815_read_timing_config(h, 1)",    "vr815_set_trigger(h, 0)",
    "vr815_set_trigger_freq(h, 1000.0)", "vr815_set_output_channel(h, 1, 1)",
    "vr815_set_delay(h, 1, 10)",         "vr815_set_pulse_width(h, 1, 100)",
    "vr815_set_global_output(h, 1)",     "vr815_set_trigger(h, 2)",
    "vr815_software_trigger(h)",         "vr815_close(h)",
};

using Lines = std::vector<std::pair<std::string, std::string>>;

// kAllOk with each first text of the pairs replaced by the second.
std::string all_ok_but(const Lines& changes) {
  std::string text = kAllOk;
  for (const auto& [from, to] : changes) {
    const size_t at = text.find(from);
    if (at == std::string::npos) {
      ADD_FAILURE() << "not in the report: " << from;
      continue;
    }
    text.replace(at, from.size(), to);
  }
  return text;
}

FakeScript with_status(std::map<std::string, int32_t> status) {
  FakeScript script;
  script.status = std::move(status);
  return script;
}

struct Case {
  const char* what;
  FakeScript script;
  Lines changes;
};

TEST(DeviceSequence, ReportsEveryOutcomeAndGoesOn) {
  FakeScript values_read;
  values_read.temperature = -3.14159f;
  values_read.delay_ns = 5000000000LL;
  values_read.width_ns = 7;
  values_read.trig_mode = 2;
  values_read.trig_freq_hz = 1234.567;
  FakeScript high_handle;
  high_handle.handle = 0xABCDEF12u;

  const Case cases[] = {
      {"every call succeeds", FakeScript{}, {}},
      {"status 5 from the delay",
       with_status({{"vr815_set_delay", 5}}),
       {{"  [ OK ] vr815_set_delay\n", "  [FAIL] vr815_set_delay (code=5)\n"}}},
      {"negative statuses keep their sign; failed reads show no values",
       with_status({{"vr815_read_temperature", -100001},
                    {"vr815_read_timing_config", -2},
                    {"vr815_software_trigger", -32768}}),
       {{"  [ OK ] temperature = 25.50 C\n",
         "  [FAIL] vr815_read_temperature (code=-100001)\n"},
        {"  [ OK ] delay=10 ns, width=100 ns, trigMode=0, trigFreq=1000.00 "
         "Hz\n",
         "  [FAIL] vr815_read_timing_config (code=-2)\n"},
        {"  [ OK ] vr815_software_trigger\n",
         "  [FAIL] vr815_software_trigger (code=-32768)\n"}}},
      {"the switch to software triggering fails, the trigger still fires",
       with_status({{"vr815_set_trigger#2", 7}}),
       {{"  [ OK ] vr815_set_trigger(Software)\n",
         "  [FAIL] vr815_set_trigger(Software) (code=7)\n"}}},
      {"both trigger settings fail, each under its own name",
       with_status({{"vr815_set_trigger", 1}}),
       {{"  [ OK ] vr815_set_trigger\n",
         "  [FAIL] vr815_set_trigger (code=1)\n"},
        {"  [ OK ] vr815_set_trigger(Software)\n",
         "  [FAIL] vr815_set_trigger(Software) (code=1)\n"}}},
      {"every call fails: the close still reports OK",
       with_status({{"vr815_read_temperature", -1},
                    {"vr815_read_timing_config", -1},
                    {"vr815_set_trigger", -1},
                    {"vr815_set_trigger_freq", -1},
                    {"vr815_set_output_channel", -1},
                    {"vr815_set_delay", -1},
                    {"vr815_set_pulse_width", -1},
                    {"vr815_set_global_output", -1},
                    {"vr815_software_trigger", -1},
                    {"vr815_close", -1}}),
       {{"  [ OK ] temperature = 25.50 C\n",
         "  [FAIL] vr815_read_temperature (code=-1)\n"},
        {"  [ OK ] delay=10 ns, width=100 ns, trigMode=0, trigFreq=1000.00 "
         "Hz\n",
         "  [FAIL] vr815_read_timing_config (code=-1)\n"},
        {"  [ OK ] vr815_set_trigger\n",
         "  [FAIL] vr815_set_trigger (code=-1)\n"},
        {"  [ OK ] vr815_set_trigger_freq\n",
         "  [FAIL] vr815_set_trigger_freq (code=-1)\n"},
        {"  [ OK ] vr815_set_output_channel\n",
         "  [FAIL] vr815_set_output_channel (code=-1)\n"},
        {"  [ OK ] vr815_set_delay\n", "  [FAIL] vr815_set_delay (code=-1)\n"},
        {"  [ OK ] vr815_set_pulse_width\n",
         "  [FAIL] vr815_set_pulse_width (code=-1)\n"},
        {"  [ OK ] vr815_set_global_output\n",
         "  [FAIL] vr815_set_global_output (code=-1)\n"},
        {"  [ OK ] vr815_set_trigger(Software)\n",
         "  [FAIL] vr815_set_trigger(Software) (code=-1)\n"},
        {"  [ OK ] vr815_software_trigger\n",
         "  [FAIL] vr815_software_trigger (code=-1)\n"}}},
      {"values read are shown as read",
       values_read,
       {{"temperature = 25.50 C", "temperature = -3.14 C"},
        {"delay=10 ns, width=100 ns, trigMode=0, trigFreq=1000.00 Hz",
         "delay=5000000000 ns, width=7 ns, trigMode=2, trigFreq=1234.57 Hz"}}},
      {"the handle in sixteen upper-case hex digits",
       high_handle,
       {{"handle=00000000000001F0", "handle=00000000ABCDEF12"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SequenceRun run = run_sequence(c.script);
    EXPECT_EQ(run.out, all_ok_but(c.changes));
    EXPECT_EQ(run.calls, kAllCalls);
    EXPECT_TRUE(run.opened);
  }
}

TEST(DeviceSequence, NullHandleEndsTheSequenceWithoutAnotherCall) {
  FakeScript script;
  script.null_handle = true;
  const SequenceRun run = run_sequence(script);
  EXPECT_EQ(run.out,
            "\n[1] vr815_init (open serial)\n"
            "  [FAIL] vr815_init returned NULL\n"
            "  possible: wrong port name / port occupied / device not "
            "connected\n");
  EXPECT_EQ(run.calls, std::vector<std::string>{"vr815_init(COM7, 115200)"});
  EXPECT_FALSE(run.opened);
}

}  // namespace
