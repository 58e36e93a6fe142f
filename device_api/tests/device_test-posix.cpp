// The library's device calls as the harness makes them: against vr815-sim
// on each kind of line, a pseudo-terminal and TCP, against a device the test
// plays, and with bad arguments.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "VR815_DLL.h"
#include "frame_check_table.h"
#include "protocol.h"
#include "sim_process.h"
#include "test_clock.h"

namespace {

namespace proto = vr815::protocol;

using vr815::test::Clock;
using vr815::test::frame_row;
using vr815::test::kSlackMs;
using vr815::test::ms_since;
using vr815::test::shown_tag;
using vr815::test::SimProcess;
using vr815::test::with_tag;

/// The kinds of line a device is reached on, as vr815-sim options.
struct LineKind {
  const char* name;
  std::vector<std::string> options;
};

void PrintTo(const LineKind& kind, std::ostream* os) { *os << kind.name; }

const LineKind kLineKinds[] = {
    {"Pty", {}},
    {"Tcp", {"--listen", "127.0.0.1:0"}},
};

class LibraryOverLine : public testing::TestWithParam<LineKind> {
 protected:
  /// The options with those that put the device on this kind of line.
  std::vector<std::string> on_line(std::vector<std::string> options) const {
    options.insert(options.begin(), GetParam().options.begin(),
                   GetParam().options.end());
    return options;
  }
};

/// A simulated device with a log, and the library's handle on its line.
struct Line {
  explicit Line(const std::vector<std::string>& options = {})
      : sim(options, true), handle(vr815_init(sim.port().c_str(), 115200)) {}
  ~Line() { vr815_close(handle); }
  std::string last_frame() const {
    const std::vector<std::string> lines = sim.log_lines();
    return lines.empty() ? std::string() : lines.back();
  }
  SimProcess sim;
  void* handle;
};

struct Timing {
  int64_t delay = -1;
  int64_t width = -1;
  int32_t mode = -1;
  double hz = -1.0;
};

int32_t read_timing(void* h, Timing* t) {
  return vr815_read_timing_config(h, 1, &t->delay, &t->width, &t->mode, &t->hz);
}

TEST_P(LibraryOverLine, EachCallSendsTheFrameCheckFrameAndReadsBack) {
  Line line(on_line({}));
  ASSERT_NE(line.handle, nullptr) << line.sim.port();
  void* h = line.handle;

  // Each call carries the next tag, 1 to 255 and never 0; the frame is
  // otherwise the one stage 0 shows.
  Timing t;
  ASSERT_EQ(read_timing(h, &t), VR815_OK);
  int tag = shown_tag(line.last_frame());
  ASSERT_GE(tag, 1);
  EXPECT_EQ(line.last_frame(), with_tag("A5 C1 01 00 00 00 64 43", tag));
  EXPECT_EQ(t.delay, 0);
  EXPECT_EQ(t.width, 0);
  EXPECT_EQ(t.mode, VR815_TRIG_INTERNAL);
  EXPECT_EQ(t.hz, 1000.0);

  float celsius = 0.0f;
  const struct {
    const char* frame;
    std::function<int32_t()> call;
  } steps[] = {
      {"READ_TEMP", [&] { return vr815_read_temperature(h, &celsius); }},
      {"SET_TRIG_FREQ", [&] { return vr815_set_trigger_freq(h, 1000.0); }},
      {"SET_CHANNEL", [&] { return vr815_set_output_channel(h, 1, 1); }},
      {"SET_DELAY", [&] { return vr815_set_delay(h, 1, 10); }},
      {"SET_PULSE_WIDTH", [&] { return vr815_set_pulse_width(h, 1, 100); }},
      {"SET_GLOBAL_OUTPUT", [&] { return vr815_set_global_output(h, 1); }},
      {"SET_TRIGGER",
       [&] { return vr815_set_trigger(h, VR815_TRIG_SOFTWARE); }},
      {"SOFTWARE_TRIG", [&] { return vr815_software_trigger(h); }},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.frame);
    EXPECT_EQ(step.call(), VR815_OK);
    tag = tag == 255 ? 1 : tag + 1;
    EXPECT_EQ(line.last_frame(), with_tag(frame_row(step.frame).hex, tag));
  }
  EXPECT_EQ(celsius, 25.5f);

