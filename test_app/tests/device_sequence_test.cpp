#include "device_sequence.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "expected_report.h"
#include "fake_vr815_library.h"
#include "stdout_redirect.h"

namespace vr815::test {
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

const std::vector<std::string> kAllCalls = {
    "vr815_init(COM7, 115200)",          "vr815_read_temperature(h)",
    "vr815_read_timing_config(h, 1)",    "vr815_set_trigger(h, 0)",
    "vr815_set_trigger_freq(h, 1000.0)", "vr815_set_output_channel(h, 1, 1)",
    "vr815_set_delay(h, 1, 10)",         "vr815_set_pulse_width(h, 1, 100)",
    "vr815_set_global_output(h, 1)",     "vr815_set_trigger(h, 2)",
    "vr815_software_trigger(h)",         "vr815_close(h)",
};

FakeScript with_status(std::map<std::string, int32_t> status) {
  FakeScript script;
  script.status = std::move(status);
  return script;
}

// The report of an opened device with these outcomes; a wait shows before
// every call but the open.
RunOutcome outcome(const std::map<Call, int32_t>& failed,
                   const Readings& readings = kStandInReadings,
                   const std::string& handle = "00000000000001F0") {
  RunOutcome run;
  for (const auto& [call, status] : failed) run.statuses[call] = status;
  run.readings = readings;
  run.handle = handle;
  run.before_call = "<wait 500>\n";
  return run;
}

struct Case {
  const char* what;
  FakeScript script;
  RunOutcome expected;
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
      {"every call succeeds", FakeScript{}, outcome({})},
      {"status 5 from the delay", with_status({{"vr815_set_delay", 5}}),
       outcome({{kSetDelay, 5}})},
      {"negative statuses keep their sign; failed reads show no values",
       with_status({{"vr815_read_temperature", -100001},
                    {"vr815_read_timing_config", -2},
                    {"vr815_software_trigger", -32768}}),
       outcome({{kReadTemperature, -100001},
                {kReadTiming, -2},
                {kSoftwareTrigger, -32768}})},
      {"the switch to software triggering fails, the trigger still fires",
       with_status({{"vr815_set_trigger#2", 7}}),
       outcome({{kSetTriggerSoftware, 7}})},
      {"both trigger settings fail, each under its own name",
       with_status({{"vr815_set_trigger", 1}}),
       outcome({{kSetTriggerInternal, 1}, {kSetTriggerSoftware, 1}})},
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
       outcome({{kReadTemperature, -1},
                {kReadTiming, -1},
                {kSetTriggerInternal, -1},
                {kSetTriggerFrequency, -1},
                {kSetOutputChannel, -1},
                {kSetDelay, -1},
                {kSetPulseWidth, -1},
                {kSetGlobalOutput, -1},
                {kSetTriggerSoftware, -1},
                {kSoftwareTrigger, -1}})},
      {"values read are shown as read", values_read,
       outcome({}, {"-3.14", "5000000000", "7", "2", "1234.57"})},
      {"the handle in sixteen upper-case hex digits", high_handle,
       outcome({}, kStandInReadings, "00000000ABCDEF12")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SequenceRun run = run_sequence(c.script);
    EXPECT_EQ(run.out, sequence_report(c.expected));
    EXPECT_EQ(run.calls, kAllCalls);
    EXPECT_TRUE(run.opened);
  }
}

TEST(DeviceSequence, NullHandleEndsTheSequenceWithoutAnotherCall) {
  FakeScript script;
  script.null_handle = true;
  const SequenceRun run = run_sequence(script);
  RunOutcome not_opened;
  not_opened.opened = false;
  EXPECT_EQ(run.out, sequence_report(not_opened));
  EXPECT_EQ(run.calls, std::vector<std::string>{"vr815_init(COM7, 115200)"});
  EXPECT_FALSE(run.opened);
}

}  // namespace
}  // namespace vr815::test
