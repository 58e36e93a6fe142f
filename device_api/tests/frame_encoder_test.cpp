#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "VR815_DLL.h"
#include "frame_check_table.h"

namespace {

using vr815::test::frame_check_rows;
using vr815::test::FrameRow;

std::vector<uint8_t> build(const FrameRow& row) {
  std::vector<uint8_t> frame;
  if (row.words_frame) {
    VR815DDG::BuildFrameU32(row.command, row.param, row.words, frame);
  } else {
    VR815DDG::BuildFrame(row.command, row.param, nullptr, 0, frame);
  }
  return frame;
}

std::string dump(const std::vector<uint8_t>& frame, const char* label) {
  testing::internal::CaptureStdout();
  VR815DDG::DumpFrame(frame, label);
  return testing::internal::GetCapturedStdout();
}

TEST(FrameEncoder, BuildsTheFramesOfTheFrameCheckByteForByte) {
  for (const FrameRow& row : frame_check_rows()) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(dump(build(row), nullptr), row.hex + "\n");
  }
}

TEST(FrameEncoder, CommandCodesAreTheProtocolsCodes) {
  const uint8_t codes[] = {
      VR815DDG::READ_TEMP,       VR815DDG::READ_TIMING,
      VR815DDG::SET_TRIGGER,     VR815DDG::SET_TRIG_FREQ,
      VR815DDG::SET_CHANNEL,     VR815DDG::SET_DELAY,
      VR815DDG::SET_PULSE_WIDTH, VR815DDG::SET_GLOBAL_OUTPUT,
      VR815DDG::SOFTWARE_TRIG};
  size_t i = 0;
  for (const FrameRow& row : frame_check_rows()) {
    EXPECT_EQ(codes[i++], row.command) << row.name;
  }
}

TEST(FrameEncoder, AppendsExactlyOneFrameAfterWhatIsThere) {
  const FrameRow& a = vr815::test::frame_row("READ_TEMP");
  const FrameRow& b = vr815::test::frame_row("SET_DELAY");
  std::vector<uint8_t> frame = build(a);
  VR815DDG::BuildFrameU32(b.command, b.param, b.words, frame);
  EXPECT_EQ(dump(frame, nullptr), a.hex + " " + b.hex + "\n");
}

TEST(FrameEncoder, BuildFrameCarriesDataAndTakesBadLengthsAsNone) {
  const uint8_t data[] = {0xE8, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  std::vector<uint8_t> with_data;
  VR815DDG::BuildFrame(VR815DDG::SET_DELAY, 1, data, sizeof data, with_data);
  EXPECT_EQ(dump(with_data, nullptr),
            vr815::test::frame_row("SET_DELAY").hex + "\n");

  // The least data a frame carries, one byte, next to none at 0.
  std::vector<uint8_t> one_byte;
  VR815DDG::BuildFrame(VR815DDG::SET_DELAY, 1, data, 1, one_byte);
  ASSERT_EQ(one_byte.size(), 6u + 1u + 2u);
  EXPECT_EQ(one_byte[4], 1);
  EXPECT_EQ(one_byte[6], data[0]);

  const std::string empty_frame = vr815::test::frame_row("READ_TEMP").hex;
  for (const int32_t len : {0, -1, INT32_MIN}) {
    std::vector<uint8_t> frame;
    VR815DDG::BuildFrame(VR815DDG::READ_TEMP, 0, data, len, frame);
    EXPECT_EQ(dump(frame, nullptr), empty_frame + "\n") << len;
  }
  std::vector<uint8_t> null_data;
  VR815DDG::BuildFrame(VR815DDG::READ_TEMP, 0, nullptr, 8, null_data);
  EXPECT_EQ(dump(null_data, nullptr), empty_frame + "\n");
}

TEST(FrameEncoder, AppendsNothingForMoreThanAFrameHolds) {
  std::vector<uint8_t> big(256, 0x11);
  std::vector<uint8_t> frame;
  VR815DDG::BuildFrame(VR815DDG::SET_DELAY, 1, big.data(),
                       static_cast<int32_t>(big.size()), frame);
  EXPECT_TRUE(frame.empty());
  VR815DDG::BuildFrameU32(VR815DDG::SET_DELAY, 1, std::vector<uint32_t>(64, 1),
                          frame);
  EXPECT_TRUE(frame.empty());
  VR815DDG::BuildFrame(VR815DDG::SET_DELAY, 1, big.data(), 255, frame);
  EXPECT_EQ(frame.size(), 6u + 255u + 2u);
  frame.clear();
  VR815DDG::BuildFrameU32(VR815DDG::SET_DELAY, 1, std::vector<uint32_t>(63, 1),
                          frame);
  EXPECT_EQ(frame.size(), 6u + 252u + 2u);
  // The largest frame's length byte leaves the tag beside it at 0.
  EXPECT_EQ(dump(frame, nullptr).find("tag="), std::string::npos);
}

TEST(FrameEncoder, DumpPrintsTheLabelFirstAndEndsTheLine) {
  const std::vector<uint8_t> frame = {0x00, 0x0F, 0xA5, 0xFF};
  EXPECT_EQ(dump(frame, "  [Frame] X: "), "  [Frame] X: 00 0F A5 FF\n");
  EXPECT_EQ(dump({}, "empty: "), "empty: \n");
}

TEST(FrameEncoder, DumpShowsATagOnlyWhenAWholeFrameCarriesOne) {
  // READ_TEMP as the library sends it with tag 7 (CRC worked out apart).
  const std::vector<uint8_t> request = {0xA5, 0x93, 0x00, 0x00,
                                        0x00, 0x07, 0x86, 0x14};
  EXPECT_EQ(dump(request, nullptr), "A5 93 00 00 00 07 86 14 tag=7\n");
  std::vector<uint8_t> bad_crc = request;
  bad_crc.back() ^= 0x01;
  EXPECT_EQ(dump(bad_crc, nullptr), "A5 93 00 00 00 07 86 15\n");
  const std::vector<uint8_t> cut(request.begin(), request.begin() + 6);
  EXPECT_EQ(dump(cut, nullptr), "A5 93 00 00 00 07\n");
}

}  // namespace
