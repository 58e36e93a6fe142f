// Interface of the VR815 delay and pulse generator control library.
//
// Two families: device functions on a handle returned by vr815_init, and the
// static frame encoder of VR815DDG, which needs no device.
//
// Every device function returns within VR815_CALL_TIMEOUT_MS, whatever the
// device does: a silent device, noise on the line and a line that hangs up
// all end in a failure code.
#ifndef VR815_DLL_H
#define VR815_DLL_H

#include <cstdint>
#include <vector>

// The one export/import switch: the library's own build defines
// VR815_DLL_BUILD; every user of the header imports.
#if defined(_WIN32)
#if defined(VR815_DLL_BUILD)
#define VR815_API __declspec(dllexport)
#else
#define VR815_API __declspec(dllimport)
#endif
#else
#define VR815_API __attribute__((visibility("default")))
#endif

/// Status of a device function: 0 is success.
constexpr int32_t VR815_OK = 0;
/// The device did not answer within the reply timeout.
constexpr int32_t VR815_ERR_TIMEOUT = -100001;
/// The reply was malformed: bad checksum, wrong command, wrong length, or
/// bytes that are not a reply.
constexpr int32_t VR815_ERR_BAD_REPLY = -100002;
/// The serial line failed: write or read error, or the line hung up.
constexpr int32_t VR815_ERR_LINE = -100003;
/// A null handle, a null out pointer or a value the device cannot take.
constexpr int32_t VR815_ERR_BAD_ARG = -100004;
// Any other non-zero status is the device's own, passed through as it came
// (a signed 16-bit value, so it never collides with the codes above).

/// Longest time the library waits for the frame to be written.
constexpr int32_t VR815_WRITE_TIMEOUT_MS = 200;
/// Longest time the library waits, after the write, for the whole reply.
constexpr int32_t VR815_REPLY_TIMEOUT_MS = 300;
/// Upper bound of any device function call.
constexpr int32_t VR815_CALL_TIMEOUT_MS =
    VR815_WRITE_TIMEOUT_MS + VR815_REPLY_TIMEOUT_MS;

/// Lowest baud rate vr815_init takes, on a TCP line too. A write returns
/// once the system has taken the request, which may then still be on the
/// wire while the reply is awaited: the longest exchange, a READ_TIMING
/// request and its reply (44 bytes of 10 bits), takes at most half of
/// VR815_REPLY_TIMEOUT_MS on the wire at this rate, and the other half is
/// left for the device to answer.
constexpr int32_t VR815_MIN_BAUD = 2934;

/// Longest time vr815_init waits for a TCP connection ("socket://...").
constexpr int32_t VR815_CONNECT_TIMEOUT_MS = 2000;

/// Trigger modes of vr815_set_trigger and vr815_read_timing_config.
constexpr int32_t VR815_TRIG_INTERNAL = 0;
constexpr int32_t VR815_TRIG_EXTERNAL = 1;
constexpr int32_t VR815_TRIG_SOFTWARE = 2;

/// Output channels are numbered 1 to VR815_CHANNELS.
constexpr int32_t VR815_CHANNELS = 4;

extern "C" {

/// Opens and sets up the serial port ("COM<n>" or a device path) at the
/// baud rate; does not wait for the device. "socket://HOST:PORT" (HOST a
/// numeric IPv4 address, an IPv6 address in brackets, or localhost) opens a
/// TCP connection that stands in for the serial line instead, within
/// VR815_CONNECT_TIMEOUT_MS; the baud rate is checked as for a serial port
/// and otherwise unused. Null when the port cannot be opened, is in use, is
/// not a serial device, the rate is below VR815_MIN_BAUD or one the port
/// cannot take, or the connection is refused or not made in time.
VR815_API void* vr815_init(const char* port, int32_t baud);
/// Closes the line and frees the handle: VR815_OK, or VR815_ERR_BAD_ARG for
/// a null handle.
VR815_API int32_t vr815_close(void* handle);
/// Device temperature in degrees Celsius.
VR815_API int32_t vr815_read_temperature(void* handle, float* celsius);
/// Delay and width of the channel in ns, trigger mode and trigger frequency.
VR815_API int32_t vr815_read_timing_config(void* handle, int32_t channel,
                                           int64_t* delay_ns, int64_t* width_ns,
                                           int32_t* trig_mode,
                                           double* trig_freq_hz);
/// Trigger mode: VR815_TRIG_INTERNAL, _EXTERNAL or _SOFTWARE.
VR815_API int32_t vr815_set_trigger(void* handle, int32_t mode);
/// Internal trigger frequency in Hz (period kept in 4 ns ticks).
VR815_API int32_t vr815_set_trigger_freq(void* handle, double hz);
/// Enables (1) or disables (0) one output channel.
VR815_API int32_t vr815_set_output_channel(void* handle, int32_t channel,
                                           int32_t enable);
/// Delay of the channel's pulse after the trigger, in ns (10 ps resolution).
VR815_API int32_t vr815_set_delay(void* handle, int32_t channel,
                                  int64_t delay_ns);
/// Width of the channel's pulse, in ns (10 ps resolution).
VR815_API int32_t vr815_set_pulse_width(void* handle, int32_t channel,
                                        int64_t width_ns);
/// Enables (1) or disables (0) all outputs at once.
VR815_API int32_t vr815_set_global_output(void* handle, int32_t enable);
/// Fires one trigger.
VR815_API int32_t vr815_software_trigger(void* handle);

}  // extern "C"

/// The protocol's frame encoder; needs no handle and no device.
class VR815_API VR815DDG {
 public:
  static constexpr uint8_t SET_TRIGGER = 0x01;
  static constexpr uint8_t SET_TRIG_FREQ = 0x05;
  static constexpr uint8_t SET_CHANNEL = 0x06;
  static constexpr uint8_t SET_GLOBAL_OUTPUT = 0x07;
  static constexpr uint8_t SET_DELAY = 0x08;
  static constexpr uint8_t SET_PULSE_WIDTH = 0x09;
  static constexpr uint8_t SOFTWARE_TRIG = 0x14;
  static constexpr uint8_t READ_TEMP = 0x93;
  static constexpr uint8_t READ_TIMING = 0xC1;

  /// Appends one frame carrying len bytes of data, with tag 0. A negative
  /// len, or null data with a positive len, is taken as no data; more data
  /// than a frame holds (255 bytes) appends nothing.
  static void BuildFrame(uint8_t cmd, uint16_t param, const uint8_t* data,
                         int32_t len, std::vector<uint8_t>& frame);
  /// Appends one frame carrying the words, each little-endian, with tag 0;
  /// more than 63 words appends nothing.
  static void BuildFrameU32(uint8_t cmd, uint16_t param,
                            const std::vector<uint32_t>& words,
                            std::vector<uint8_t>& frame);
  /// Prints the label (when not null), then the bytes as upper-case hex pairs
  /// separated by single blanks, then " tag=N" when they start with a whole
  /// frame whose tag N is not 0; ends the line and flushes standard output.
  static void DumpFrame(const std::vector<uint8_t>& frame, const char* label);
};

#endif  // VR815_DLL_H
