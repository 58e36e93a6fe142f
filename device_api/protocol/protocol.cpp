#include "protocol.h"

#include <cmath>
#include <string>

namespace vr815::protocol {

namespace {

void put_u16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

uint16_t get_u16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

struct TriggerMode {
  int32_t api;
  uint16_t wire;
};

// Wire value 2 (external, falling edge) has no library mode of its own.
constexpr TriggerMode kTriggerModes[] = {
    {0, 0},  // internal
    {1, 1},  // external
    {2, 3},  // software
};

}  // namespace

uint16_t crc16(const uint8_t* data, size_t len) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < len; ++i) {
    crc = static_cast<uint16_t>(crc ^ (data[i] << 8));
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                           : static_cast<uint16_t>(crc << 1);
    }
  }
  return crc;
}

bool append_frame(std::vector<uint8_t>& out, uint8_t marker, uint8_t command,
                  uint16_t param, const uint8_t* payload, size_t len,
                  uint8_t tag) {
  if (len > kMaxPayload || (payload == nullptr && len != 0)) return false;
  const size_t start = out.size();
  out.reserve(start + frame_size(len));
  out.push_back(marker);
  out.push_back(command);
  put_u16(out, param);
  out.push_back(static_cast<uint8_t>(len));
  out.push_back(tag);
  if (len != 0) out.insert(out.end(), payload, payload + len);
  put_u16(out, crc16(out.data() + start, out.size() - start));
  return true;
}

bool append_frame_words(std::vector<uint8_t>& out, uint8_t marker,
                        uint8_t command, uint16_t param,
                        const std::vector<uint32_t>& words, uint8_t tag) {
  if (words.size() > kMaxPayload / 4) return false;
  std::vector<uint8_t> bytes;
  bytes.reserve(words.size() * 4);
  for (uint32_t w : words) {
    for (int shift = 0; shift < 32; shift += 8) {
      bytes.push_back(static_cast<uint8_t>(w >> shift));
    }
  }
  return append_frame(out, marker, command, param, bytes.data(), bytes.size(),
                      tag);
}

ParseResult parse_frame(const uint8_t* buf, size_t len, uint8_t marker,
                        Frame* out) {
  if (len == 0) return {Parse::Incomplete, 1};
  if (buf[0] != marker) return {Parse::Bad, 1};
  if (len < kHeaderSize) return {Parse::Incomplete, kHeaderSize};
  const size_t payload_len = buf[4];
  const size_t total = frame_size(payload_len);
  if (len < total) return {Parse::Incomplete, total};
  const size_t body = total - kCrcSize;
  if (crc16(buf, body) != get_u16(buf + body)) return {Parse::Bad, 1};
  if (out != nullptr) {
    out->marker = buf[0];
    out->command = buf[1];
    out->param = get_u16(buf + 2);
    out->tag = buf[kTagOffset];
    out->payload.assign(buf + kHeaderSize, buf + body);
  }
  return {Parse::Complete, total};
}

std::string hex_text(const uint8_t* data, size_t len) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(len * 3);
  for (size_t i = 0; i < len; ++i) {
    if (i != 0) text.push_back(' ');
    text.push_back(kDigits[data[i] >> 4]);
    text.push_back(kDigits[data[i] & 0x0F]);
  }
  return text;
}

std::string frame_text(const uint8_t* data, size_t len) {
  std::string text = hex_text(data, len);
  if (len == 0 || (data[0] != kRequestMarker && data[0] != kReplyMarker)) {
    return text;
  }
  if (parse_frame(data, len, data[0], nullptr).outcome == Parse::Complete &&
      data[kTagOffset] != 0) {
    text += " tag=" + std::to_string(data[kTagOffset]);
  }
  return text;
}

std::vector<uint32_t> payload_words(const std::vector<uint8_t>& payload) {
  std::vector<uint32_t> words;
  if (payload.size() % 4 != 0) return words;
  for (size_t i = 0; i < payload.size(); i += 4) {
    words.push_back(static_cast<uint32_t>(payload[i]) |
                    static_cast<uint32_t>(payload[i + 1]) << 8 |
                    static_cast<uint32_t>(payload[i + 2]) << 16 |
                    static_cast<uint32_t>(payload[i + 3]) << 24);
  }
  return words;
}

const Command* find_command(uint8_t code) {
  for (const Command& c : kCommands) {
    if (c.code == code) return &c;
  }
  return nullptr;
}

const Command* find_command(std::string_view name) {
  for (const Command& c : kCommands) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

bool period_ticks_from_hz(double hz, uint32_t* ticks) {
  if (!std::isfinite(hz) || hz <= 0.0) return false;
  // The range holds before the rounding: a frequency the device cannot make
  // is refused, not set to the nearest one it can.
  const double period = kTicksPerSecond / hz;
  if (!(period >= 1.0 && period <= static_cast<double>(kMaxPeriodTicks))) {
    return false;
  }
  *ticks = static_cast<uint32_t>(std::round(period));
  return true;
}

double hz_from_period_ticks(uint32_t ticks) {
  return ticks == 0 ? 0.0 : kTicksPerSecond / static_cast<double>(ticks);
}

bool counts_from_ns(int64_t ns, uint64_t* counts) {
  if (ns < 0 || ns > kMaxTimeNs) return false;
  *counts = static_cast<uint64_t>(ns) * static_cast<uint64_t>(kCountsPerNs);
  return true;
}

int64_t ns_from_counts(uint64_t counts) {
  return static_cast<int64_t>(counts / static_cast<uint64_t>(kCountsPerNs));
}

bool wire_trigger_mode(int32_t mode, uint16_t* wire) {
  for (const TriggerMode& m : kTriggerModes) {
    if (m.api == mode) {
      *wire = m.wire;
      return true;
    }
  }
  return false;
}

bool api_trigger_mode(uint32_t wire, int32_t* mode) {
  for (const TriggerMode& m : kTriggerModes) {
    if (m.wire == wire) {
      *mode = m.api;
      return true;
    }
  }
  return false;
}

}  // namespace vr815::protocol
