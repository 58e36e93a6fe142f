// The library's judgement of what comes back after a request.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "VR815_DLL.h"
#include "protocol.h"
#include "reply.h"

namespace {

namespace proto = vr815::protocol;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kReadTemp = 0x93;

Bytes reply(uint8_t command, uint16_t status, const std::vector<uint32_t>& w) {
  Bytes out;
  proto::append_frame_words(out, proto::kReplyMarker, command, status, w);
  return out;
}

/// The frame with its CRC recomputed after an edit of its body.
Bytes resealed(Bytes frame) {
  frame.resize(frame.size() - proto::kCrcSize);
  const uint16_t crc = proto::crc16(frame.data(), frame.size());
  frame.push_back(static_cast<uint8_t>(crc));
  frame.push_back(static_cast<uint8_t>(crc >> 8));
  return frame;
}

Bytes with_byte(Bytes frame, size_t pos, int value) {
  frame.at(pos) = static_cast<uint8_t>(value);
  return frame;
}

Bytes joined(Bytes first, const Bytes& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

/// Feeds the bytes as the transaction does: no more than the check asks
/// for, each time in a buffer of exactly that size.
vr815::ReplyCheck check_as_read(const Bytes& line, Bytes* payload) {
  Bytes got;
  for (;;) {
    const Bytes exact(got);
    const vr815::ReplyCheck c =
        vr815::check_reply(exact.data(), exact.size(), kReadTemp, payload);
    if (c.complete || c.need > line.size()) return c;
    got.assign(line.begin(), line.begin() + c.need);
  }
}

TEST(ReplyCheck, TakesTheRightReplyAndItsPayload) {
  Bytes payload;
  const vr815::ReplyCheck c =
      check_as_read(reply(kReadTemp, 0, {25500}), &payload);
  EXPECT_TRUE(c.complete);
  EXPECT_EQ(c.status, VR815_OK);
  EXPECT_EQ(proto::payload_words(payload), std::vector<uint32_t>{25500});
}

TEST(ReplyCheck, DeviceStatusComesBackSignExtended) {
  for (const int16_t status : {1, 7, -1, -32768, 32767}) {
    Bytes payload{0xEE};
    const vr815::ReplyCheck c = check_as_read(
        reply(kReadTemp, static_cast<uint16_t>(status), {}), &payload);
    EXPECT_TRUE(c.complete);
    EXPECT_EQ(c.status, status);
    EXPECT_EQ(payload, Bytes{0xEE});  // untouched
  }
  // A refusal that carries a payload all the same: the payload is ignored.
  EXPECT_EQ(check_as_read(reply(kReadTemp, 3, {1, 2}), nullptr).status, 3);
}

TEST(ReplyCheck, BadRepliesAreBadRepliesNeverValues) {
  const Bytes good = reply(kReadTemp, 0, {25500});
  const struct {
    const char* what;
    Bytes line;
  } cases[] = {
      {"noise before it", joined({0x00}, good)},
      {"a request marker", resealed(with_byte(good, 0, proto::kRequestMarker))},
      {"another command", reply(0xC1, 0, {25500})},
      {"payload too short", reply(kReadTemp, 0, {})},
      {"payload too long", reply(kReadTemp, 0, {25500, 0})},
      {"length beyond a frame", with_byte(with_byte(good, 4, 0x01), 5, 0x04)},
      {"bad checksum", with_byte(good, good.size() - 1, good.back() ^ 0x01)},
      {"corrupted payload", with_byte(good, 7, good[7] ^ 0x80)},
      {"corrupted status", with_byte(reply(kReadTemp, 7, {}), 2, 9)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes payload{0xEE};
    const vr815::ReplyCheck r = check_as_read(c.line, &payload);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.status, VR815_ERR_BAD_REPLY);
    EXPECT_EQ(payload, Bytes{0xEE});
  }
}

TEST(ReplyCheck, WrongHeaderFailsWithoutWaitingForThePayload) {
  Bytes header = reply(kReadTemp, 0, {25500, 0, 0});
  header.resize(proto::kHeaderSize);
  const vr815::ReplyCheck c =
      vr815::check_reply(header.data(), header.size(), kReadTemp, nullptr);
  EXPECT_TRUE(c.complete);
  EXPECT_EQ(c.status, VR815_ERR_BAD_REPLY);
}

TEST(ReplyCheck, ShortReplyAsksForTheRestAndNoMore) {
  const Bytes good = reply(kReadTemp, 0, {25500});
  const struct {
    size_t have;
    size_t need;
  } cases[] = {{0, 1},
               {1, proto::kHeaderSize},
               {5, proto::kHeaderSize},
               {6, good.size()},
               {11, good.size()}};
  for (const auto& c : cases) {
    const Bytes part(good.begin(), good.begin() + c.have);
    const vr815::ReplyCheck r =
        vr815::check_reply(part.data(), part.size(), kReadTemp, nullptr);
    EXPECT_FALSE(r.complete) << c.have;
    EXPECT_EQ(r.need, c.need) << c.have;
  }
}

}  // namespace
