#include "device_state.h"

namespace vr815::sim {

namespace proto = vr815::protocol;

namespace {

bool valid_channel(unsigned channel) {
  return channel >= 1 && channel <= proto::kChannels;
}

bool valid_enable(unsigned enable) { return enable <= 1; }

uint64_t counts_of(const std::vector<uint32_t>& w) {
  return static_cast<uint64_t>(w[1]) << 32 | w[0];
}

Answer status(int16_t code) { return {code, {}}; }

const Answer kOk;
const Answer kBadParameter = status(proto::kStatusBadParameter);

// One handler per command. The request's payload already has the length
// the protocol's command table gives, so its words are there to read.
using Words = std::vector<uint32_t>;

Answer set_trigger(DeviceState& s, unsigned param, const Words&) {
  if (param > proto::kMaxWireTriggerMode) return kBadParameter;
  s.trigger_mode = static_cast<uint16_t>(param);
  return kOk;
}

Answer set_trig_freq(DeviceState& s, unsigned param, const Words& w) {
  if (param != 0 || w[0] == 0) return kBadParameter;
  s.period_ticks = w[0];
  return kOk;
}

Answer set_channel(DeviceState& s, unsigned param, const Words&) {
  const unsigned channel = param >> 8;
  const unsigned enable = param & 0xFF;
  if (!valid_channel(channel) || !valid_enable(enable)) return kBadParameter;
  s.channels[channel - 1].enabled = enable == 1;
  return kOk;
}

Answer set_global_output(DeviceState& s, unsigned param, const Words&) {
  if (!valid_enable(param)) return kBadParameter;
  s.global_output = param == 1;
  return kOk;
}

Answer set_delay(DeviceState& s, unsigned param, const Words& w) {
  if (!valid_channel(param)) return kBadParameter;
  s.channels[param - 1].delay_counts = counts_of(w);
  return kOk;
}

Answer set_pulse_width(DeviceState& s, unsigned param, const Words& w) {
  if (!valid_channel(param)) return kBadParameter;
  s.channels[param - 1].width_counts = counts_of(w);
  return kOk;
}

Answer software_trig(DeviceState& s, unsigned param, const Words&) {
  if (param != 0) return kBadParameter;
  ++s.software_triggers;
  return kOk;
}

Answer read_temp(DeviceState& s, unsigned param, const Words&) {
  if (param != 0) return kBadParameter;
  return {proto::kStatusOk, {static_cast<uint32_t>(s.milli_celsius)}};
}

/// Channel 0 reads the trigger settings alone, with the channel's words 0.
Answer read_timing(DeviceState& s, unsigned param, const Words&) {
  if (param != 0 && !valid_channel(param)) return kBadParameter;
  Words w(proto::kTimingWords, 0);
  if (param != 0) {
    const ChannelState& c = s.channels[param - 1];
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

struct Handler {
  uint8_t code;
  Answer (*answer)(DeviceState& state, unsigned param, const Words& words);
};

/// What the device does for each command of the protocol's table.
constexpr Handler kHandlers[] = {
    {proto::kSetTrigger, set_trigger},
    {proto::kSetTrigFreq, set_trig_freq},
    {proto::kSetChannel, set_channel},
    {proto::kSetGlobalOutput, set_global_output},
    {proto::kSetDelay, set_delay},
    {proto::kSetPulseWidth, set_pulse_width},
    {proto::kSoftwareTrig, software_trig},
    {proto::kReadTemp, read_temp},
    {proto::kReadTiming, read_timing},
};

const Handler* find_handler(uint8_t code) {
  for (const Handler& h : kHandlers) {
    if (h.code == code) return &h;
  }
  return nullptr;
}

}  // namespace

Answer answer_request(DeviceState& state, const proto::Frame& request,
                      const FailTable& fails) {
  const proto::Command* cmd = proto::find_command(request.command);
  const Handler* handler = find_handler(request.command);
  if (cmd == nullptr || handler == nullptr) {
    return status(proto::kStatusUnknownCommand);
  }
  const auto forced = fails.find(request.command);
  if (forced != fails.end()) return status(forced->second);
  if (request.payload.size() != cmd->request_bytes) {
    return status(proto::kStatusBadLength);
  }
  return handler->answer(state, request.param,
                         proto::payload_words(request.payload));
}

}  // namespace vr815::sim
