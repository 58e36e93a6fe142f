// The library's judgement of what comes back after a request.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "VR815_DLL.h"
#include "protocol.h"
#include "reply.h"

namespace {

namespace proto = vr815::protocol;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kReadTemp = 0x93;
/// The tag of the request the replies below answer.
constexpr uint8_t kTag = 9;

Bytes reply(uint8_t command, uint16_t status, const std::vector<uint32_t>& w,
            uint8_t tag = kTag) {
  Bytes out;
  proto::append_frame_words(out, proto::kReplyMarker, command, status, w, tag);
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

struct Judged {
  vr815::ReplyCheck check;
  int dropped;  ///< replies to other requests dropped before it
};

/// Feeds the bytes as the transaction does: no more than the check asks
/// for, each time in a buffer of exactly that size, dropping what it says
/// to drop.
Judged judge_as_read(const Bytes& line, Bytes* payload) {
  Bytes got;
  size_t pos = 0;
  int dropped = 0;
  for (;;) {
    const Bytes exact(got);
    const vr815::ReplyCheck c = vr815::check_reply(exact.data(), exact.size(),
                                                   kReadTemp, kTag, payload);
    if (c.complete && c.drop != 0) {
      EXPECT_EQ(c.drop, got.size());
      EXPECT_EQ(c.status, VR815_ERR_BAD_REPLY);
      pos += c.drop;
      got.clear();
      ++dropped;
      continue;
    }
    if (c.complete || pos + c.need > line.size()) return {c, dropped};
    got.assign(line.begin() + static_cast<std::ptrdiff_t>(pos),
               line.begin() + static_cast<std::ptrdiff_t>(pos + c.need));
  }
}

vr815::ReplyCheck check_as_read(const Bytes& line, Bytes* payload) {
  const Judged j = judge_as_read(line, payload);
  EXPECT_EQ(j.dropped, 0);
  return j.check;
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
      {"another tag and a bad checksum",
       with_byte(good, proto::kTagOffset, kTag + 1)},
      {"length cut, tag changed", with_byte(with_byte(good, 4, 0x01), 5, 0x04)},
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
  const vr815::ReplyCheck c = vr815::check_reply(header.data(), header.size(),
                                                 kReadTemp, kTag, nullptr);
  EXPECT_TRUE(c.complete);
  EXPECT_EQ(c.status, VR815_ERR_BAD_REPLY);
  EXPECT_EQ(c.drop, 0u);
}

TEST(ReplyCheck, RepliesToOtherRequestsAreDroppedWholeAndTheWaitGoesOn) {
  const Bytes ours = reply(kReadTemp, 0, {25500});
  const struct {
    const char* what;
    Bytes late;
  } cases[] = {
      {"the same command, the tag before", reply(kReadTemp, 0, {1}, kTag - 1)},
      {"another command", reply(0xC1, 0, {1, 2, 3, 4, 5, 6, 7}, kTag - 1)},
      {"a refusal", reply(kReadTemp, 5, {}, kTag - 2)},
      {"a length wrong for us", reply(kReadTemp, 0, {1, 2}, kTag - 1)},
      {"tag 0", reply(kReadTemp, 0, {1}, 0)},
      {"the tag after", reply(kReadTemp, 0, {1}, kTag + 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes payload;
    const Judged one = judge_as_read(joined(c.late, ours), &payload);
    EXPECT_EQ(one.dropped, 1);
    EXPECT_EQ(one.check.status, VR815_OK);
    EXPECT_EQ(proto::payload_words(payload), std::vector<uint32_t>{25500});

    // Alone, a late reply leaves the call waiting for more.
    const Judged alone = judge_as_read(c.late, &payload);
    EXPECT_EQ(alone.dropped, 1);
    EXPECT_FALSE(alone.check.complete);
  }
  // Two late replies in a row, then a refusal that is ours.
  const Judged two = judge_as_read(
      joined(joined(reply(kReadTemp, 0, {1}, 7), reply(kReadTemp, 0, {2}, 8)),
             reply(kReadTemp, 4, {})),
      nullptr);
  EXPECT_EQ(two.dropped, 2);
  EXPECT_EQ(two.check.status, 4);
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
        vr815::check_reply(part.data(), part.size(), kReadTemp, kTag, nullptr);
    EXPECT_FALSE(r.complete) << c.have;
    EXPECT_EQ(r.need, c.need) << c.have;
  }
}

}  // namespace
