// The fault matrix: the built vr815-test against vr815-sim under each of the
// simulated device's faults, with the program's real 500 ms waits. For each
// fault the whole report is known in advance from which calls succeed and
// which fail with which code; the exit status and the run's time follow
// from the documented timeouts. The runs of one group go side by side, each
// against a sim of its own: they spend nearly all their time asleep.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "VR815_DLL.h"
#include "expected_report.h"
#include "program_run.h"
#include "sim_process.h"

namespace vr815::test {
namespace {

/// The run's 500 ms waits: one before each call after the open, the close
/// included.
constexpr int kWaitsMs = 11 * 500;
/// Start-up, the reply of each answered call and scheduling, all together.
constexpr int kMarginMs = 1000;
/// Runs of one group at the same time.
constexpr size_t kAtOnce = 8;
constexpr int32_t kBaud = 115200;

struct FaultCase {
  std::string name;
  std::vector<std::string> sim_options;
  bool opened = true;
  CallStatuses statuses{};  ///< all 0 unless the fault says otherwise
  int answer_delay_ms = 0;  ///< how late the sim answers
};

CallStatuses all(int32_t status) {
  CallStatuses s;
  s.fill(status);
  return s;
}

/// The longest a call may take with this outcome: a timeout is bounded by
/// VR815_CALL_TIMEOUT_MS, a hang-up ends the call at once, an answer comes
/// after the sim's delay.
int call_bound_ms(int32_t status, int answer_delay_ms) {
  if (status == VR815_ERR_TIMEOUT) return VR815_CALL_TIMEOUT_MS;
  if (status == VR815_ERR_LINE) return 0;
  return answer_delay_ms;
}

double bound_seconds(const FaultCase& c) {
  int ms = kMarginMs;
  if (c.opened) {
    ms += kWaitsMs;
    for (const int32_t status : c.statuses) {
      ms += call_bound_ms(status, c.answer_delay_ms);
    }
  }
  return ms / 1000.0;
}

void run_matrix(const std::vector<FaultCase>& cases) {
  std::vector<std::unique_ptr<SimProcess>> sims;
  std::vector<Invocation> invocations;
  for (const FaultCase& c : cases) {
    sims.push_back(std::make_unique<SimProcess>(c.sim_options));
    ASSERT_FALSE(sims.back()->port().empty()) << c.name;
    const int kill_after_ms = static_cast<int>(bound_seconds(c) * 1000) + 5000;
    invocations.push_back(
        {{VR815_TEST_PATH, sims.back()->port()}, "\n", kill_after_ms});
  }
  const std::vector<ProgramResult> runs = run_programs(invocations, kAtOnce);
  for (size_t i = 0; i < cases.size(); ++i) {
    const FaultCase& c = cases[i];
    const ProgramResult& run = runs[i];
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(run.timed_out) << run.out;
    EXPECT_EQ(run.status, c.opened ? 0 : 255);
    EXPECT_EQ(mask_handle(run.out),
              expected_report(sims[i]->port(), kBaud, c.opened, c.statuses));
    EXPECT_EQ(run.err, "");
    EXPECT_LE(run.seconds, bound_seconds(c));
    if (c.opened) {
      EXPECT_GE(run.seconds, kWaitsMs / 1000.0);
    }
  }
}

TEST(FaultMatrix, LineFaults) {
  // Answers just inside and just outside the reply timeout.
  const int inside_ms = VR815_REPLY_TIMEOUT_MS - 50;
  const int outside_ms = VR815_REPLY_TIMEOUT_MS + 50;
  std::vector<FaultCase> cases = {
      {"no fault", {}},
      {"silent", {"--silent"}, true, all(VR815_ERR_TIMEOUT)},
      {"noise before each answer", {"--noise"}, true, all(VR815_ERR_BAD_REPLY)},
      {"bad checksum", {"--corrupt"}, true, all(VR815_ERR_BAD_REPLY)},
      {"answers inside the timeout",
       {"--delay-ms", std::to_string(inside_ms)},
       true,
       all(0),
       inside_ms},
      {"answers outside the timeout",
       {"--delay-ms", std::to_string(outside_ms)},
       true,
       all(VR815_ERR_TIMEOUT),
       outside_ms},
  };
  run_matrix(cases);
}

TEST(FaultMatrix, LateReplies) {
  // A program's call times out after 300 ms and the next one is written
  // 500 ms later: an answer held back 900 ms arrives about 100 ms into the
  // next call's wait, when that call's own answer, held back 200 ms, is
  // still to come. The late one is dropped and the next call gets its own.
  const auto late = [](size_t call, int ms) {
    return std::vector<std::string>{
        "--late", std::to_string(call + 1) + "=" + std::to_string(ms)};
  };
  const auto joined = [](std::vector<std::string> a,
                         const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  FaultCase read_then_read{
      "late READ_TEMP, READ_TIMING waits",
      joined(late(kReadTemperature, 900), late(kReadTiming, 200))};
  read_then_read.statuses[kReadTemperature] = VR815_ERR_TIMEOUT;

  FaultCase set_then_refused{
      "late SET_DELAY, SET_PULSE_WIDTH refused",
      joined(joined(late(kSetDelay, 900), late(kSetPulseWidth, 200)),
             {"--fail", "SET_PULSE_WIDTH=8"})};
  set_then_refused.statuses[kSetDelay] = VR815_ERR_TIMEOUT;
  set_then_refused.statuses[kSetPulseWidth] = 8;

  // Late past the timeout but within the pause: gone before the next call.
  FaultCase in_the_pause{"late SET_CHANNEL, in the pause",
                         late(kSetOutputChannel, 600)};
  in_the_pause.statuses[kSetOutputChannel] = VR815_ERR_TIMEOUT;

  const std::vector<FaultCase> cases = {
      read_then_read,
      set_then_refused,
      in_the_pause,
      {"late inside the timeout", late(kSetGlobalOutput, 250)},
  };
  run_matrix(cases);
}

TEST(FaultMatrix, DeviceStatuses) {
  // Each command refused with a positive and a negative device status,
  // the extremes of the 16-bit status among them.
  const struct {
    const char* command;
    int32_t positive;
    int32_t negative;
  } refusals[] = {
      {"READ_TEMP", 5, -5},       {"READ_TIMING", 32767, -32768},
      {"SET_TRIGGER", 2, -2},     {"SET_TRIG_FREQ", 300, -300},
      {"SET_CHANNEL", 6, -6},     {"SET_DELAY", 7, -7},
      {"SET_PULSE_WIDTH", 8, -8}, {"SET_GLOBAL_OUTPUT", 9, -9},
      {"SOFTWARE_TRIG", 1, -1},
  };
  std::vector<FaultCase> cases;
  for (const auto& r : refusals) {
    for (const int32_t code : {r.positive, r.negative}) {
      FaultCase c;
      c.name = std::string(r.command) + "=" + std::to_string(code);
      c.sim_options = {"--fail", c.name};
      // SET_TRIGGER is sent twice, for internal and for software triggering.
      for (size_t i = 0; i < kCalls; ++i) {
        if (std::string(r.command) == kCallRows[i].command) {
          c.statuses[i] = code;
        }
      }
      cases.push_back(c);
    }
  }
  run_matrix(cases);
}

TEST(FaultMatrix, HangUps) {
  // The line closes when frame n arrives: the calls before it succeed, it
  // and every later one find the line gone. 0 is a line down before the
  // open; a run sends kCalls frames, so 11 and 12 never hang up.
  std::vector<FaultCase> cases;
  for (size_t n = 0; n <= kCalls + 2; ++n) {
    FaultCase c;
    c.name = "hang-up at frame " + std::to_string(n);
    c.sim_options = {"--hangup-after", std::to_string(n)};
    c.opened = n > 0;
    for (size_t i = 0; i < kCalls; ++i) {
      if (n > 0 && i + 1 >= n) c.statuses[i] = VR815_ERR_LINE;
    }
    cases.push_back(c);
  }
  run_matrix(cases);
}

}  // namespace
}  // namespace vr815::test