  t = Timing{};
  ASSERT_EQ(read_timing(h, &t), VR815_OK);
  EXPECT_EQ(t.delay, 10);
  EXPECT_EQ(t.width, 100);
  EXPECT_EQ(t.mode, VR815_TRIG_SOFTWARE);
  EXPECT_EQ(t.hz, 1000.0);
}

TEST_P(LibraryOverLine, SettingsReadBackInTheirUnits) {
  Line line(on_line({"--temperature", "-12.345"}));
  ASSERT_NE(line.handle, nullptr);
  void* h = line.handle;
  float celsius = 0.0f;
  ASSERT_EQ(vr815_read_temperature(h, &celsius), VR815_OK);
  EXPECT_EQ(celsius, -12.345f);

  const struct {
    int32_t mode;
    double hz;
    int64_t delay;
    int64_t width;
  } cases[] = {
      {VR815_TRIG_EXTERNAL, 250e6, 0, 1},  // one tick: the highest rate
      {VR815_TRIG_INTERNAL, 4.0, 123456789012, 7},
      {VR815_TRIG_SOFTWARE, 1e6, 1, 999999},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(vr815_set_trigger(h, c.mode), VR815_OK);
    ASSERT_EQ(vr815_set_trigger_freq(h, c.hz), VR815_OK);
    ASSERT_EQ(vr815_set_delay(h, 1, c.delay), VR815_OK);
    ASSERT_EQ(vr815_set_pulse_width(h, 1, c.width), VR815_OK);
    Timing t;
    ASSERT_EQ(read_timing(h, &t), VR815_OK);
    EXPECT_EQ(t.mode, c.mode);
    EXPECT_DOUBLE_EQ(t.hz, c.hz);
    EXPECT_EQ(t.delay, c.delay);
    EXPECT_EQ(t.width, c.width);
  }
}

TEST_P(LibraryOverLine, FaultsBecomeFailureCodesWithinTheBound) {
  const struct {
    std::vector<std::string> options;
    int32_t status;
  } cases[] = {
      {{"--fail", "READ_TEMP=7"}, 7},
      {{"--fail", "READ_TEMP=-32768"}, -32768},
      {{"--corrupt"}, VR815_ERR_BAD_REPLY},
      {{"--noise"}, VR815_ERR_BAD_REPLY},
      {{"--delay-ms", "100"}, VR815_OK},
      {{"--delay-ms", "400"}, VR815_ERR_TIMEOUT},
      {{"--silent"}, VR815_ERR_TIMEOUT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options.front());
    Line line(on_line(c.options));
    ASSERT_NE(line.handle, nullptr);
    float celsius = -99.0f;
    const auto start = Clock::now();
    EXPECT_EQ(vr815_read_temperature(line.handle, &celsius), c.status);
    const int64_t took = ms_since(start);
    EXPECT_LE(took, VR815_CALL_TIMEOUT_MS + kSlackMs);
    if (c.status == VR815_ERR_TIMEOUT) {
      EXPECT_GE(took, VR815_REPLY_TIMEOUT_MS - 5);
    }
    EXPECT_EQ(celsius, c.status == VR815_OK ? 25.5f : -99.0f);
    const std::string sent = line.last_frame();
    EXPECT_NE(shown_tag(sent), 0);
    EXPECT_EQ(sent, with_tag(frame_row("READ_TEMP").hex, shown_tag(sent)));
  }
}

TEST_P(LibraryOverLine, FailedCommandLeavesTheDeviceAsItWas) {
  Line line(on_line({"--fail", "SET_DELAY=7", "--fail", "SET_PULSE_WIDTH=-2"}));
  ASSERT_NE(line.handle, nullptr);
  void* h = line.handle;
  EXPECT_EQ(vr815_set_delay(h, 1, 10), 7);
  EXPECT_EQ(vr815_set_pulse_width(h, 1, 100), -2);
  EXPECT_EQ(vr815_set_trigger(h, VR815_TRIG_SOFTWARE), VR815_OK);
  Timing t;
  ASSERT_EQ(read_timing(h, &t), VR815_OK);
  EXPECT_EQ(t.delay, 0);
  EXPECT_EQ(t.width, 0);
  EXPECT_EQ(t.mode, VR815_TRIG_SOFTWARE);
}

