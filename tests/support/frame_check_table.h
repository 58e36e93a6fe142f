// The nine frames of the harness's frame check (stage 0 of a run), with
// their bytes worked out by hand from the layout in docs/protocol.md (CRC
// computed independently).
#ifndef VR815_FRAME_CHECK_TABLE_H
#define VR815_FRAME_CHECK_TABLE_H

#include <cstdint>
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

}  // namespace vr815::test

#endif  // VR815_FRAME_CHECK_TABLE_H
