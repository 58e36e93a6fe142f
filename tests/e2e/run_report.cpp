#include "run_report.h"

#include <cctype>

namespace vr815::e2e {

namespace {

// Stage 0 as the library's encoder frames the nine commands; the CRC is the
// last two bytes, low byte first.
const char kStageZero[] =
    "\n[0] Verify Protocol Frame Format\n"
    "  [Frame] READ_TEMP: A5 93 00 00 00 00 61 64\n"
    "  [Frame] READ_TIMING: A5 C1 00 00 00 00 D0 35\n"
    "  [Frame] SET_TRIGGER(Software): A5 01 03 00 00 00 B4 9D\n"
    "  [Frame] SET_TRIG_FREQ(1kHz): A5 05 00 00 04 00 90 D0 03 00 45 79\n"
    "  [Frame] SET_CHANNEL(ch1,on): A5 06 01 01 00 00 38 20\n"
    "  [Frame] SET_DELAY(ch1,10ns): "
    "A5 08 01 00 08 00 E8 03 00 00 00 00 00 00 1A 11\n"
    "  [Frame] SET_PULSE_WIDTH(ch1,100ns): "
    "A5 09 01 00 08 00 10 27 00 00 00 00 00 00 1E A8\n"
    "  [Frame] SET_GLOBAL_OUTPUT(enable): A5 07 01 00 00 00 59 BD\n"
    "  [Frame] SOFTWARE_TRIG: A5 14 00 00 00 00 65 21\n"
    "  [ OK ] Frame format verified\n";

const char kOpenHeader[] = "\n[1] vr815_init (open serial)\n";
const char kPrompt[] = "\nPress any key to continue . . . \n";

struct CallRow {
  const char* header;   ///< the step header
  const char* name;     ///< the name in its OK and FAIL lines
  const char* ok_text;  ///< what status 0 prints, when not the OK line
};

// The power-on readings of vr815-sim: 25.5 degrees, channel 1 at 0 ns,
// internal triggering at 1 kHz.
const CallRow kRows[kCalls] = {
    {"\n[2] vr815_read_temperature\n", "vr815_read_temperature",
     "  [ OK ] temperature = 25.50 C\n"},
    {"\n[3] vr815_read_timing_config (channel=1)\n", "vr815_read_timing_config",
     "  [ OK ] delay=0 ns, width=0 ns, trigMode=0, trigFreq=1000.00 Hz\n"},
    {"\n[4] vr815_set_trigger (Internal)\n", "vr815_set_trigger", nullptr},
    {"\n[5] vr815_set_trigger_freq (1000 Hz)\n", "vr815_set_trigger_freq",
     nullptr},
    {"\n[6] vr815_set_output_channel (ch=1, enable)\n",
     "vr815_set_output_channel", nullptr},
    {"\n[7] vr815_set_delay (ch=1, 10 ns)\n", "vr815_set_delay", nullptr},
    {"\n[8] vr815_set_pulse_width (ch=1, 100 ns)\n", "vr815_set_pulse_width",
     nullptr},
    {"\n[9] vr815_set_global_output (enable)\n", "vr815_set_global_output",
     nullptr},
    {"\n[10] vr815_set_trigger (Software)\n", "vr815_set_trigger(Software)",
     nullptr},
    {"\n[10] vr815_software_trigger\n", "vr815_software_trigger", nullptr},
};

const char kHandle[] = "handle=";
constexpr size_t kHandleDigits = 16;

}  // namespace

const char* const kCallCommand[kCalls] = {
    "READ_TEMP",       "READ_TIMING",  "SET_TRIGGER",     "SET_TRIG_FREQ",
    "SET_CHANNEL",     "SET_DELAY",    "SET_PULSE_WIDTH", "SET_GLOBAL_OUTPUT",
    "SET_TRIGGER",     "SOFTWARE_TRIG",
};

std::string banner(const std::string& port, int32_t baud) {
  return "=== VR815 DLL Test ===\nPort=" + port +
         ", Baud=" + std::to_string(baud) + "\n";
}

std::string open_failed_tail() {
  return std::string(kOpenHeader) +
         "  [FAIL] vr815_init returned NULL\n"
         "  possible: wrong port name / port occupied / device not "
         "connected\n" +
         kPrompt;
}

std::string expected_report(const std::string& port, int32_t baud,
                            bool opened, const CallStatuses& statuses) {
  std::string report = banner(port, baud) + kStageZero;
  if (!opened) return report + open_failed_tail();
  report += kOpenHeader;
  report += "  [ OK ] vr815_init, handle=<handle>\n";
  for (size_t i = 0; i < kCalls; ++i) {
    const CallRow& row = kRows[i];
    report += row.header;
    if (statuses[i] != 0) {
      report += std::string("  [FAIL] ") + row.name +
                " (code=" + std::to_string(statuses[i]) + ")\n";
    } else if (row.ok_text != nullptr) {
      report += row.ok_text;
    } else {
      report += std::string("  [ OK ] ") + row.name + "\n";
    }
  }
  report += "\n[11] vr815_close\n  [ OK ] vr815_close\n";
  report += "\n=== Test End ===\n";
  return report + kPrompt;
}

std::string mask_handle(std::string report) {
  const size_t at = report.find(kHandle);
  if (at == std::string::npos) return report;
  const size_t digits = at + sizeof kHandle - 1;
  if (report.size() <= digits + kHandleDigits) return report;
  for (size_t i = digits; i < digits + kHandleDigits; ++i) {
    const char c = report[i];
    if (!std::isdigit(static_cast<unsigned char>(c)) && !(c >= 'A' && c <= 'F')) {
      return report;
    }
  }
  if (report[digits + kHandleDigits] != '\n') return report;
  return report.replace(digits, kHandleDigits, "<handle>");
}

}  // namespace vr815::e2e
