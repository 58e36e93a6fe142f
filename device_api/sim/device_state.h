// The simulated device's state and how it answers one request.
#ifndef VR815_SIM_DEVICE_STATE_H
#define VR815_SIM_DEVICE_STATE_H

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "protocol.h"

namespace vr815::sim {

struct ChannelState {
  bool enabled = false;
  uint64_t delay_counts = 0;  ///< 10 ps
  uint64_t width_counts = 0;  ///< 10 ps
};

/// Power-on state: channels off with delay and width 0, internal trigger at
/// the protocol's power-on period, outputs off, its power-on temperature.
struct DeviceState {
  std::array<ChannelState, protocol::kChannels> channels{};
  uint16_t trigger_mode = 0;  ///< wire trigger mode
  uint32_t period_ticks = protocol::kPowerOnPeriodTicks;
  bool global_output = false;
  int32_t milli_celsius = protocol::kPowerOnMilliCelsius;
  uint64_t software_triggers = 0;
};

/// Commands forced to answer with a device status (command code -> status).
using FailTable = std::map<uint8_t, int16_t>;

struct Answer {
  int16_t status = protocol::kStatusOk;
  std::vector<uint32_t> words;  ///< payload, only with status 0
};

/// Carries out the request on the state and gives the answer. A command in
/// fails answers its status; the state changes only when the status is 0.
Answer answer_request(DeviceState& state, const protocol::Frame& request,
                      const FailTable& fails);

}  // namespace vr815::sim

#endif  // VR815_SIM_DEVICE_STATE_H
