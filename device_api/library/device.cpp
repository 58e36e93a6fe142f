// The device functions: argument checks and units on top of one transaction
// per call. The handle is the open line.
#include <cstdint>
#include <vector>

#include "VR815_DLL.h"
#include "line.h"
#include "protocol.h"
#include "transaction.h"

namespace proto = vr815::protocol;
using vr815::Line;

static_assert(VR815_CONNECT_TIMEOUT_MS == vr815::kConnectTimeoutMs,
              "the documented bound of a TCP open");

// The interface numbers the device's channels.
static_assert(VR815_CHANNELS == proto::kChannels);

namespace {

Line* line_of(void* handle) { return static_cast<Line*>(handle); }

bool valid_channel(int32_t channel) {
  return channel >= 1 && channel <= VR815_CHANNELS;
}

bool valid_enable(int32_t enable) { return enable == 0 || enable == 1; }

int32_t send(void* handle, uint8_t command, uint16_t param,
             const std::vector<uint32_t>& words = {},
             std::vector<uint32_t>* reply = nullptr) {
  return vr815::transact(line_of(handle), command, param, words, reply);
}

/// SET_DELAY and SET_PULSE_WIDTH: a 10 ps count, low word first.
int32_t send_time(void* handle, uint8_t command, int32_t channel, int64_t ns) {
  uint64_t counts = 0;
  if (handle == nullptr || !valid_channel(channel) ||
      !proto::counts_from_ns(ns, &counts)) {
    return VR815_ERR_BAD_ARG;
  }
  return send(
      handle, command, static_cast<uint16_t>(channel),
      {static_cast<uint32_t>(counts), static_cast<uint32_t>(counts >> 32)});
}

uint64_t counts_of(const std::vector<uint32_t>& w, size_t low, size_t high) {
  return static_cast<uint64_t>(w[high]) << 32 | w[low];
}

}  // namespace

extern "C" {

// The handle is the one place a line is owned by a bare pointer: handed out
// here, taken back by vr815_close.
VR815_API void* vr815_init(const char* port, int32_t baud) {
  return vr815::line_open(port, baud).release();
}

VR815_API int32_t vr815_close(void* handle) {
  if (handle == nullptr) return VR815_ERR_BAD_ARG;
  delete line_of(handle);
  return VR815_OK;
}

VR815_API int32_t vr815_read_temperature(void* handle, float* celsius) {
  if (handle == nullptr || celsius == nullptr) return VR815_ERR_BAD_ARG;
  std::vector<uint32_t> reply;
  const int32_t status = send(handle, proto::kReadTemp, 0, {}, &reply);
  if (status != VR815_OK) return status;
  if (reply.size() != 1) return VR815_ERR_BAD_REPLY;
  const auto milli = static_cast<int32_t>(reply[0]);
  *celsius = static_cast<float>(static_cast<double>(milli) /
                                proto::kMilliCelsiusPerCelsius);
  return VR815_OK;
}

VR815_API int32_t vr815_read_timing_config(void* handle, int32_t channel,
                                           int64_t* delay_ns, int64_t* width_ns,
                                           int32_t* trig_mode,
                                           double* trig_freq_hz) {
  if (handle == nullptr || !valid_channel(channel) || delay_ns == nullptr ||
      width_ns == nullptr || trig_mode == nullptr || trig_freq_hz == nullptr) {
    return VR815_ERR_BAD_ARG;
  }
  std::vector<uint32_t> w;
  const int32_t status =
      send(handle, proto::kReadTiming, static_cast<uint16_t>(channel), {}, &w);
  if (status != VR815_OK) return status;
  int32_t mode = 0;
  if (w.size() != proto::kTimingWords ||
      !proto::api_trigger_mode(w[proto::kTriggerMode], &mode) ||
      w[proto::kPeriodTicks] == 0) {
    return VR815_ERR_BAD_REPLY;
  }
  *delay_ns =
      proto::ns_from_counts(counts_of(w, proto::kDelayLow, proto::kDelayHigh));
  *width_ns =
      proto::ns_from_counts(counts_of(w, proto::kWidthLow, proto::kWidthHigh));
  *trig_mode = mode;
  *trig_freq_hz = proto::hz_from_period_ticks(w[proto::kPeriodTicks]);
  return VR815_OK;
}

VR815_API int32_t vr815_set_trigger(void* handle, int32_t mode) {
  uint16_t wire = 0;
  if (handle == nullptr || !proto::wire_trigger_mode(mode, &wire)) {
    return VR815_ERR_BAD_ARG;
  }
  return send(handle, proto::kSetTrigger, wire);
}

VR815_API int32_t vr815_set_trigger_freq(void* handle, double hz) {
  uint32_t ticks = 0;
  if (handle == nullptr || !proto::period_ticks_from_hz(hz, &ticks)) {
    return VR815_ERR_BAD_ARG;
  }
  return send(handle, proto::kSetTrigFreq, 0, {ticks});
}

VR815_API int32_t vr815_set_output_channel(void* handle, int32_t channel,
                                           int32_t enable) {
  if (handle == nullptr || !valid_channel(channel) || !valid_enable(enable)) {
    return VR815_ERR_BAD_ARG;
  }
  return send(handle, proto::kSetChannel,
              proto::channel_param(static_cast<uint8_t>(channel),
                                   static_cast<uint8_t>(enable)));
}

VR815_API int32_t vr815_set_delay(void* handle, int32_t channel,
                                  int64_t delay_ns) {
  return send_time(handle, proto::kSetDelay, channel, delay_ns);
}

VR815_API int32_t vr815_set_pulse_width(void* handle, int32_t channel,
                                        int64_t width_ns) {
  return send_time(handle, proto::kSetPulseWidth, channel, width_ns);
}

VR815_API int32_t vr815_set_global_output(void* handle, int32_t enable) {
  if (handle == nullptr || !valid_enable(enable)) return VR815_ERR_BAD_ARG;
  return send(handle, proto::kSetGlobalOutput, static_cast<uint16_t>(enable));
}

VR815_API int32_t vr815_software_trigger(void* handle) {
  if (handle == nullptr) return VR815_ERR_BAD_ARG;
  return send(handle, proto::kSoftwareTrig, 0);
}

}  // extern "C"
