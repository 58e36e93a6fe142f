#include "device_sequence.h"

#include <cstdint>
#include <cstdio>

#include "library_binding.h"
#include "report.h"

namespace {

constexpr int32_t kChannel = 1;
constexpr int32_t kTriggerInternal = 0;
constexpr int32_t kTriggerSoftware = 2;
constexpr int32_t kEnable = 1;
constexpr double kTriggerFrequencyHz = 1000.0;
constexpr int64_t kDelayNs = 10;
constexpr int64_t kPulseWidthNs = 100;

/// What the two reads fill in; all zero before them.
struct Readings {
  float temperature = 0;
  int64_t delay = 0;
  int64_t width = 0;
  int32_t trig_mode = 0;
  double trig_freq = 0;
};

using Call = int32_t (*)(library::Handle handle, Readings& readings);
using Report = void (*)(const char* name, int32_t status,
                        const Readings& readings);

/// One step after the open: its header number and title, the library call
/// and how its outcome is reported, under the name given.
struct Step {
  int header;
  const char* title;
  Call call;
  Report report;
  const char* name;
};

void status_rule(const char* name, int32_t status, const Readings&) {
  report_status(name, status);
}

void temperature_read(const char* name, int32_t status, const Readings& r) {
  if (status != 0) {
    print_fail_line(name, status);
    return;
  }
  std::printf("  [ OK ] temperature = %.2f C\n",
              static_cast<double>(r.temperature));
}

void timing_read(const char* name, int32_t status, const Readings& r) {
  if (status != 0) {
    print_fail_line(name, status);
    return;
  }
  std::printf(
      "  [ OK ] delay=%lld ns, width=%lld ns, trigMode=%d, "
      "trigFreq=%.2f Hz\n",
      static_cast<long long>(r.delay), static_cast<long long>(r.width),
      static_cast<int>(r.trig_mode), r.trig_freq);
}

// The close's result is not examined.
void always_ok(const char* name, int32_t, const Readings&) {
  print_ok_line(name);
}

// The software trigger's header repeats number 10, that of the switch to
// software triggering before it; the close is 11.
const Step kStepsAfterOpen[] = {
    {2, "vr815_read_temperature",
     [](library::Handle h, Readings& r) {
       return library::read_temperature(h, &r.temperature);
     },
     temperature_read, "vr815_read_temperature"},
    {3, "vr815_read_timing_config (channel=1)",
     [](library::Handle h, Readings& r) {
       return library::read_timing_config(h, kChannel, &r.delay, &r.width,
                                          &r.trig_mode, &r.trig_freq);
     },
     timing_read, "vr815_read_timing_config"},
    {4, "vr815_set_trigger (Internal)",
     [](library::Handle h, Readings&) {
       return library::set_trigger(h, kTriggerInternal);
     },
     status_rule, "vr815_set_trigger"},
    {5, "vr815_set_trigger_freq (1000 Hz)",
     [](library::Handle h, Readings&) {
       return library::set_trigger_freq(h, kTriggerFrequencyHz);
     },
     status_rule, "vr815_set_trigger_freq"},
    {6, "vr815_set_output_channel (ch=1, enable)",
     [](library::Handle h, Readings&) {
       return library::set_output_channel(h, kChannel, kEnable);
     },
     status_rule, "vr815_set_output_channel"},
    {7, "vr815_set_delay (ch=1, 10 ns)",
     [](library::Handle h, Readings&) {
       return library::set_delay(h, kChannel, kDelayNs);
     },
     status_rule, "vr815_set_delay"},
    {8, "vr815_set_pulse_width (ch=1, 100 ns)",
     [](library::Handle h, Readings&) {
       return library::set_pulse_width(h, kChannel, kPulseWidthNs);
     },
     status_rule, "vr815_set_pulse_width"},
    {9, "vr815_set_global_output (enable)",
     [](library::Handle h, Readings&) {
       return library::set_global_output(h, kEnable);
     },
     status_rule, "vr815_set_global_output"},
    {10, "vr815_set_trigger (Software)",
     [](library::Handle h, Readings&) {
       return library::set_trigger(h, kTriggerSoftware);
     },
     status_rule, "vr815_set_trigger(Software)"},
    {10, "vr815_software_trigger",
     [](library::Handle h, Readings&) { return library::software_trigger(h); },
     status_rule, "vr815_software_trigger"},
    {11, "vr815_close",
     [](library::Handle h, Readings&) {
       library::close(h);
       return int32_t{0};
     },
     always_ok, "vr815_close"},
};

// The open, under header 1, with no wait before it. Null when it failed.
library::Handle open_device(const char* port, int32_t baud) {
  print_step_header(1, "vr815_init (open serial)");
  const library::Handle handle = library::open(port, baud);
  if (handle == nullptr) {
    std::printf("  [FAIL] vr815_init returned NULL\n");
    std::printf(
        "  possible: wrong port name / port occupied / device not connected\n");
    return nullptr;
  }
  // Sixteen hex digits on every platform, whatever %p would print; the text
  // then always fits.
  char text[64];
  std::snprintf(
      text, sizeof text, "vr815_init, handle=%016llX",
      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
  print_ok_line(text);
  return handle;
}

}  // namespace

bool run_device_sequence(const char* port, int32_t baud,
                         PauseFunction pause_before_call) {
  const library::Handle handle = open_device(port, baud);
  if (handle == nullptr) return false;
  Readings readings;
  for (const Step& step : kStepsAfterOpen) {
    print_step_header(step.header, step.title);
    pause_before_call(kPauseBeforeCallMs);
    step.report(step.name, step.call(handle, readings), readings);
  }
  std::printf("\n=== Test End ===\n");
  return true;
}
