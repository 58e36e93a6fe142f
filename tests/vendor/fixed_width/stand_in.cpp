// The stand-in for the header of narrow integer types: readings at the full
// width of LONGLONG and BYTE, and vr815_set_global_output refused.
#define VR815_API __declspec(dllexport)
#include "VR815_DLL.h"

#include "stand_in.h"

namespace {

int g_device;
void* const kDevice = &g_device;
constexpr char kRefused[] = "vr815_set_global_output";
constexpr INT kRefusedCode = 3;

INT answer(const char* function, bool as_expected) {
  return stand_in::answer(function, as_expected, kRefused, kRefusedCode);
}

}  // namespace

void* __stdcall vr815_init(const char* port, INT baud) {
  return stand_in::expected_open(port, baud) ? kDevice : nullptr;
}

bool __stdcall vr815_close(void* handle) { return handle == kDevice; }

INT __stdcall vr815_read_temperature(void* handle, float* celsius) {
  *celsius = 0.75f;
  return answer("vr815_read_temperature", handle == kDevice);
}

INT __stdcall vr815_read_timing_config(void* handle, WORD channel,
                                       LONGLONG* delay_ns, LONGLONG* width_ns,
                                       BYTE* trig_mode, double* trig_freq_hz) {
  *delay_ns = 9223372036854775807LL;
  *width_ns = 4294967296LL;
  *trig_mode = 255;
  *trig_freq_hz = 0.5;
  return answer("vr815_read_timing_config", handle == kDevice && channel == 1);
}

INT __stdcall vr815_set_trigger(void* handle, BYTE mode) {
  return answer("vr815_set_trigger",
                handle == kDevice && (mode == 0 || mode == 2));
}

INT __stdcall vr815_set_trigger_freq(void* handle, double hz) {
  return answer("vr815_set_trigger_freq", handle == kDevice && hz == 1000.0);
}

INT __stdcall vr815_set_output_channel(void* handle, WORD channel,
                                       BYTE enable) {
  return answer("vr815_set_output_channel",
                handle == kDevice && channel == 1 && enable == 1);
}

INT __stdcall vr815_set_delay(void* handle, WORD channel, UINT delay_ns) {
  return answer("vr815_set_delay",
                handle == kDevice && channel == 1 && delay_ns == 10);
}

INT __stdcall vr815_set_pulse_width(void* handle, WORD channel, UINT width_ns) {
  return answer("vr815_set_pulse_width",
                handle == kDevice && channel == 1 && width_ns == 100);
}

INT __stdcall vr815_set_global_output(void* handle, BYTE enable) {
  return answer("vr815_set_global_output", handle == kDevice && enable == 1);
}

INT __stdcall vr815_software_trigger(void* handle) {
  return answer("vr815_software_trigger", handle == kDevice);
}

void VR815DDG::BuildFrame(std::uint8_t cmd, std::uint16_t param,
                          const std::uint8_t* data, std::int32_t len,
                          std::vector<std::uint8_t>& frame) {
  const std::vector<UINT32> none;
  if (data == nullptr && len == 0) {
    stand_in::append_frame(frame, cmd, param, none);
  }
}

void VR815DDG::BuildFrameU32(std::uint8_t cmd, std::uint16_t param,
                             const std::vector<UINT32>& words,
                             std::vector<std::uint8_t>& frame) {
  stand_in::append_frame(frame, cmd, param, words);
}

void VR815DDG::DumpFrame(const std::vector<std::uint8_t>& frame,
                         const char* label) {
  stand_in::print_frame(frame, label);
}
