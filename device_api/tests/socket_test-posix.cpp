// The lines' one bounded write (write_all) on a pseudo-terminal, both ways:
// the simulated device's answer and the library's request each end at their
// bound while the other end reads a little at a time, so that the line keeps
// finding room and no single wait runs out.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "line.h"
#include "test_clock.h"
#include "transport.h"

namespace {

namespace sim = vr815::sim;
using vr815::IoResult;
using vr815::test::Clock;
using vr815::test::kSlackMs;
using vr815::test::ms_since;

/// Runs read_some every few milliseconds on a thread of its own, until it
/// goes.
class SlowReader {
 public:
  explicit SlowReader(std::function<void()> read_some)
      : read_some_(std::move(read_some)), thread_([this] {
          while (!stop_) {
            read_some_();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
          }
        }) {}
  ~SlowReader() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::function<void()> read_some_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(LineWrite, EndsAtItsBoundWhileTheOtherEndReadsSlowly) {
  constexpr int kBoundMs = 200;
  // Far more than a terminal holds, and than the reader takes in the bound.
  const std::vector<uint8_t> bytes(size_t{1} << 20);
  sim::OpenedTransport device = sim::open_pty_transport();
  ASSERT_NE(device.transport, nullptr) << device.error;
  const std::unique_ptr<vr815::Line> host =
      vr815::line_open(device.name.c_str(), 115200);
  ASSERT_NE(host, nullptr);
  uint8_t sink[64];
  size_t got = 0;
  const struct {
    const char* what;
    std::function<IoResult()> write;
    std::function<void()> read_some;
  } cases[] = {
      {"the device's answer",
       [&] {
         return device.transport->send(bytes.data(), bytes.size(), kBoundMs);
       },
       [&] { host->read(sink, sizeof sink, 0, &got); }},
      {"the library's request",
       [&] { return host->write(bytes.data(), bytes.size(), kBoundMs); },
       [&] { device.transport->receive(sink, sizeof sink, 0, &got); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SlowReader reader(c.read_some);
    const auto start = Clock::now();
    EXPECT_EQ(c.write(), IoResult::Timeout);
    EXPECT_LE(ms_since(start), kBoundMs + kSlackMs);
  }
}

}  // namespace
