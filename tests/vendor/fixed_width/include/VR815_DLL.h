/*
 * A maker's header of narrow Windows integer types: __stdcall C functions,
 * INT results, LONGLONG delays, a BYTE trigger mode, WORD channels, a bool
 * close, and an encoder struct with fixed-width frame and word types and a
 * default label.
 */
#ifndef VR815_DLL_H
#define VR815_DLL_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <vector>

#ifndef VR815_API
#define VR815_API __declspec(dllimport)
#endif

#define VR815_STATUS_OK 0

extern "C" {
VR815_API void* __stdcall vr815_init(const char* port, INT baud);
VR815_API bool __stdcall vr815_close(void* handle);
VR815_API INT __stdcall vr815_read_temperature(void* handle, float* celsius);
VR815_API INT __stdcall vr815_read_timing_config(void* handle, WORD channel,
                                                 LONGLONG* delay_ns,
                                                 LONGLONG* width_ns,
                                                 BYTE* trig_mode,
                                                 double* trig_freq_hz);
VR815_API INT __stdcall vr815_set_trigger(void* handle, BYTE mode);
VR815_API INT __stdcall vr815_set_trigger_freq(void* handle, double hz);
VR815_API INT __stdcall vr815_set_output_channel(void* handle, WORD channel,
                                                 BYTE enable);
VR815_API INT __stdcall vr815_set_delay(void* handle, WORD channel,
                                        UINT delay_ns);
VR815_API INT __stdcall vr815_set_pulse_width(void* handle, WORD channel,
                                              UINT width_ns);
VR815_API INT __stdcall vr815_set_global_output(void* handle, BYTE enable);
VR815_API INT __stdcall vr815_software_trigger(void* handle);
}

struct VR815_API VR815DDG {
  static void BuildFrame(std::uint8_t cmd, std::uint16_t param,
                         const std::uint8_t* data, std::int32_t len,
                         std::vector<std::uint8_t>& frame);
  static void BuildFrameU32(std::uint8_t cmd, std::uint16_t param,
                            const std::vector<UINT32>& words,
                            std::vector<std::uint8_t>& frame);
  static void DumpFrame(const std::vector<std::uint8_t>& frame,
                        const char* label = NULL);
};

#endif /* VR815_DLL_H */
