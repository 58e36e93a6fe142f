// One exchange with the device on a line of memory: stray input dropped, the
// reply taken whole within the reply timeout, and no end of replies to
// earlier requests keeping the call beyond it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <thread>
#include <utility>
#include <vector>

#include "VR815_DLL.h"
#include "line.h"
#include "protocol.h"
#include "test_clock.h"
#include "transaction.h"

namespace {

namespace proto = vr815::protocol;
using Bytes = std::vector<uint8_t>;
using vr815::test::Clock;
using vr815::test::kSlackMs;
using vr815::test::ms_since;

constexpr uint8_t kReadTemp = 0x93;

/// A sound READ_TEMP reply with the words and the tag.
Bytes reply(const std::vector<uint32_t>& words, uint8_t tag) {
  Bytes out;
  proto::append_frame_words(out, proto::kReplyMarker, kReadTemp, 0, words, tag);
  return out;
}

/// A device that answers every request at once, and without end, with
/// sound replies to the request before it.
class StaleReplies final : public vr815::Line {
 public:
  void discard_input() override {}
  vr815::IoResult write(const uint8_t* data, size_t len, int) override {
    const uint8_t tag = len > proto::kTagOffset ? data[proto::kTagOffset] : 0;
    stale_ = reply({1}, static_cast<uint8_t>(tag - 1));
    return vr815::IoResult::Ok;
  }
  vr815::IoResult read(uint8_t* buf, size_t len, int, size_t* got) override {
    *got = 0;
    while (*got < len) {
      buf[(*got)++] = stale_[at_];
      at_ = (at_ + 1) % stale_.size();
    }
    return vr815::IoResult::Ok;
  }

 private:
  Bytes stale_;
  size_t at_ = 0;
};

/// A device on a line of memory that answers each request at once with a
/// READ_TEMP reply carrying the request's tag, a byte every byte_ms; stray
/// bytes may lie on the line before the request.
class AnsweringLine final : public vr815::Line {
 public:
  AnsweringLine(Bytes stray, int byte_ms)
      : input_(std::move(stray)), byte_ms_(byte_ms) {}
  void discard_input() override { input_.clear(); }
  vr815::IoResult write(const uint8_t* data, size_t len, int) override {
    const uint8_t tag = len > proto::kTagOffset ? data[proto::kTagOffset] : 0;
    const Bytes answer = reply({25500}, tag);
    input_.insert(input_.end(), answer.begin(), answer.end());
    return vr815::IoResult::Ok;
  }
  vr815::IoResult read(uint8_t* buf, size_t len, int timeout_ms,
                       size_t* got) override {
    *got = 0;
    const bool in_time = !input_.empty() && byte_ms_ <= timeout_ms;
    std::this_thread::sleep_for(
        std::chrono::milliseconds(in_time ? byte_ms_ : timeout_ms));
    if (!in_time || len == 0) return vr815::IoResult::Timeout;
    buf[0] = input_.front();
    input_.erase(input_.begin());
    *got = 1;
    return vr815::IoResult::Ok;
  }

 private:
  Bytes input_;
  int byte_ms_;
};

TEST(Transaction, DropsStrayInputAndTakesTheWholeReplyWithinTheReplyTimeout) {
  // A READ_TEMP reply is 12 bytes.
  const struct {
    const char* what;
    Bytes stray;
    int byte_ms;
    int32_t status;
  } cases[] = {
      {"stray bytes before the request", {0x00, 0x5A, kReadTemp}, 0, VR815_OK},
      {"a byte at a time, 120 ms in all", {}, 10, VR815_OK},
      {"a byte at a time, 360 ms in all", {}, 30, VR815_ERR_TIMEOUT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    AnsweringLine line(c.stray, c.byte_ms);
    std::vector<uint32_t> words;
    const auto start = Clock::now();
    EXPECT_EQ(vr815::transact(&line, kReadTemp, 0, {}, &words), c.status);
    EXPECT_LE(ms_since(start), VR815_REPLY_TIMEOUT_MS + kSlackMs);
    if (c.status == VR815_OK) {
      EXPECT_EQ(words, std::vector<uint32_t>{25500});
    }
  }
}

TEST(Transaction, EndlessRepliesToEarlierRequestsEndInTheReplyTimeout) {
  StaleReplies line;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(vr815::transact(&line, kReadTemp, 0, {}, nullptr),
            VR815_ERR_TIMEOUT);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  EXPECT_LT(took.count(), VR815_CALL_TIMEOUT_MS + 150);
}

}  // namespace
