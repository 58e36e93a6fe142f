// The nine frames of the harness's frame check (stage 0 of a run), with
// their bytes worked out by hand from the layout in docs/protocol.md (CRC
// computed independently).
#ifndef VR815_FRAME_CHECK_TABLE_H
#define VR815_FRAME_CHECK_TABLE_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace vr815::test {

struct FrameRow {
  const char* name;
  const char* label;  ///< what stage 0 of a run prints before it
  uint8_t command;
  uint16_t param;
  bool words_frame;  ///< built with BuildFrameU32, else BuildFrame
  std::vector<uint32_t> words;
  std::string hex;  ///< the frame as DumpFrame prints it
};

inline const std::vector<FrameRow>& frame_check_rows() {
  // A table, laid out as one: name and label, then the frame.
  // clang-format off
  static const std::vector<FrameRow> kRows = {
      {"READ_TEMP", "READ_TEMP",
       0x93, 0, false, {}, "A5 93 00 00 00 00 61 64"},
      {"READ_TIMING", "READ_TIMING",
       0xC1, 0, false, {}, "A5 C1 00 00 00 00 D0 35"},
      {"SET_TRIGGER", "SET_TRIGGER(Software)",
       0x01, 3, false, {}, "A5 01 03 00 00 00 B4 9D"},
      {"SET_TRIG_FREQ", "SET_TRIG_FREQ(1kHz)",
       0x05, 0, true, {250000},
       "A5 05 00 00 04 00 90 D0 03 00 45 79"},
      {"SET_CHANNEL", "SET_CHANNEL(ch1,on)",
       0x06, 0x0101, false, {}, "A5 06 01 01 00 00 38 20"},
      {"SET_DELAY", "SET_DELAY(ch1,10ns)",
       0x08, 1, true, {1000, 0},
       "A5 08 01 00 08 00 E8 03 00 00 00 00 00 00 1A 11"},
      {"SET_PULSE_WIDTH", "SET_PULSE_WIDTH(ch1,100ns)",
       0x09, 1, true, {10000, 0},
       "A5 09 01 00 08 00 10 27 00 00 00 00 00 00 1E A8"},
      {"SET_GLOBAL_OUTPUT", "SET_GLOBAL_OUTPUT(enable)",
       0x07, 1, false, {}, "A5 07 01 00 00 00 59 BD"},
      {"SOFTWARE_TRIG", "SOFTWARE_TRIG",
       0x14, 0, false, {}, "A5 14 00 00 00 00 65 21"},
  };
  // clang-format on
  return kRows;
}

/// The row named name; throws for a name not in the table.
inline const FrameRow& frame_row(const std::string& name) {
  for (const FrameRow& r : frame_check_rows()) {
    if (name == r.name) return r;
  }
  throw std::out_of_range("no frame row " + name);
}

/// The bytes of a frame shown as hex pairs between single blanks.
inline std::vector<uint8_t> bytes_of(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 3) {
    bytes.push_back(static_cast<uint8_t>(
        std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
  }
  return bytes;
}

/// The bytes as upper-case hex pairs between single blanks.
inline std::string hex_of(const std::vector<uint8_t>& bytes) {
  std::string text;
  for (const uint8_t b : bytes) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02X", b);
    if (!text.empty()) text += ' ';
    text += pair;
  }
  return text;
}

/// A frame of the table as the library sends it in a call with the tag:
/// the tag in byte 5 and the CRC worked out again (here, apart from the
/// protocol's code), shown as DumpFrame and the simulated device's log show
/// it: " tag=N" after the hex pairs when N is not 0.
inline std::string with_tag(const std::string& hex, uint8_t tag) {
  std::vector<uint8_t> bytes = bytes_of(hex);
  if (bytes.size() < 8) throw std::invalid_argument("not a frame: " + hex);
  bytes[5] = tag;
  unsigned crc = 0xFFFF;
  for (size_t i = 0; i + 2 < bytes.size(); ++i) {
    crc ^= static_cast<unsigned>(bytes[i]) << 8;
    for (int bit = 0; bit < 8; ++bit) {
      crc =
          (crc & 0x8000) ? ((crc << 1) ^ 0x1021) & 0xFFFF : (crc << 1) & 0xFFFF;
    }
  }
  bytes[bytes.size() - 2] = static_cast<uint8_t>(crc & 0xFF);
  bytes[bytes.size() - 1] = static_cast<uint8_t>(crc >> 8);
  std::string text = hex_of(bytes);
  if (tag != 0) text += " tag=" + std::to_string(tag);
  return text;
}

/// The tag N of a frame shown with " tag=N"; 0 when it has none.
inline int shown_tag(const std::string& shown) {
  const size_t at = shown.find(" tag=");
  return at == std::string::npos ? 0 : std::atoi(shown.c_str() + at + 5);
}

}  // namespace vr815::test

#endif  // VR815_FRAME_CHECK_TABLE_H
