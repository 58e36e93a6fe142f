// What vr815-test prints, built from what a run meets: the port and baud
// rate, how stage 0 shows frames, which library calls failed with which
// status, and the values the reads return. Every test that checks a report
// or a dialogue takes its text from here, so a changed step title or prompt
// is one edit (and the golden transcript, test_app/tests/golden_full_run.txt,
// the independent witness that this builder and the program agree).
#ifndef VR815_TEST_EXPECTED_REPORT_H
#define VR815_TEST_EXPECTED_REPORT_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vr815::test {

/// The library calls of a run after the open, in order; the close comes
/// after them, sends nothing and always reports OK.
constexpr size_t kCalls = 10;

/// The calls by their place in a run.
enum Call : size_t {
  kReadTemperature,
  kReadTiming,
  kSetTriggerInternal,
  kSetTriggerFrequency,
  kSetOutputChannel,
  kSetDelay,
  kSetPulseWidth,
  kSetGlobalOutput,
  kSetTriggerSoftware,
  kSoftwareTrigger,
};

struct CallRow {
  const char* header;  ///< the step header, "[2] vr815_read_temperature"
  const char* name;    ///< the name in its OK and FAIL lines
  const char*
      command;  ///< the protocol command, as vr815-sim's --fail names it
  /// The known frame (frame_check_table.h) the call sends on the line when
  /// it is the one stage 0 shows; null when the call's frame differs.
  const char* frame;
};

/// The calls in order, indexed by Call.
extern const CallRow kCallRows[kCalls];

/// The statuses the calls returned; all 0 is a run in which all went well.
using CallStatuses = std::array<int32_t, kCalls>;

/// The reads' values as the report prints them.
struct Readings {
  std::string temperature;  ///< degrees, two decimals
  std::string delay_ns;
  std::string width_ns;
  std::string trig_mode;
  std::string trig_freq_hz;  ///< two decimals
};

/// What vr815-sim reads at power-on.
extern const Readings kSimPowerOn;
/// What the scriptable stand-in library reads unless scripted otherwise.
extern const Readings kStandInReadings;

/// How stage 0 shows a frame: as our library dumps its bytes (start byte to
/// CRC), or as the stand-in library does (command, parameter, data).
enum class FrameText { kWire, kStandIn };

/// The final wait's prompt on a console; a line end follows the key press.
extern const char kKeyPrompt[];

/// A run as its report shows it.
struct RunOutcome {
  std::string port;
  int32_t baud = 115200;
  bool opened = true;
  CallStatuses statuses{};
  Readings readings = kSimPowerOn;
  FrameText frames = FrameText::kWire;
  std::string handle = "<handle>";  ///< as mask_handle leaves it
  std::string before_call;          ///< what the wait before each call prints
  /// What the final wait prints.
  std::string key_prompt = std::string(kKeyPrompt) + "\n";
};

/// The first two lines of every run.
std::string banner(const std::string& port, int32_t baud);

/// The device sequence's part of the report: from the open's step header to
/// "=== Test End ===", or to the hint line when the open failed.
std::string sequence_report(const RunOutcome& run);

/// The whole standard output of vr815-test for the run.
std::string expected_report(const RunOutcome& run);

/// The whole standard output against vr815-sim at power-on, the handle
/// masked: opened with these statuses, or a failed open.
std::string expected_report(const std::string& port, int32_t baud, bool opened,
                            const CallStatuses& statuses);

/// The end of a run whose open failed, from the open's step header on.
std::string open_failed_tail();

/// The report with the handle's sixteen hex digits replaced by "<handle>".
std::string mask_handle(std::string report);

/// The port dialogue's list of the ports and its question.
std::string port_list_prompt(const std::vector<std::string>& ports);

/// The dialogue's line for an answer that is no listed number.
extern const char kInvalidSelection[];

/// The dialogue's text when no port is listed.
extern const char kTypePortPrompt[];

}  // namespace vr815::test

#endif  // VR815_TEST_EXPECTED_REPORT_H
