// The VR815 serial protocol: frame layout, commands, and the units the
// device keeps its settings in. Shared by the library and the simulated
// device; the layout is written down in docs/protocol.md.
#ifndef VR815_PROTOCOL_H
#define VR815_PROTOCOL_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vr815::protocol {

/// First byte of a frame from host to device.
constexpr uint8_t kRequestMarker = 0xA5;
/// First byte of a frame from device to host.
constexpr uint8_t kReplyMarker = 0x5A;
/// Marker, command, parameter (2 bytes), payload length, tag.
constexpr size_t kHeaderSize = 6;
/// Offset of the tag in the header.
constexpr size_t kTagOffset = 5;
constexpr size_t kCrcSize = 2;
/// The payload length is one byte.
constexpr size_t kMaxPayload = 255;

/// Bytes of a frame that carries payload_len bytes.
constexpr size_t frame_size(size_t payload_len) {
  return kHeaderSize + payload_len + kCrcSize;
}
constexpr size_t kMaxFrame = frame_size(kMaxPayload);

/// Bits a byte takes on the line, 8N1: a start bit, 8 data bits, a stop bit.
constexpr int kBitsPerByte = 10;

/// CRC-16/CCITT-FALSE (polynomial 0x1021, initial value 0xFFFF).
uint16_t crc16(const uint8_t* data, size_t len);

/// The tag after this one: the host numbers its requests 1 to 255 and then
/// 1 again; 0 is a frame that carries no tag (the static encoder's).
constexpr uint8_t next_tag(uint8_t tag) {
  return tag == 255 ? uint8_t{1} : static_cast<uint8_t>(tag + 1);
}

/// Appends one frame; false, and nothing appended, when the payload is
/// longer than kMaxPayload. A reply carries the tag of its request.
bool append_frame(std::vector<uint8_t>& out, uint8_t marker, uint8_t command,
                  uint16_t param, const uint8_t* payload, size_t len,
                  uint8_t tag = 0);
/// Appends one frame whose payload is the words, each little-endian.
bool append_frame_words(std::vector<uint8_t>& out, uint8_t marker,
                        uint8_t command, uint16_t param,
                        const std::vector<uint32_t>& words, uint8_t tag = 0);

struct Frame {
  uint8_t marker = 0;
  uint8_t command = 0;
  uint16_t param = 0;
  uint8_t tag = 0;
  std::vector<uint8_t> payload;
};

enum class Parse {
  Complete,    ///< a whole, valid frame; size is its length in bytes
  Incomplete,  ///< valid so far; size is the least total length still needed
  Bad,         ///< not a frame: wrong marker or a bad checksum; size is 1
               ///< (drop a byte to resynchronise)
};

struct ParseResult {
  Parse outcome;
  size_t size;
};

/// Reads a frame with the given marker from the start of buf (len bytes).
/// Never reads past buf[len - 1]. Fills *out only when Complete.
ParseResult parse_frame(const uint8_t* buf, size_t len, uint8_t marker,
                        Frame* out);

/// "A5 93 00 ..." : upper-case hex pairs separated by single blanks.
std::string hex_text(const uint8_t* data, size_t len);
/// hex_text, then " tag=N" when the bytes start with a whole frame (either
/// direction) whose tag N is not 0: how frames are shown to people.
std::string frame_text(const uint8_t* data, size_t len);

/// Words of a payload, little-endian; the payload length must be a multiple
/// of four, else the result is empty.
std::vector<uint32_t> payload_words(const std::vector<uint8_t>& payload);

/// Command codes, the second byte of every frame.
constexpr uint8_t kSetTrigger = 0x01;
constexpr uint8_t kSetTrigFreq = 0x05;
constexpr uint8_t kSetChannel = 0x06;
constexpr uint8_t kSetGlobalOutput = 0x07;
constexpr uint8_t kSetDelay = 0x08;
constexpr uint8_t kSetPulseWidth = 0x09;
constexpr uint8_t kSoftwareTrig = 0x14;
constexpr uint8_t kReadTemp = 0x93;
constexpr uint8_t kReadTiming = 0xC1;

/// A command of the protocol, with the payload lengths in bytes that a
/// request carries and that a successful reply carries.
struct Command {
  uint8_t code;
  const char* name;
  size_t request_bytes;
  size_t reply_bytes;
};

const Command* find_command(uint8_t code);
const Command* find_command(std::string_view name);

