// The simulated device's state: what it answers to each request of the
// protocol, what it refuses, and what it keeps.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "device_state.h"
#include "protocol.h"

namespace {

namespace proto = vr815::protocol;
namespace sim = vr815::sim;
using Bytes = std::vector<uint8_t>;
using Words = std::vector<uint32_t>;

proto::Frame request(uint8_t command, uint16_t param, const Words& w = {}) {
  Bytes bytes;
  proto::append_frame_words(bytes, proto::kRequestMarker, command, param, w);
  proto::Frame frame;
  proto::parse_frame(bytes.data(), bytes.size(), proto::kRequestMarker, &frame);
  return frame;
}

TEST(SimDevice, RefusesWhatTheDeviceCannotTakeAndKeepsItsState) {
  const struct {
    const char* what;
    proto::Frame frame;
    int16_t status;
  } cases[] = {
      {"unknown command", request(0x42, 0), proto::kStatusUnknownCommand},
      {"wire mode 4", request(0x01, 4), proto::kStatusBadParameter},
      {"period 0", request(0x05, 0, {0}), proto::kStatusBadParameter},
      {"freq without word", request(0x05, 0), proto::kStatusBadLength},
      {"channel 0", request(0x06, 0x0001), proto::kStatusBadParameter},
      {"channel 5", request(0x06, 0x0501), proto::kStatusBadParameter},
      {"enable 2", request(0x06, 0x0102), proto::kStatusBadParameter},
      {"global 2", request(0x07, 2), proto::kStatusBadParameter},
      {"delay channel 0", request(0x08, 0, {1, 0}), proto::kStatusBadParameter},
      {"delay channel 5", request(0x08, 5, {1, 0}), proto::kStatusBadParameter},
      {"delay one word", request(0x08, 1, {1}), proto::kStatusBadLength},
      {"width channel 0", request(0x09, 0, {1, 0}), proto::kStatusBadParameter},
      {"width channel 5", request(0x09, 5, {1, 0}), proto::kStatusBadParameter},
      {"trigger with data", request(0x14, 0, {1}), proto::kStatusBadLength},
      {"trigger parameter 1", request(0x14, 1), proto::kStatusBadParameter},
      {"freq parameter 1", request(0x05, 1, {1}), proto::kStatusBadParameter},
      {"second sensor", request(0x93, 1), proto::kStatusBadParameter},
      {"timing channel 5", request(0xC1, 5), proto::kStatusBadParameter},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::DeviceState state;
    const sim::Answer a = sim::answer_request(state, c.frame, {});
    EXPECT_EQ(a.status, c.status);
    EXPECT_TRUE(a.words.empty());
    const sim::Answer t = sim::answer_request(state, request(0xC1, 1), {});
    EXPECT_EQ(t.words, (Words{0, 0, 0, 0, 0, 250000, 0}));
  }
}

// The other side of each range the test above refuses past: the last value
// taken at either edge.
TEST(SimDevice, TakesEachParameterToTheEdgesOfItsRange) {
  const struct {
    const char* what;
    proto::Frame frame;
  } cases[] = {
      {"wire mode 0", request(0x01, 0)},
      {"wire mode 3", request(0x01, 3)},
      {"period 1", request(0x05, 0, {1})},
      {"period 2^32-1", request(0x05, 0, {UINT32_MAX})},
      {"channel 1 off", request(0x06, 0x0100)},
      {"channel 4 on", request(0x06, 0x0401)},
      {"global 0", request(0x07, 0)},
      {"global 1", request(0x07, 1)},
      {"delay channel 1", request(0x08, 1, {UINT32_MAX, UINT32_MAX})},
      {"delay channel 4", request(0x08, 4, {0, 0})},
      {"width channel 1", request(0x09, 1, {0, 0})},
      {"width channel 4", request(0x09, 4, {UINT32_MAX, UINT32_MAX})},
      {"timing channel 0", request(0xC1, 0)},
      {"timing channel 4", request(0xC1, 4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::DeviceState state;
    EXPECT_EQ(sim::answer_request(state, c.frame, {}).status, proto::kStatusOk);
  }
}

TEST(SimDevice, AnswersEveryCommandOfTheProtocolWithItsReplyLength) {
  for (const proto::Command& c : proto::kCommands) {
    SCOPED_TRACE(c.name);
    proto::Frame f;
    f.marker = proto::kRequestMarker;
    f.command = c.code;
    f.payload.assign(c.request_bytes, 0);
    sim::DeviceState s;
    const sim::Answer a = sim::answer_request(s, f, {});
    EXPECT_NE(a.status, proto::kStatusUnknownCommand);
    if (a.status == proto::kStatusOk) {
      EXPECT_EQ(a.words.size() * 4, c.reply_bytes);
    }
  }
}

TEST(SimDevice, PowersOnWithEveryChannelAndTheOutputsOff) {
  sim::DeviceState s;
  for (uint16_t channel = 1; channel <= proto::kChannels; ++channel) {
    EXPECT_EQ(sim::answer_request(s, request(0xC1, channel), {}).words,
              (Words{0, 0, 0, 0, 0, 250000, 0}))
        << channel;
  }
  EXPECT_FALSE(s.global_output);
}

TEST(SimDevice, KeepsTheSettingsItIsGiven) {
  sim::DeviceState s;
  const proto::Frame settings[] = {
      request(0x01, 3),         request(0x05, 0, {62500}),
      request(0x06, 0x0201),    request(0x08, 2, {5, 1}),
      request(0x09, 2, {7, 0}), request(0x07, 1),
      request(0x14, 0),         request(0x14, 0),
  };
  for (const proto::Frame& f : settings) {
    EXPECT_EQ(sim::answer_request(s, f, {}).status, proto::kStatusOk);
  }
  EXPECT_EQ(sim::answer_request(s, request(0xC1, 2), {}).words,
            (Words{5, 1, 7, 0, 3, 62500, 1}));
  EXPECT_EQ(sim::answer_request(s, request(0xC1, 0), {}).words,
            (Words{0, 0, 0, 0, 3, 62500, 0}));
  EXPECT_EQ(sim::answer_request(s, request(0xC1, 1), {}).words,
            (Words{0, 0, 0, 0, 3, 62500, 0}));
  EXPECT_TRUE(s.global_output);
  EXPECT_EQ(s.software_triggers, 2u);
  EXPECT_EQ(sim::answer_request(s, request(0x93, 0), {}).words, Words{25500});
}

TEST(SimDevice, ForcedFailureAnswersItsStatusAndChangesNothing) {
  sim::DeviceState s;
  const sim::FailTable fails{{0x08, -7}};
  EXPECT_EQ(sim::answer_request(s, request(0x08, 1, {1000, 0}), fails).status,
            -7);
  EXPECT_EQ(s.channels[0].delay_counts, 0u);
  EXPECT_EQ(sim::answer_request(s, request(0x09, 1, {1000, 0}), fails).status,
            proto::kStatusOk);
}

}  // namespace
