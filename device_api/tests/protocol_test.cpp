#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "frame_check_table.h"
#include "protocol.h"

namespace {

namespace proto = vr815::protocol;

std::vector<uint8_t> request(const vr815::test::FrameRow& row) {
  std::vector<uint8_t> frame;
  proto::append_frame_words(frame, proto::kRequestMarker, row.command,
                            row.param, row.words);
  return frame;
}

TEST(Crc, IsCcittFalse) {
  const char* check = "123456789";
  EXPECT_EQ(
      proto::crc16(reinterpret_cast<const uint8_t*>(check), std::strlen(check)),
      0x29B1);
}

TEST(Crc, CatchesEveryCorruptedByteOfEveryFrame) {
  std::vector<std::vector<uint8_t>> frames;
  for (const auto& row : vr815::test::frame_check_rows()) {
    frames.push_back(request(row));
  }
  // A reply with a tag: a corrupted tag is caught like any other byte.
  std::vector<uint8_t> reply;
  proto::append_frame_words(reply, proto::kReplyMarker, 0xC1, 0,
                            {1000, 0, 10000, 0, 3, 250000, 1}, 200);
  frames.push_back(reply);

  for (const std::vector<uint8_t>& good : frames) {
    const uint8_t marker = good[0];
    ASSERT_EQ(
        proto::parse_frame(good.data(), good.size(), marker, nullptr).outcome,
        proto::Parse::Complete);
    for (size_t pos = 0; pos < good.size(); ++pos) {
      for (int flip = 1; flip < 256; ++flip) {
        std::vector<uint8_t> bad = good;
        bad[pos] = static_cast<uint8_t>(bad[pos] ^ flip);
        const proto::ParseResult r =
            proto::parse_frame(bad.data(), bad.size(), marker, nullptr);
        ASSERT_NE(r.outcome, proto::Parse::Complete)
            << proto::hex_text(bad.data(), bad.size());
      }
    }
  }
}

TEST(ParseFrame, WaitsForTheWholeFrameAndNeverReadsPastTheBytesGiven) {
  const vr815::test::FrameRow& row = vr815::test::frame_row("SET_DELAY");
  std::vector<uint8_t> good;
  proto::append_frame_words(good, proto::kRequestMarker, row.command, row.param,
                            row.words, 42);
  for (size_t len = 0; len < good.size(); ++len) {
    // A copy of exactly len bytes, so a read past them is caught by ASan.
    const std::vector<uint8_t> part(good.begin(), good.begin() + len);
    const proto::ParseResult r = proto::parse_frame(
        part.data(), part.size(), proto::kRequestMarker, nullptr);
    EXPECT_EQ(r.outcome, proto::Parse::Incomplete) << len;
    EXPECT_GT(r.size, len);
    EXPECT_LE(r.size, good.size());
  }
  proto::Frame frame;
  const proto::ParseResult r = proto::parse_frame(
      good.data(), good.size(), proto::kRequestMarker, &frame);
  EXPECT_EQ(r.outcome, proto::Parse::Complete);
  EXPECT_EQ(r.size, good.size());
  EXPECT_EQ(frame.param, 1);
  EXPECT_EQ(frame.tag, 42);
  EXPECT_EQ(proto::payload_words(frame.payload),
            (std::vector<uint32_t>{1000, 0}));
}

TEST(Units, CountsReadBackAsWholeNsRoundedDown) {
  const struct {
    uint64_t counts;
    int64_t ns;
  } cases[] = {{0, 0}, {99, 0}, {1000, 10}, {1099, 10}, {10000, 100}};
  for (const auto& c : cases) {
    EXPECT_EQ(proto::ns_from_counts(c.counts), c.ns) << c.counts;
  }
}

TEST(Units, FrequenciesAndTimesAreTakenToTheEdgesOfTheirRangesAndNoFurther) {
  // 250 MHz is a period of one tick; the lowest frequency, one of 2^32-1.
  const double highest_hz = proto::kTicksPerSecond;
  const double lowest_hz = proto::kTicksPerSecond / proto::kMaxPeriodTicks;
  const struct {
    double hz;
    bool taken;
    uint32_t ticks;
  } frequencies[] = {
      {highest_hz, true, 1},
      {std::nextafter(highest_hz, 1e300), false, 0},
      {2 * highest_hz, false, 0},  // would round to one tick
      {lowest_hz, true, proto::kMaxPeriodTicks},
      {std::nextafter(lowest_hz, 0.0), false, 0},
      {lowest_hz * (1 - 1e-12), false, 0},  // would round to 2^32-1 ticks
  };
  for (const auto& f : frequencies) {
    uint32_t ticks = 7;
    EXPECT_EQ(proto::period_ticks_from_hz(f.hz, &ticks), f.taken) << f.hz;
    EXPECT_EQ(ticks, f.taken ? f.ticks : 7) << f.hz;
  }

  const struct {
    int64_t ns;
    bool taken;
    uint64_t counts;
  } times[] = {
      {-1, false, 0},
      {0, true, 0},
      {proto::kMaxTimeNs, true, UINT64_MAX - UINT64_MAX % 100},
      {proto::kMaxTimeNs + 1, false, 0},
  };
  for (const auto& t : times) {
    uint64_t counts = 7;
    EXPECT_EQ(proto::counts_from_ns(t.ns, &counts), t.taken) << t.ns;
    EXPECT_EQ(counts, t.taken ? t.counts : 7) << t.ns;
    if (t.taken) {
      EXPECT_EQ(proto::ns_from_counts(counts), t.ns);
    }
  }
  EXPECT_EQ(proto::kMaxTimeNs, 184467440737095516);
}

TEST(TriggerModes, LibraryModesGoOutAsWireModes013AndWireMode2HasNone) {
  const struct {
    int32_t api;
    uint16_t wire;
  } modes[] = {{0, 0}, {1, 1}, {2, 3}};
  for (const auto& m : modes) {
    uint16_t wire = 99;
    EXPECT_TRUE(proto::wire_trigger_mode(m.api, &wire));
    EXPECT_EQ(wire, m.wire);
    int32_t api = -1;
    EXPECT_TRUE(proto::api_trigger_mode(m.wire, &api));
    EXPECT_EQ(api, m.api);
  }
  int32_t api = -1;
  EXPECT_FALSE(proto::api_trigger_mode(2, &api));
  uint16_t wire = 99;
  EXPECT_FALSE(proto::wire_trigger_mode(3, &wire));
}

}  // namespace
