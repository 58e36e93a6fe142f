// The line while other programs have the terminal open too: they leave it
// with other settings, change them, open it without the lock, leave again;
// a hang-up still ends the call at once.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "VR815_DLL.h"
#include "sim_process.h"
#include "test_clock.h"

namespace {

using vr815::test::Clock;
using vr815::test::ms_since;
using vr815::test::SimProcess;

/// 2.573 degrees: the reply's payload starts 0D 0A, bytes that a terminal
/// not in raw mode translates.
const char kTemperature[] = "2.573";
constexpr float kCelsius = 2.573f;

/// A simulated device, a descriptor of another program on its terminal,
/// opened before the library's (so it works without root too), and the
/// library's handle.
struct SharedLine {
  explicit SharedLine(std::vector<std::string> options = {})
      : sim(with_temperature(std::move(options))),
        other(open(sim.port().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)),
        handle(vr815_init(sim.port().c_str(), 115200)) {}
  ~SharedLine() {
    vr815_close(handle);
    if (other >= 0) close(other);
  }
  static std::vector<std::string> with_temperature(
      std::vector<std::string> options) {
    options.insert(options.end(), {"--temperature", kTemperature});
    return options;
  }
  SimProcess sim;
  int other;
  void* handle;
};

using Change = std::function<void(termios*)>;

bool change_settings(int fd, const Change& change) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  change(&t);
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

void vmin_0(termios* t) {
  t->c_cc[VMIN] = 0;
  t->c_cc[VTIME] = 0;
}

/// What common serial code and terminal programs leave behind.
const struct {
  const char* what;
  Change change;
} kChanges[] = {
    {"VMIN 0, VTIME 0", vmin_0},
    {"VMIN 0, VTIME 1",
     [](termios* t) {
       t->c_cc[VMIN] = 0;
       t->c_cc[VTIME] = 1;
     }},
    {"canonical mode with echo and signals",
     [](termios* t) { t->c_lflag |= ICANON | ECHO | ISIG | IEXTEN; }},
    {"9600 baud", [](termios* t) { cfsetspeed(t, B9600); }},
    {"bytes translated both ways",
     [](termios* t) {
       t->c_iflag |= ISTRIP | ICRNL | IXON;
       t->c_oflag |= OPOST | ONLCR;
     }},
};

/// Two calls whose requests and replies together carry every byte value
/// the changes above act on.
void expect_calls_work(void* h) {
  float celsius = 0.0f;
  EXPECT_EQ(vr815_read_temperature(h, &celsius), VR815_OK);
  EXPECT_EQ(celsius, kCelsius);
  EXPECT_EQ(vr815_set_delay(h, 1, 10), VR815_OK);  // 1000 counts: E8 03
  int64_t delay = -1;
  int64_t width = -1;
  int32_t mode = -1;
  double hz = -1.0;
  EXPECT_EQ(vr815_read_timing_config(h, 1, &delay, &width, &mode, &hz),
            VR815_OK);
  EXPECT_EQ(delay, 10);
}

TEST(SharedLine, SettingsChangedByAnotherProgramDoNotBreakTheCalls) {
  SharedLine line;
  ASSERT_GE(line.other, 0) << line.sim.port();
  ASSERT_NE(line.handle, nullptr);
  for (const auto& c : kChanges) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(change_settings(line.other, c.change));
    expect_calls_work(line.handle);
  }
}

TEST(SharedLine, OpenSetsRaw8N1AtTheRateWhateverTheLineWasLeftAs) {
  // Left cooked, 7E2 with flow control, waiting on the modem lines, at
  // another speed: as a terminal program may leave a port.
  SimProcess sim;
  const int other = open(sim.port().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(other, 0) << sim.port();
  ASSERT_TRUE(change_settings(other, [](termios* t) {
    t->c_iflag |= ICRNL | ISTRIP | IXON | IXOFF;
    t->c_oflag |= OPOST | ONLCR;
    t->c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    t->c_cflag &= ~static_cast<tcflag_t>(CSIZE | CLOCAL);
    t->c_cflag |= CS7 | PARENB | CSTOPB | CRTSCTS;
    cfsetspeed(t, B1200);
  }));
  void* h = vr815_init(sim.port().c_str(), 9600);
  ASSERT_NE(h, nullptr);
  termios t{};
  ASSERT_EQ(tcgetattr(other, &t), 0);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_NE(t.c_cflag & CLOCAL, 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | ISTRIP | IXON | IXOFF), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  vr815_close(h);
  close(other);
}

TEST(SharedLine, OpenerWithoutTheLockMayHoldTheLineAndLeave) {
  SharedLine line;
  ASSERT_NE(line.handle, nullptr);
  // A plain open, as a service probing serial ports makes it: refused by
  // the exclusive mode unless it runs as root.
  const int second = open(line.sim.port().c_str(), O_RDWR | O_NOCTTY);
  const int open_error = errno;
  if (geteuid() == 0) {
    ASSERT_GE(second, 0) << "the kernel now refuses root too";
    const int locked = flock(second, LOCK_EX | LOCK_NB);
    const int lock_error = errno;
    EXPECT_NE(locked, 0) << "the lock was free";
    EXPECT_EQ(lock_error, EWOULDBLOCK);
    ASSERT_TRUE(change_settings(second, vmin_0));
    expect_calls_work(line.handle);  // while it holds the line
    close(second);
  } else {
    EXPECT_LT(second, 0);
    EXPECT_EQ(open_error, EBUSY);
  }
  expect_calls_work(line.handle);  // after it left
}

TEST(SharedLine, HangUpIsStillALineErrorAtOnce) {
  // The sim closes its end when frame 2 arrives: a pseudo-terminal's
  // hang-up. A serial port hangs up the way TIOCVHANGUP does (root only).
  const struct {
    const char* what;
    std::vector<std::string> options;
    std::function<bool(int)> hang_up;  ///< false: cannot here
  } cases[] = {
      {"the far end closes", {"--hangup-after", "2"}, [](int) { return true; }},
      {"the terminal is hung up",
       {},
       [](int fd) { return ioctl(fd, TIOCVHANGUP) == 0; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SharedLine line(c.options);
    ASSERT_GE(line.other, 0);
    ASSERT_NE(line.handle, nullptr);
    float celsius = 0.0f;
    ASSERT_EQ(vr815_read_temperature(line.handle, &celsius), VR815_OK);
    // With VMIN 0, an empty line and a hung-up one both read 0 bytes.
    ASSERT_TRUE(change_settings(line.other, vmin_0));
    if (!c.hang_up(line.other)) {
      EXPECT_EQ(errno, EPERM);  // not root: nothing to see here
      continue;
    }
    for (int call = 2; call <= 3; ++call) {
      SCOPED_TRACE(call);
      const auto start = Clock::now();
      EXPECT_EQ(vr815_software_trigger(line.handle), VR815_ERR_LINE);
      EXPECT_LT(ms_since(start), VR815_REPLY_TIMEOUT_MS / 2);
    }
  }
}

}  // namespace
