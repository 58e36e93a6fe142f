// The stand-in for the header of <windows.h> types: 32-bit readings at the
// ends of their range, and vr815_set_delay refused.
#include "VR815_DLL.h"

#include "stand_in.h"

namespace {

int g_device;
const HANDLE kDevice = &g_device;
constexpr char kRefused[] = "vr815_set_delay";
constexpr LONG kRefusedCode = -100004;

LONG answer(const char* function, bool as_expected) {
  return stand_in::answer(function, as_expected, kRefused, kRefusedCode);
}

}  // namespace

HANDLE WINAPI vr815_init(LPCSTR portName, DWORD baudRate) {
  return stand_in::expected_open(portName, baudRate) ? kDevice : nullptr;
}

BOOL WINAPI vr815_close(HANDLE hDevice) { return hDevice == kDevice; }

LONG WINAPI vr815_read_temperature(HANDLE hDevice, float* pCelsius) {
  *pCelsius = -40.25f;
  return answer("vr815_read_temperature", hDevice == kDevice);
}

LONG WINAPI vr815_read_timing_config(HANDLE hDevice, DWORD channel,
                                     LONG* pDelayNs, LONG* pWidthNs,
                                     LONG* pTrigMode, double* pTrigFreqHz) {
  *pDelayNs = 2147483647;
  *pWidthNs = -2147483647 - 1;
  *pTrigMode = 2;
  *pTrigFreqHz = 2500.5;
  return answer("vr815_read_timing_config", hDevice == kDevice && channel == 1);
}

LONG WINAPI vr815_set_trigger(HANDLE hDevice, DWORD mode) {
  return answer("vr815_set_trigger",
                hDevice == kDevice && (mode == 0 || mode == 2));
}

LONG WINAPI vr815_set_trigger_freq(HANDLE hDevice, double hz) {
  return answer("vr815_set_trigger_freq", hDevice == kDevice && hz == 1000.0);
}

LONG WINAPI vr815_set_output_channel(HANDLE hDevice, DWORD channel,
                                     DWORD enable) {
  return answer("vr815_set_output_channel",
                hDevice == kDevice && channel == 1 && enable == 1);
}

LONG WINAPI vr815_set_delay(HANDLE hDevice, DWORD channel, DWORD delayNs) {
  return answer("vr815_set_delay",
                hDevice == kDevice && channel == 1 && delayNs == 10);
}

LONG WINAPI vr815_set_pulse_width(HANDLE hDevice, DWORD channel,
                                  DWORD widthNs) {
  return answer("vr815_set_pulse_width",
                hDevice == kDevice && channel == 1 && widthNs == 100);
}

LONG WINAPI vr815_set_global_output(HANDLE hDevice, DWORD enable) {
  return answer("vr815_set_global_output", hDevice == kDevice && enable == 1);
}

LONG WINAPI vr815_software_trigger(HANDLE hDevice) {
  return answer("vr815_software_trigger", hDevice == kDevice);
}

LONG WINAPI vr815_get_version(LPSTR buffer, DWORD size) {
  return buffer != nullptr && size > 0 ? (buffer[0] = '\0', 0) : -1;
}

void VR815DDG::BuildFrame(BYTE cmd, WORD param, const BYTE* data, DWORD len,
                          std::vector<BYTE>& frame) {
  const std::vector<DWORD> none;
  if (data == nullptr && len == 0)
    stand_in::append_frame(frame, cmd, param, none);
}

void VR815DDG::BuildFrameU32(BYTE cmd, WORD param, std::vector<DWORD>& words,
                             std::vector<BYTE>& frame) {
  stand_in::append_frame(frame, cmd, param, words);
}

void VR815DDG::DumpFrame(const std::vector<BYTE>& frame, LPCSTR label) {
  stand_in::print_frame(frame, label);
}

BOOL VR815DDG::ParseReply(const std::vector<BYTE>& reply, LONG* status) {
  *status = 0;
  return !reply.empty();
}
