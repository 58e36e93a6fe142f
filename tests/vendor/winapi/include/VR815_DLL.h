// A maker's header as a Windows C library would write it: <windows.h> and
// its types, WINAPI, a C interface in extern "C", LONG results, a BOOL close,
// 32-bit LONG out-parameters, a struct encoder with BYTE frames and a
// non-const DWORD word list, and declarations the harness never uses.
#ifndef VR815_DLL_H
#define VR815_DLL_H

#include <windows.h>

#include <vector>

#ifdef VR815_DLL_EXPORTS
#define VR815_DLL_API __declspec(dllexport)
#else
#define VR815_DLL_API __declspec(dllimport)
#endif

#define VR815_TRIGGER_EXTERNAL 1
#define VR815_MAX_CHANNEL 4

#ifdef __cplusplus
extern "C" {
#endif

VR815_DLL_API HANDLE WINAPI vr815_init(LPCSTR portName, DWORD baudRate);
VR815_DLL_API BOOL WINAPI vr815_close(HANDLE hDevice);
VR815_DLL_API LONG WINAPI vr815_read_temperature(HANDLE hDevice,
                                                 float* pCelsius);
VR815_DLL_API LONG WINAPI
vr815_read_timing_config(HANDLE hDevice, DWORD channel, LONG* pDelayNs,
                         LONG* pWidthNs, LONG* pTrigMode, double* pTrigFreqHz);
VR815_DLL_API LONG WINAPI vr815_set_trigger(HANDLE hDevice, DWORD mode);
VR815_DLL_API LONG WINAPI vr815_set_trigger_freq(HANDLE hDevice, double hz);
VR815_DLL_API LONG WINAPI vr815_set_output_channel(HANDLE hDevice,
                                                   DWORD channel, DWORD enable);
VR815_DLL_API LONG WINAPI vr815_set_delay(HANDLE hDevice, DWORD channel,
                                          DWORD delayNs);
VR815_DLL_API LONG WINAPI vr815_set_pulse_width(HANDLE hDevice, DWORD channel,
                                                DWORD widthNs);
VR815_DLL_API LONG WINAPI vr815_set_global_output(HANDLE hDevice, DWORD enable);
VR815_DLL_API LONG WINAPI vr815_software_trigger(HANDLE hDevice);
VR815_DLL_API LONG WINAPI vr815_get_version(LPSTR buffer, DWORD size);

#ifdef __cplusplus
}
#endif

struct VR815_DLL_API VR815DDG {
  static void BuildFrame(BYTE cmd, WORD param, const BYTE* data, DWORD len,
                         std::vector<BYTE>& frame);
  static void BuildFrameU32(BYTE cmd, WORD param, std::vector<DWORD>& words,
                            std::vector<BYTE>& frame);
  static void DumpFrame(const std::vector<BYTE>& frame, LPCSTR label);
  static BOOL ParseReply(const std::vector<BYTE>& reply, LONG* status);
};

#endif