TEST_P(LibraryOverLine, HangUpInMidCallIsALineErrorAtOnce) {
  Line line(on_line({"--hangup-after", "2"}));
  ASSERT_NE(line.handle, nullptr);
  float celsius = 0.0f;
  EXPECT_EQ(vr815_read_temperature(line.handle, &celsius), VR815_OK);
  for (int call = 2; call <= 3; ++call) {
    SCOPED_TRACE(call);
    const auto start = Clock::now();
    EXPECT_EQ(vr815_software_trigger(line.handle), VR815_ERR_LINE);
    EXPECT_LT(ms_since(start), VR815_REPLY_TIMEOUT_MS / 2);
  }
  EXPECT_EQ(line.sim.log_lines().size(), 2u);
  EXPECT_EQ(line.sim.stop(), 0);
}

TEST(LibraryOverPty, WireTriggerModeWithoutALibraryModeIsABadReply) {
  SimProcess sim;
  ASSERT_FALSE(sim.port().empty());
  // External falling edge (wire mode 2) can only be set by another host.
  {
    const int fd = open(sim.port().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    std::vector<uint8_t> frame;
    VR815DDG::BuildFrame(VR815DDG::SET_TRIGGER, 2, nullptr, 0, frame);
    ASSERT_EQ(write(fd, frame.data(), frame.size()),
              static_cast<ssize_t>(frame.size()));
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 2000), 1);
    uint8_t reply[8];
    EXPECT_GT(read(fd, reply, sizeof reply), 0);
    close(fd);
  }
  void* h = vr815_init(sim.port().c_str(), 115200);
  ASSERT_NE(h, nullptr);
  Timing t;
  EXPECT_EQ(read_timing(h, &t), VR815_ERR_BAD_REPLY);
  EXPECT_EQ(t.mode, -1);
  EXPECT_EQ(t.hz, -1.0);
  vr815_close(h);
}

/// A device the test plays itself, at the far end of a pseudo-terminal of
/// its own: nothing reads the line but answer.
class PlayedDevice {
 public:
  PlayedDevice() : fd_(posix_openpt(O_RDWR | O_NOCTTY)) {
    if (fd_ >= 0 && grantpt(fd_) == 0 && unlockpt(fd_) == 0) {
      name_ = ptsname(fd_);
    }
  }
  PlayedDevice(const PlayedDevice&) = delete;
  PlayedDevice& operator=(const PlayedDevice&) = delete;
  ~PlayedDevice() {
    if (fd_ >= 0) close(fd_);
  }

  /// The line's name, for vr815_init.
  const std::string& name() const { return name_; }

  /// Reads the next request, waiting up to a second for each of its bytes,
  /// and answers it with the words under its command and tag.
  void answer(const std::vector<uint32_t>& words) {
    std::vector<uint8_t> got;
    proto::Frame request;
    while (proto::parse_frame(got.data(), got.size(), proto::kRequestMarker,
                              &request)
               .outcome != proto::Parse::Complete) {
      pollfd p{fd_, POLLIN, 0};
      uint8_t byte = 0;
      if (poll(&p, 1, 1000) != 1 || read(fd_, &byte, 1) != 1) return;
      got.push_back(byte);
    }
    std::vector<uint8_t> reply;
    proto::append_frame_words(reply, proto::kReplyMarker, request.command, 0,
                              words, request.tag);
    ASSERT_EQ(write(fd_, reply.data(), reply.size()),
              static_cast<ssize_t>(reply.size()));
  }

 private:
  int fd_;
  std::string name_;
};

TEST(LibraryOnAPlayedDevice, TimingWithAPeriodOfZeroTicksIsABadReply) {
  PlayedDevice device;
  void* h = vr815_init(device.name().c_str(), 115200);
  ASSERT_NE(h, nullptr) << device.name();
  const struct {
    uint32_t period_ticks;
    int32_t status;
    double hz;
  } cases[] = {{250000, VR815_OK, 1000.0}, {0, VR815_ERR_BAD_REPLY, -1.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.period_ticks);
    std::thread answer([&] {
      device.answer({0, 0, 0, 0, 0, c.period_ticks, 0});
    });
    Timing t;
    EXPECT_EQ(read_timing(h, &t), c.status);
    EXPECT_EQ(t.hz, c.hz);
    answer.join();
  }
  vr815_close(h);
}

