// The stand-in for our own header: a delay beyond 32 bits, and
// vr815_set_pulse_width refused with a timeout.
#include "VR815_DLL.h"

#include "stand_in.h"

namespace {

int g_device;
void* const kDevice = &g_device;
constexpr char kRefused[] = "vr815_set_pulse_width";

int32_t answer(const char* function, bool as_expected) {
  return stand_in::answer(function, as_expected, kRefused, VR815_ERR_TIMEOUT);
}

}  // namespace

void* vr815_init(const char* port, int32_t baud) {
  return stand_in::expected_open(port, baud) ? kDevice : nullptr;
}

int32_t vr815_close(void* handle) {
  return handle == kDevice ? VR815_OK : VR815_ERR_BAD_ARG;
}

int32_t vr815_read_temperature(void* handle, float* celsius) {
  *celsius = 25.5f;
  return answer("vr815_read_temperature", handle == kDevice);
}

int32_t vr815_read_timing_config(void* handle, int32_t channel,
                                 int64_t* delay_ns, int64_t* width_ns,
                                 int32_t* trig_mode, double* trig_freq_hz) {
  *delay_ns = 4294967296;
  *width_ns = 100;
  *trig_mode = -2147483647 - 1;
  *trig_freq_hz = 1000.0;
  return answer("vr815_read_timing_config", handle == kDevice && channel == 1);
}

int32_t vr815_set_trigger(void* handle, int32_t mode) {
  return answer("vr815_set_trigger",
                handle == kDevice && (mode == 0 || mode == 2));
}

int32_t vr815_set_trigger_freq(void* handle, double hz) {
  return answer("vr815_set_trigger_freq", handle == kDevice && hz == 1000.0);
}

int32_t vr815_set_output_channel(void* handle, int32_t channel,
                                 int32_t enable) {
  return answer("vr815_set_output_channel",
                handle == kDevice && channel == 1 && enable == 1);
}

int32_t vr815_set_delay(void* handle, int32_t channel, int64_t delay_ns) {
  return answer("vr815_set_delay",
                handle == kDevice && channel == 1 && delay_ns == 10);
}

int32_t vr815_set_pulse_width(void* handle, int32_t channel, int64_t width_ns) {
  return answer("vr815_set_pulse_width",
                handle == kDevice && channel == 1 && width_ns == 100);
}

int32_t vr815_set_global_output(void* handle, int32_t enable) {
  return answer("vr815_set_global_output", handle == kDevice && enable == 1);
}

int32_t vr815_software_trigger(void* handle) {
  return answer("vr815_software_trigger", handle == kDevice);
}

void VR815DDG::BuildFrame(uint8_t cmd, uint16_t param, const uint8_t* data,
                          int32_t len, std::vector<uint8_t>& frame) {
  if (data == nullptr && len == 0) {
    stand_in::append_frame(frame, cmd, param, std::vector<uint32_t>{});
  }
}

void VR815DDG::BuildFrameU32(uint8_t cmd, uint16_t param,
                             const std::vector<uint32_t>& words,
                             std::vector<uint8_t>& frame) {
  stand_in::append_frame(frame, cmd, param, words);
}

void VR815DDG::DumpFrame(const std::vector<uint8_t>& frame, const char* label) {
  stand_in::print_frame(frame, label);
}