/// Device status values of the simulated device and their meaning; a real
/// device's other non-zero statuses pass through the library unchanged.
constexpr int16_t kStatusOk = 0;
constexpr int16_t kStatusUnknownCommand = 1;
constexpr int16_t kStatusBadParameter = 2;
constexpr int16_t kStatusBadLength = 3;

/// READ_TIMING reply: seven words.
enum TimingWord : size_t {
  kDelayLow,
  kDelayHigh,
  kWidthLow,
  kWidthHigh,
  kTriggerMode,    ///< wire trigger mode
  kPeriodTicks,    ///< trigger period in 4 ns ticks
  kChannelEnable,  ///< 1 when the channel's output is on
  kTimingWords
};

/// The protocol's commands.
inline constexpr Command kCommands[] = {
    {kSetTrigger, "SET_TRIGGER", 0, 0},
    {kSetTrigFreq, "SET_TRIG_FREQ", 4, 0},
    {kSetChannel, "SET_CHANNEL", 0, 0},
    {kSetGlobalOutput, "SET_GLOBAL_OUTPUT", 0, 0},
    {kSetDelay, "SET_DELAY", 8, 0},
    {kSetPulseWidth, "SET_PULSE_WIDTH", 8, 0},
    {kSoftwareTrig, "SOFTWARE_TRIG", 0, 0},
    {kReadTemp, "READ_TEMP", 0, 4},
    {kReadTiming, "READ_TIMING", 0, kTimingWords * 4},
};

/// Bytes of the longest exchange of the table: a command's request and its
/// successful reply.
constexpr size_t longest_exchange_bytes() {
  size_t longest = 0;
  for (const Command& c : kCommands) {
    const size_t bytes =
        frame_size(c.request_bytes) + frame_size(c.reply_bytes);
    if (bytes > longest) longest = bytes;
  }
  return longest;
}

/// Output channels, numbered 1 to kChannels.
constexpr uint8_t kChannels = 4;
/// Highest wire trigger mode: 3, software.
constexpr uint16_t kMaxWireTriggerMode = 3;

/// Clock of the trigger period: 4 ns ticks.
constexpr double kTicksPerSecond = 250e6;
/// Resolution of delay and width: 10 ps, 100 counts per ns.
constexpr int64_t kCountsPerNs = 100;

/// Trigger periods are 1 to kMaxPeriodTicks ticks.
constexpr uint32_t kMaxPeriodTicks = UINT32_MAX;
/// Longest delay or width: the most whole ns whose 10 ps count fits the
/// wire's 64 bits, 184467440737095516 ns (about 5.8 years).
constexpr int64_t kMaxTimeNs =
    static_cast<int64_t>(UINT64_MAX / static_cast<uint64_t>(kCountsPerNs));

/// Period in ticks for a frequency, rounded to the nearest tick; false when
/// the period it gives is not 1 to kMaxPeriodTicks ticks before rounding:
/// zero, negative, not finite, above 250 MHz or below 250 MHz / (2^32-1).
bool period_ticks_from_hz(double hz, uint32_t* ticks);
double hz_from_period_ticks(uint32_t ticks);
/// 10 ps count for a time in ns; false when negative or beyond kMaxTimeNs.
bool counts_from_ns(int64_t ns, uint64_t* counts);
/// Whole ns of a 10 ps count (rounded down).
int64_t ns_from_counts(uint64_t counts);

/// Wire value of a library trigger mode, and back; false for a mode the
/// other side does not know.
bool wire_trigger_mode(int32_t mode, uint16_t* wire);
bool api_trigger_mode(uint32_t wire, int32_t* mode);

/// SET_CHANNEL's parameter: channel in the high byte, enable in the low one.
constexpr uint16_t channel_param(uint8_t channel, uint8_t enable) {
  return static_cast<uint16_t>((channel << 8) | enable);
}

/// READ_TEMP carries the temperature in thousandths of a degree Celsius.
constexpr int32_t kMilliCelsiusPerCelsius = 1000;

/// Trigger period at power-on: 250000 ticks, 1 kHz.
constexpr uint32_t kPowerOnPeriodTicks = 250000;
/// Temperature the simulated device reports unless told another: 25.5 C.
constexpr int32_t kPowerOnMilliCelsius = 25500;

}  // namespace vr815::protocol

#endif  // VR815_PROTOCOL_H