TEST(LibraryOnAPlayedDevice, RequestTheLineDoesNotTakeTimesOutAtTheWriteBound) {
  PlayedDevice device;
  // Another program fills the line; it opens before the library, so that
  // the exclusive mode lets it.
  const int other = open(device.name().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(other, 0) << device.name();
  void* h = vr815_init(device.name().c_str(), 115200);
  ASSERT_NE(h, nullptr);
  // The kernel goes on moving what the line holds to the far end's buffer
  // for a while after it first refuses more: fill until it stays full.
  const uint8_t filler[256] = {};
  pollfd room{other, POLLOUT, 0};
  do {
    while (write(other, filler, sizeof filler) > 0) {
    }
    ASSERT_EQ(errno, EAGAIN);
  } while (poll(&room, 1, 100) == 1);
  const auto start = Clock::now();
  EXPECT_EQ(vr815_software_trigger(h), VR815_ERR_TIMEOUT);
  const int64_t took = ms_since(start);
  EXPECT_GE(took, VR815_WRITE_TIMEOUT_MS - 5);
  EXPECT_LE(took, VR815_WRITE_TIMEOUT_MS + kSlackMs);
  vr815_close(h);
  close(other);
}

TEST(DeviceCalls, FailureCodesAreTheDocumentedNumbers) {
  EXPECT_EQ(VR815_ERR_TIMEOUT, -100001);
  EXPECT_EQ(VR815_ERR_BAD_REPLY, -100002);
  EXPECT_EQ(VR815_ERR_LINE, -100003);
  EXPECT_EQ(VR815_ERR_BAD_ARG, -100004);
}

TEST(DeviceCalls, NullHandleIsABadArgument) {
  int64_t d = 0;
  int64_t w = 0;
  int32_t m = 0;
  double hz = 0.0;
  float c = 0.0f;
  const std::function<int32_t()> calls[] = {
      [] { return vr815_close(nullptr); },
      [&] { return vr815_read_temperature(nullptr, &c); },
      [&] { return vr815_read_timing_config(nullptr, 1, &d, &w, &m, &hz); },
      [] { return vr815_set_trigger(nullptr, 0); },
      [] { return vr815_set_trigger_freq(nullptr, 1000.0); },
      [] { return vr815_set_output_channel(nullptr, 1, 1); },
      [] { return vr815_set_delay(nullptr, 1, 10); },
      [] { return vr815_set_pulse_width(nullptr, 1, 100); },
      [] { return vr815_set_global_output(nullptr, 1); },
      [] { return vr815_software_trigger(nullptr); },
  };
  for (const auto& call : calls) EXPECT_EQ(call(), VR815_ERR_BAD_ARG);
}

TEST(DeviceCalls, BadArgumentsAreRefusedWithoutSendingAnything) {
  SimProcess sim({}, true);
  void* h = vr815_init(sim.port().c_str(), 115200);
  ASSERT_NE(h, nullptr);
  int64_t d = 0;
  int64_t w = 0;
  int32_t m = 0;
  double hz = 0.0;
  const double inf = std::numeric_limits<double>::infinity();
  const std::function<int32_t()> calls[] = {
      [&] { return vr815_read_temperature(h, nullptr); },
      [&] { return vr815_read_timing_config(h, 1, nullptr, &w, &m, &hz); },
      [&] { return vr815_read_timing_config(h, 1, &d, nullptr, &m, &hz); },
      [&] { return vr815_read_timing_config(h, 1, &d, &w, nullptr, &hz); },
      [&] { return vr815_read_timing_config(h, 1, &d, &w, &m, nullptr); },
      [&] { return vr815_read_timing_config(h, 0, &d, &w, &m, &hz); },
      [&] { return vr815_read_timing_config(h, 5, &d, &w, &m, &hz); },
      [&] { return vr815_set_trigger(h, 3); },
      [&] { return vr815_set_trigger(h, -1); },
      [&] { return vr815_set_trigger_freq(h, 0.0); },
      [&] { return vr815_set_trigger_freq(h, -1000.0); },
      [&] { return vr815_set_trigger_freq(h, std::nan("")); },
      [&] { return vr815_set_trigger_freq(h, inf); },
      [&] { return vr815_set_trigger_freq(h, 1e9); },   // under one tick
      [&] { return vr815_set_trigger_freq(h, 0.01); },  // beyond 32 bits
      [&] { return vr815_set_output_channel(h, 0, 1); },
      [&] { return vr815_set_output_channel(h, 5, 1); },
      [&] { return vr815_set_output_channel(h, 1, 2); },
      [&] { return vr815_set_output_channel(h, 1, -1); },
      [&] { return vr815_set_delay(h, 1, -1); },
      [&] { return vr815_set_delay(h, 0, 10); },
      [&] { return vr815_set_delay(h, 1, INT64_MAX); },
      [&] { return vr815_set_pulse_width(h, 1, INT64_MIN); },
      [&] { return vr815_set_pulse_width(h, 257, 100); },
      [&] { return vr815_set_global_output(h, 2); },
  };
  int i = 0;
  for (const auto& call : calls) EXPECT_EQ(call(), VR815_ERR_BAD_ARG) << i++;
  EXPECT_TRUE(sim.log_lines().empty());
  vr815_close(h);
}

// Each documented range at both of its edges: the last value taken on
// either side goes to the device, which takes it; one past is refused and
// nothing is sent.
TEST(DeviceCalls, EachRangeIsTakenToItsEdgesAndRefusedOnePast) {
  SimProcess sim({}, true);
  void* h = vr815_init(sim.port().c_str(), 115200);
  ASSERT_NE(h, nullptr);
  int64_t d = 0;
  int64_t w = 0;
  int32_t m = 0;
  double hz = 0.0;
  const auto narrow = [](int64_t v) { return static_cast<int32_t>(v); };
  const struct {
    const char* what;
    std::function<int32_t(int64_t)> call;
    int64_t lowest;
    int64_t highest;
  } ranges[] = {
      {"read_timing_config channel",
       [&](int64_t v) {
         return vr815_read_timing_config(h, narrow(v), &d, &w, &m, &hz);
       },
       1, 4},
      {"set_output_channel channel",
       [&](int64_t v) { return vr815_set_output_channel(h, narrow(v), 1); }, 1,
       4},
      {"set_output_channel enable",
       [&](int64_t v) { return vr815_set_output_channel(h, 4, narrow(v)); }, 0,
       1},
      {"set_delay channel",
       [&](int64_t v) { return vr815_set_delay(h, narrow(v), 10); }, 1, 4},
      {"set_delay ns", [&](int64_t v) { return vr815_set_delay(h, 1, v); }, 0,
       proto::kMaxTimeNs},
      {"set_pulse_width channel",
       [&](int64_t v) { return vr815_set_pulse_width(h, narrow(v), 100); }, 1,
       4},
      {"set_pulse_width ns",
       [&](int64_t v) { return vr815_set_pulse_width(h, 4, v); }, 0,
       proto::kMaxTimeNs},
      {"set_global_output enable",
       [&](int64_t v) { return vr815_set_global_output(h, narrow(v)); }, 0, 1},
      {"set_trigger mode",
       [&](int64_t v) { return vr815_set_trigger(h, narrow(v)); },
       VR815_TRIG_INTERNAL, VR815_TRIG_SOFTWARE},
  };
  const auto check = [&sim](const std::string& what, bool taken,
                            const std::function<int32_t()>& call) {
    SCOPED_TRACE(what);
    const size_t sent = sim.log_lines().size();
    EXPECT_EQ(call(), taken ? VR815_OK : VR815_ERR_BAD_ARG);
    EXPECT_EQ(sim.log_lines().size(), sent + (taken ? 1 : 0));
  };
  for (const auto& r : ranges) {
    const std::pair<int64_t, bool> edges[] = {{r.lowest - 1, false},
                                              {r.lowest, true},
                                              {r.highest, true},
                                              {r.highest + 1, false}};
    for (const auto& [value, taken] : edges) {
      const int64_t v = value;
      check(std::string(r.what) + " " + std::to_string(v), taken,
            [&] { return r.call(v); });
    }
  }
  // 250 MHz, a period of one tick, down to a period of 2^32-1 ticks.
  const double highest_hz = proto::kTicksPerSecond;
  const double lowest_hz = proto::kTicksPerSecond / proto::kMaxPeriodTicks;
  const struct {
    const char* what;
    double hz;
    bool taken;
  } frequencies[] = {
      {"just above 250 MHz", std::nextafter(highest_hz, 1e300), false},
      {"250 MHz", highest_hz, true},
      {"a period of 2^32-1 ticks", lowest_hz, true},
      {"just below that", std::nextafter(lowest_hz, 0.0), false},
  };
  for (const auto& f : frequencies) {
    check(std::string("set_trigger_freq ") + f.what, f.taken,
          [&] { return vr815_set_trigger_freq(h, f.hz); });
  }
  vr815_close(h);
}

INSTANTIATE_TEST_SUITE_P(Lines, LibraryOverLine, testing::ValuesIn(kLineKinds),
                         [](const testing::TestParamInfo<LineKind>& kind) {
                           return std::string(kind.param.name);
                         });

}  // namespace
