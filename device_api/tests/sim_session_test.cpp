// The simulated device's session: frames found in the bytes as they arrive,
// and answers as its settings shape them.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "protocol.h"
#include "sim_options.h"
#include "sim_session.h"

namespace {

namespace proto = vr815::protocol;
namespace sim = vr815::sim;
using Bytes = std::vector<uint8_t>;
using Words = std::vector<uint32_t>;

Bytes request_bytes(uint8_t command, uint16_t param, const Words& w = {},
                    uint8_t tag = 0) {
  Bytes bytes;
  proto::append_frame_words(bytes, proto::kRequestMarker, command, param, w,
                            tag);
  return bytes;
}

TEST(SimSession, FindsFramesAmongNoiseAndAcrossReads) {
  const sim::DeviceSettings settings;
  sim::Session s = sim::new_session(settings);
  const Bytes temp = request_bytes(0x93, 0);
  Bytes broken = request_bytes(0x14, 0);
  broken.back() ^= 0x01;
  Bytes line{0x00, 0xA5, 0x5A};  // noise, including a lone request marker
  line.insert(line.end(), broken.begin(), broken.end());
  line.insert(line.end(), temp.begin(), temp.end());
  line.insert(line.end(), temp.begin(), temp.begin() + 3);

  std::vector<sim::Event> events =
      sim::take_bytes(s, line.data(), line.size(), 0);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].log_line, proto::hex_text(temp.data(), temp.size()));
  EXPECT_EQ(events[0].answer,
            sim::answer_bytes(0x93, 0, {proto::kStatusOk, {25500}}, settings));
  EXPECT_EQ(s.device.software_triggers, 0u);

  events = sim::take_bytes(s, temp.data() + 3, temp.size() - 3, 0);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_FALSE(events[0].answer.empty());
  EXPECT_EQ(s.frames, 2u);
  EXPECT_TRUE(s.pending.empty());
}

TEST(SimSession, DropsAPartialFrameAfterAGapSoTheNextRequestIsAnswered) {
  // A SET_DELAY cut short after its header, which announces 8 more bytes:
  // without the reset the next request would be taken as its payload.
  const Bytes cut = request_bytes(0x08, 1, {1000, 0});
  const Bytes temp = request_bytes(0x93, 0);
  // The gap is the same on every line, whatever its rate.
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"--port", "COM7", "--baud", "115200"}}) {
    SCOPED_TRACE(args.empty() ? "a pseudo-terminal" : "a serial port");
    const sim::DeviceSettings settings =
        sim::parse_options(args).options.settings;
    const auto answers_after = [&](uint64_t gap_ms) {
      sim::Session s = sim::new_session(settings);
      EXPECT_TRUE(sim::take_bytes(s, cut.data(), 6, 1000).empty());
      const auto events =
          sim::take_bytes(s, temp.data(), temp.size(), 1000 + gap_ms);
      return events.size() == 1 && !events[0].answer.empty();
    };
    EXPECT_TRUE(answers_after(sim::kInterByteTimeoutMs + 1));
    EXPECT_FALSE(answers_after(sim::kInterByteTimeoutMs));
  }
}

TEST(SimSession, FaultOptionsShapeTheAnswer) {
  const Bytes req = request_bytes(0x93, 0);
  Bytes plain;
  proto::append_frame_words(plain, proto::kReplyMarker, 0x93, 0, {25500});
  const auto answer_with = [&](const sim::DeviceSettings& o) {
    sim::Session s = sim::new_session(o);
    const auto events = sim::take_bytes(s, req.data(), req.size(), 0);
    return events.size() == 1 ? events[0].answer : Bytes{0xDE, 0xAD};
  };

  sim::DeviceSettings o;
  EXPECT_EQ(answer_with(o), plain);
  o.silent = true;
  EXPECT_EQ(answer_with(o), Bytes{});
  o = {};
  o.corrupt = true;
  Bytes corrupt = plain;
  corrupt.back() ^= 0xFF;
  EXPECT_EQ(answer_with(o), corrupt);
  o = {};
  o.noise = true;
  Bytes noisy(std::begin(sim::kNoise), std::end(sim::kNoise));
  noisy.insert(noisy.end(), plain.begin(), plain.end());
  EXPECT_EQ(answer_with(o), noisy);
  EXPECT_NE(noisy[0], proto::kReplyMarker);
}

TEST(SimSession, EchoesTheTagAndHoldsBackTheAnswersItIsToldTo) {
  sim::DeviceSettings o;
  o.delay_ms = 20;
  o.late_ms = {{2, 400}, {3, 0}};
  o.fails = {{0x09, -7}};
  sim::Session s = sim::new_session(o);
  const struct {
    Bytes request;
    uint8_t command;
    int16_t status;
    Words words;
    int delay_ms;
  } frames[] = {
      {request_bytes(0x93, 0, {}, 1), 0x93, 0, {25500}, 20},
      {request_bytes(0x08, 1, {1000, 0}, 255), 0x08, 0, {}, 420},
      {request_bytes(0x09, 1, {1000, 0}, 1), 0x09, -7, {}, 20},
      {request_bytes(0x93, 0, {}, 0), 0x93, 0, {25500}, 20},
  };
  for (const auto& f : frames) {
    const uint8_t tag = f.request[proto::kTagOffset];
    SCOPED_TRACE(static_cast<int>(tag));
    const auto events =
        sim::take_bytes(s, f.request.data(), f.request.size(), 0);
    ASSERT_EQ(events.size(), 1u);
    Bytes reply;
    proto::append_frame_words(reply, proto::kReplyMarker, f.command,
                              static_cast<uint16_t>(f.status), f.words, tag);
    EXPECT_EQ(events[0].answer, reply);
    EXPECT_EQ(events[0].delay_ms, f.delay_ms);
    EXPECT_EQ(events[0].log_line,
              proto::hex_text(f.request.data(), f.request.size()) +
                  (tag == 0 ? "" : " tag=" + std::to_string(tag)));
  }
}

TEST(SimSession, HangsUpOnTheNthFrameWithoutAnsweringIt) {
  sim::DeviceSettings o;
  o.hangup_after = 2;
  sim::Session s = sim::new_session(o);
  Bytes line = request_bytes(0x93, 0);
  const Bytes more = line;
  line.insert(line.end(), more.begin(), more.end());
  line.insert(line.end(), more.begin(), more.end());
  const auto events = sim::take_bytes(s, line.data(), line.size(), 0);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_FALSE(events[0].hang_up);
  EXPECT_FALSE(events[0].answer.empty());
  EXPECT_TRUE(events[1].hang_up);
  EXPECT_TRUE(events[1].answer.empty());
  EXPECT_TRUE(s.pending.empty());  // the third frame went with the line
  EXPECT_TRUE(sim::take_bytes(s, more.data(), more.size(), 0).empty());

  // 0: down from the start, no frame is taken at all.
  o.hangup_after = 0;
  sim::Session down = sim::new_session(o);
  EXPECT_TRUE(sim::take_bytes(down, line.data(), line.size(), 0).empty());
  EXPECT_EQ(down.frames, 0u);
}

}  // namespace
