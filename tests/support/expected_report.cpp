#include "expected_report.h"

#include <cctype>
#include <cstdio>

#include "frame_check_table.h"

namespace vr815::test {

// The step headers and names as the harness prints them; SET_TRIGGER goes
// out twice, first for internal, then for software triggering.
const CallRow kCallRows[kCalls] = {
    {"[2] vr815_read_temperature", "vr815_read_temperature", "READ_TEMP",
     "READ_TEMP"},
    {"[3] vr815_read_timing_config (channel=1)", "vr815_read_timing_config",
     "READ_TIMING", nullptr},
    {"[4] vr815_set_trigger (Internal)", "vr815_set_trigger", "SET_TRIGGER",
     nullptr},
    {"[5] vr815_set_trigger_freq (1000 Hz)", "vr815_set_trigger_freq",
     "SET_TRIG_FREQ", "SET_TRIG_FREQ"},
    {"[6] vr815_set_output_channel (ch=1, enable)", "vr815_set_output_channel",
     "SET_CHANNEL", "SET_CHANNEL"},
    {"[7] vr815_set_delay (ch=1, 10 ns)", "vr815_set_delay", "SET_DELAY",
     "SET_DELAY"},
    {"[8] vr815_set_pulse_width (ch=1, 100 ns)", "vr815_set_pulse_width",
     "SET_PULSE_WIDTH", "SET_PULSE_WIDTH"},
    {"[9] vr815_set_global_output (enable)", "vr815_set_global_output",
     "SET_GLOBAL_OUTPUT", "SET_GLOBAL_OUTPUT"},
    {"[10] vr815_set_trigger (Software)", "vr815_set_trigger(Software)",
     "SET_TRIGGER", "SET_TRIGGER"},
    {"[10] vr815_software_trigger", "vr815_software_trigger", "SOFTWARE_TRIG",
     "SOFTWARE_TRIG"},
};

const Readings kSimPowerOn = {"25.50", "0", "0", "0", "1000.00"};
const Readings kStandInReadings = {"25.50", "10", "100", "0", "1000.00"};

const char kKeyPrompt[] = "Press any key to continue . . . ";
const char kInvalidSelection[] = "Invalid selection, using COM3.\n";
const char kTypePortPrompt[] =
    "No COM ports detected automatically.\n"
    "Type port name manually (e.g. COM3, COM50): ";

namespace {

const char kOpenHeader[] = "\n[1] vr815_init (open serial)\n";
const char kOpenFailed[] =
    "  [FAIL] vr815_init returned NULL\n"
    "  possible: wrong port name / port occupied / device not connected\n";
const char kHandle[] = "handle=";
constexpr size_t kHandleDigits = 16;

std::string hex_byte(unsigned value) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
  return text;
}

// The stand-in dumps the command, the parameter low byte first, then the
// words low byte first.
std::string stand_in_dump(const FrameRow& row) {
  std::string text = hex_byte(row.command) + " " + hex_byte(row.param) + " " +
                     hex_byte(row.param >> 8);
  for (const uint32_t word : row.words) {
    for (int shift = 0; shift < 32; shift += 8) {
      text += " " + hex_byte(word >> shift);
    }
  }
  return text;
}

std::string stage_zero(FrameText frames) {
  std::string text = "\n[0] Verify Protocol Frame Format\n";
  for (const FrameRow& row : frame_check_rows()) {
    text += std::string("  [Frame] ") + row.label + ": " +
            (frames == FrameText::kWire ? row.hex : stand_in_dump(row)) + "\n";
  }
  return text + "  [ OK ] Frame format verified\n";
}

std::string ok_text(size_t call, const Readings& r) {
  if (call == kReadTemperature) return "temperature = " + r.temperature + " C";
  if (call == kReadTiming) {
    return "delay=" + r.delay_ns + " ns, width=" + r.width_ns +
           " ns, trigMode=" + r.trig_mode + ", trigFreq=" + r.trig_freq_hz +
           " Hz";
  }
  return kCallRows[call].name;
}

}  // namespace

std::string banner(const std::string& port, int32_t baud) {
  return "=== VR815 DLL Test ===\nPort=" + port +
         ", Baud=" + std::to_string(baud) + "\n";
}

std::string sequence_report(const RunOutcome& run) {
  std::string report = kOpenHeader;
  if (!run.opened) return report + kOpenFailed;
  report += "  [ OK ] vr815_init, handle=" + run.handle + "\n";
  for (size_t i = 0; i < kCalls; ++i) {
    report += std::string("\n") + kCallRows[i].header + "\n" + run.before_call;
    if (run.statuses[i] != 0) {
      report += std::string("  [FAIL] ") + kCallRows[i].name +
                " (code=" + std::to_string(run.statuses[i]) + ")\n";
    } else {
      report += "  [ OK ] " + ok_text(i, run.readings) + "\n";
    }
  }
  report += "\n[11] vr815_close\n" + run.before_call + "  [ OK ] vr815_close\n";
  return report + "\n=== Test End ===\n";
}

std::string expected_report(const RunOutcome& run) {
  return banner(run.port, run.baud) + stage_zero(run.frames) +
         sequence_report(run) + "\n" + run.key_prompt;
}

std::string expected_report(const std::string& port, int32_t baud, bool opened,
                            const CallStatuses& statuses) {
  RunOutcome run;
  run.port = port;
  run.baud = baud;
  run.opened = opened;
  run.statuses = statuses;
  return expected_report(run);
}

std::string open_failed_tail() {
  return std::string(kOpenHeader) + kOpenFailed + "\n" + kKeyPrompt + "\n";
}

std::string mask_handle(std::string report) {
  const size_t at = report.find(kHandle);
  if (at == std::string::npos) return report;
  const size_t digits = at + sizeof kHandle - 1;
  if (report.size() <= digits + kHandleDigits) return report;
  for (size_t i = digits; i < digits + kHandleDigits; ++i) {
    const char c = report[i];
    if (!std::isdigit(static_cast<unsigned char>(c)) &&
        !(c >= 'A' && c <= 'F')) {
      return report;
    }
  }
  if (report[digits + kHandleDigits] != '\n') return report;
  return report.replace(digits, kHandleDigits, "<handle>");
}

std::string port_list_prompt(const std::vector<std::string>& ports) {
  std::string text = "Available COM ports:\n";
  for (size_t i = 0; i < ports.size(); ++i) {
    text += "  [" + std::to_string(i + 1) + "] " + ports[i] + "\n";
  }
  return text + "Select port by number (Enter for default COM3): ";
}

}  // namespace vr815::test
