// The stand-in for the plain C++ header: readings beyond 32 bits, and
// vr815_software_trigger refused.
#include "VR815_DLL.h"

#include "stand_in.h"

struct vr815_device {
  int open = 1;
};

namespace {

vr815_device g_device;
constexpr char kRefused[] = "vr815_software_trigger";
constexpr long kRefusedCode = -1;

long answer(const char* function, bool as_expected) {
  return stand_in::answer(function, as_expected, kRefused, kRefusedCode);
}

}  // namespace

VR815_HANDLE __cdecl vr815_init(char* port, int baud) {
  return stand_in::expected_open(port, baud) ? &g_device : nullptr;
}

void __cdecl vr815_close(VR815_HANDLE device) {
  if (device != nullptr) device->open = 0;
}

long __cdecl vr815_read_temperature(VR815_HANDLE device, float* celsius) {
  *celsius = 25.5f;
  return answer("vr815_read_temperature", device == &g_device);
}

long __cdecl vr815_read_timing_config(VR815_HANDLE device, int channel,
                                      long long* delay_ns, long long* width_ns,
                                      int* trig_mode, double* trig_freq_hz) {
  *delay_ns = 5000000000LL;
  *width_ns = -9223372036854775807LL - 1;
  *trig_mode = 0;
  *trig_freq_hz = 1000.0;
  return answer("vr815_read_timing_config",
                device == &g_device && channel == 1);
}

long __cdecl vr815_set_trigger(VR815_HANDLE device, int mode) {
  return answer("vr815_set_trigger",
                device == &g_device && (mode == 0 || mode == 2));
}

long __cdecl vr815_set_trigger_freq(VR815_HANDLE device, double hz) {
  return answer("vr815_set_trigger_freq", device == &g_device && hz == 1000.0);
}

long __cdecl vr815_set_output_channel(VR815_HANDLE device, int channel,
                                      int enable) {
  return answer("vr815_set_output_channel",
                device == &g_device && channel == 1 && enable == 1);
}

long __cdecl vr815_set_delay(VR815_HANDLE device, int channel,
                             long long delay_ns) {
  return answer("vr815_set_delay",
                device == &g_device && channel == 1 && delay_ns == 10);
}

long __cdecl vr815_set_pulse_width(VR815_HANDLE device, int channel,
                                   long long width_ns) {
  return answer("vr815_set_pulse_width",
                device == &g_device && channel == 1 && width_ns == 100);
}

long __cdecl vr815_set_global_output(VR815_HANDLE device, int enable) {
  return answer("vr815_set_global_output", device == &g_device && enable == 1);
}

long __cdecl vr815_software_trigger(VR815_HANDLE device) {
  return answer("vr815_software_trigger", device == &g_device);
}

const char* __cdecl vr815_error_text(long status) {
  return status == 0 ? "OK" : "failed";
}

void VR815DDG::BuildFrame(unsigned char cmd, unsigned short param,
                          unsigned char* data, int len,
                          std::vector<unsigned char>& frame) {
  const std::vector<unsigned long> none;
  if (data == nullptr && len == 0) {
    stand_in::append_frame(frame, cmd, param, none);
  }
}

void VR815DDG::BuildFrameU32(unsigned char cmd, unsigned short param,
                             std::vector<unsigned long>& words,
                             std::vector<unsigned char>& frame) {
  stand_in::append_frame(frame, cmd, param, words);
}

void VR815DDG::DumpFrame(std::vector<unsigned char>& frame, char* label) {
  stand_in::print_frame(frame, label);
}
