// A maker's header in plain C++: C++ linkage, explicit __cdecl, an opaque
// device type, long results, long long out-parameters, a void close, char*
// where the harness has const text, default arguments, and an encoder class
// with unsigned char frames, unsigned long words and non-const references.
#pragma once

#include <vector>

#if defined(VR815_DLL_EXPORTS)
#define VR815_EXPORT __declspec(dllexport)
#else
#define VR815_EXPORT __declspec(dllimport)
#endif

struct vr815_device;
typedef vr815_device* VR815_HANDLE;

namespace vr815 {
enum TriggerMode { Internal = 0, External = 1, Software = 2 };
}

VR815_EXPORT VR815_HANDLE __cdecl vr815_init(char* port, int baud = 115200);
VR815_EXPORT void __cdecl vr815_close(VR815_HANDLE device);
VR815_EXPORT long __cdecl vr815_read_temperature(VR815_HANDLE device,
                                                 float* celsius);
VR815_EXPORT long __cdecl vr815_read_timing_config(
    VR815_HANDLE device, int channel, long long* delay_ns, long long* width_ns,
    int* trig_mode, double* trig_freq_hz);
VR815_EXPORT long __cdecl vr815_set_trigger(VR815_HANDLE device, int mode);
VR815_EXPORT long __cdecl vr815_set_trigger_freq(VR815_HANDLE device,
                                                 double hz = 1000.0);
VR815_EXPORT long __cdecl vr815_set_output_channel(VR815_HANDLE device,
                                                   int channel, int enable = 1);
VR815_EXPORT long __cdecl vr815_set_delay(VR815_HANDLE device, int channel,
                                          long long delay_ns);
VR815_EXPORT long __cdecl vr815_set_pulse_width(VR815_HANDLE device,
                                                int channel,
                                                long long width_ns);
VR815_EXPORT long __cdecl vr815_set_global_output(VR815_HANDLE device,
                                                  int enable = 1);
VR815_EXPORT long __cdecl vr815_software_trigger(VR815_HANDLE device);
VR815_EXPORT const char* __cdecl vr815_error_text(long status);

class VR815_EXPORT VR815DDG {
 public:
  static void BuildFrame(unsigned char cmd, unsigned short param,
                         unsigned char* data, int len,
                         std::vector<unsigned char>& frame);
  static void BuildFrameU32(unsigned char cmd, unsigned short param,
                            std::vector<unsigned long>& words,
                            std::vector<unsigned char>& frame);
  static void DumpFrame(std::vector<unsigned char>& frame, char* label = 0);
};
