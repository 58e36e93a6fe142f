#include "device_state.h"

#include "VR815_DLL.h"

namespace vr815::sim {

namespace proto = vr815::protocol;

namespace {

/// Highest wire trigger mode: 3, software.
constexpr uint16_t kMaxWireMode = 3;

bool valid_channel(unsigned channel) {
  return channel >= 1 && channel <= kChannels;
}

bool valid_enable(unsigned enable) { return enable <= 1; }

uint64_t counts_of(const std::vector<uint32_t>& w) {
  return static_cast<uint64_t>(w[1]) << 32 | w[0];
}

Answer status(int16_t code) { return {code, {}}; }

Answer timing(const DeviceState& s, unsigned channel) {
  std::vector<uint32_t> w(proto::kTimingWords, 0);
  if (channel != 0) {
    const ChannelState& c = s.channels[channel - 1];
    w[proto::kDelayLow] = static_cast<uint32_t>(c.delay_counts);
    w[proto::kDelayHigh] = static_cast<uint32_t>(c.delay_counts >> 32);
    w[proto::kWidthLow] = static_cast<uint32_t>(c.width_counts);
    w[proto::kWidthHigh] = static_cast<uint32_t>(c.width_counts >> 32);
    w[proto::kChannelEnable] = c.enabled ? 1 : 0;
  }
  w[proto::kTriggerMode] = s.trigger_mode;
  w[proto::kPeriodTicks] = s.period_ticks;
  return {proto::kStatusOk, w};
}

}  // namespace

Answer answer_request(DeviceState& state, const proto::Frame& request,
                      const FailTable& fails) {
  const proto::Command* cmd = proto::find_command(request.command);
  if (cmd == nullptr) return status(proto::kStatusUnknownCommand);
  const auto forced = fails.find(request.command);
  if (forced != fails.end()) return status(forced->second);
  if (request.payload.size() != cmd->request_bytes) {
    return status(proto::kStatusBadLength);
  }
  const unsigned param = request.param;
  const std::vector<uint32_t> words = proto::payload_words(request.payload);
  const Answer bad = status(proto::kStatusBadParameter);
  const Answer ok;

  switch (request.command) {
    case VR815DDG::SET_TRIGGER:
      if (param > kMaxWireMode) return bad;
      state.trigger_mode = static_cast<uint16_t>(param);
      return ok;
    case VR815DDG::SET_TRIG_FREQ:
      if (param != 0 || words[0] == 0) return bad;
      state.period_ticks = words[0];
      return ok;
    case VR815DDG::SET_CHANNEL: {
      const unsigned channel = param >> 8;
      const unsigned enable = param & 0xFF;
      if (!valid_channel(channel) || !valid_enable(enable)) return bad;
      state.channels[channel - 1].enabled = enable == 1;
      return ok;
    }
    case VR815DDG::SET_GLOBAL_OUTPUT:
      if (!valid_enable(param)) return bad;
      state.global_output = param == 1;
      return ok;
    case VR815DDG::SET_DELAY:
      if (!valid_channel(param)) return bad;
      state.channels[param - 1].delay_counts = counts_of(words);
      return ok;
    case VR815DDG::SET_PULSE_WIDTH:
      if (!valid_channel(param)) return bad;
      state.channels[param - 1].width_counts = counts_of(words);
      return ok;
    case VR815DDG::SOFTWARE_TRIG:
      if (param != 0) return bad;
      ++state.software_triggers;
      return ok;
    case VR815DDG::READ_TEMP:
      if (param != 0) return bad;
      return {proto::kStatusOk, {static_cast<uint32_t>(state.milli_celsius)}};
    case VR815DDG::READ_TIMING:
      if (param != 0 && !valid_channel(param)) return bad;
      return timing(state, param);
    default:
      return status(proto::kStatusUnknownCommand);
  }
}

}  // namespace vr815::sim
