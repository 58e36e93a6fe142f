#include "frame_check.h"

#include <cstdint>
#include <cstdio>

#include "library_binding.h"
#include "report.h"

namespace {

enum class Encoder { BuildFrame, BuildFrameU32 };

struct FrameRow {
  const char* label;
  Encoder encoder;
  uint8_t command;
  uint16_t param;
  library::Words* words;  ///< BuildFrameU32 rows only
};

void build(const FrameRow& row, library::Frame& frame) {
  if (row.encoder == Encoder::BuildFrameU32) {
    library::build_frame_words(row.command, row.param, *row.words, frame);
  } else {
    library::build_frame(row.command, row.param, frame);
  }
}

}  // namespace

void run_frame_check() {
  print_step_header(0, "Verify Protocol Frame Format");

  // The words of the settings 1 kHz, 10 ns and 100 ns as the frames carry
  // them: a period of 4 ns ticks, 64-bit counts of 10 ps (low word first).
  library::Words trigger_frequency = library::words({250000});
  library::Words delay = library::words({1000, 0});
  library::Words pulse_width = library::words({10000, 0});

  // Command codes as numbers: the maker's own header need not name them.
  // clang-format off
  const FrameRow rows[] = {
      {"  [Frame] READ_TEMP: ", Encoder::BuildFrame, 0x93, 0,
       nullptr},
      {"  [Frame] READ_TIMING: ", Encoder::BuildFrame, 0xC1, 0,
       nullptr},
      {"  [Frame] SET_TRIGGER(Software): ", Encoder::BuildFrame,
       0x01, 3, nullptr},
      {"  [Frame] SET_TRIG_FREQ(1kHz): ", Encoder::BuildFrameU32,
       0x05, 0, &trigger_frequency},
      {"  [Frame] SET_CHANNEL(ch1,on): ", Encoder::BuildFrame,
       0x06, 0x0101, nullptr},
      {"  [Frame] SET_DELAY(ch1,10ns): ", Encoder::BuildFrameU32,
       0x08, 1, &delay},
      {"  [Frame] SET_PULSE_WIDTH(ch1,100ns): ", Encoder::BuildFrameU32,
       0x09, 1, &pulse_width},
      {"  [Frame] SET_GLOBAL_OUTPUT(enable): ", Encoder::BuildFrame,
       0x07, 1, nullptr},
      {"  [Frame] SOFTWARE_TRIG: ", Encoder::BuildFrame,
       0x14, 0, nullptr},
  };
  // clang-format on

  library::Frame frame;
  for (const FrameRow& row : rows) {
    build(row, frame);
    // The label and the library's dump share one line. The library may write
    // through a C runtime of its own, so the label is handed over flushed.
    std::fputs(row.label, stdout);
    std::fflush(stdout);
    library::dump_frame(frame);
    frame.clear();
  }

  print_ok_line("Frame format verified");
}
