// The serial port as the library opens it on POSIX systems: what vr815_init
// opens and what it refuses without opening it, and the line while other
// programs have the terminal open too: they leave it with other settings,
// change them, open it without the lock, leave again; a hang-up still ends
// the call at once.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "VR815_DLL.h"
#include "files.h"
#include "serial_port-posix.h"
#include "sim_process.h"
#include "test_clock.h"

namespace {

namespace fs = std::filesystem;
using vr815::test::Clock;
using vr815::test::ms_since;
using vr815::test::SimProcess;
using vr815::test::TempDir;

/// Tells which watched files were opened (inotify IN_OPEN) while a call ran,
/// by anyone: device nodes such as /dev/null are opened by other programs
/// too.
class OpenWatch {
 public:
  OpenWatch() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
  ~OpenWatch() {
    if (fd_ >= 0) close(fd_);
  }
  OpenWatch(const OpenWatch&) = delete;
  OpenWatch& operator=(const OpenWatch&) = delete;

  bool watch(const fs::path& path) {
    const int wd = inotify_add_watch(fd_, path.c_str(), IN_OPEN);
    if (wd < 0) return false;
    watched_[wd] = path;
    return true;
  }
  std::set<fs::path> opened_during(const std::function<void()>& call) {
    take_events();
    call();
    // Events are queued by the open itself, so they are there on return.
    return take_events();
  }

 private:
  std::set<fs::path> take_events() {
    std::set<fs::path> opened;
    alignas(inotify_event) char buf[4096];
    ssize_t n = 0;
    while ((n = read(fd_, buf, sizeof buf)) > 0) {
      for (ssize_t pos = 0; pos < n;) {
        inotify_event event;
        std::memcpy(&event, buf + pos, sizeof event);
        // A named event is about a file in a watched directory.
        if ((event.mask & IN_OPEN) && event.len == 0) {
          opened.insert(watched_[event.wd]);
        }
        pos += static_cast<ssize_t>(sizeof event + event.len);
      }
    }
    return opened;
  }
  int fd_;
  std::map<int, fs::path> watched_;
};

TEST(PortOpen, OpensNothingThatIsNotALine) {
  TempDir dir;
  const fs::path file = dir.path / "not-a-port";
  { std::ofstream(file) << "keep"; }
  const fs::path fifo = dir.path / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const fs::path null_link = dir.path / "null-link";
  fs::create_symlink("/dev/null", null_link);
  struct Case {
    fs::path port;
    fs::path node;  ///< the file the port names; empty when there is none
  };
  std::vector<Case> cases = {
      {file, file},
      {dir.path, dir.path},
      {fifo, fifo},
      {"/dev/null", "/dev/null"},
      {"/dev/zero", "/dev/zero"},
      {"/dev/ptmx", "/dev/ptmx"},  // a terminal, but opening makes a new one
      {null_link, "/dev/null"},
      {dir.path / "missing", {}},
  };
  // The machine's own terminals, and a block device, where it has them.
  for (const char* node :
       {"/dev/tty", "/dev/console", "/dev/tty0", "/dev/tty1", "/dev/loop0"}) {
    if (fs::exists(node)) cases.push_back({node, node});
  }
  OpenWatch watch;
  for (const auto& c : cases) {
    if (!c.node.empty()) {
      ASSERT_TRUE(watch.watch(c.node)) << c.node;
    }
  }
  // The watch does see an open.
  EXPECT_EQ(watch.opened_during([&] { std::ifstream in(file); }),
            std::set<fs::path>{file});

  // Another program opening a shared device node meanwhile is rare: one
  // call in a few without it shows that ours did not.
  constexpr int kTries = 20;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.port);
    bool opened = true;
    for (int i = 0; i < kTries && opened; ++i) {
      opened = watch
                   .opened_during([&] {
                     EXPECT_EQ(vr815_init(c.port.c_str(), 115200), nullptr);
                   })
                   .count(c.node) != 0;
    }
    EXPECT_FALSE(opened);
  }
  std::ifstream in(file);
  std::string content((std::istreambuf_iterator<char>(in)),
                      std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "keep");
}

TEST(PortOpen, OpensATerminalAlsoThroughASymbolicLink) {
  SimProcess sim;
  ASSERT_FALSE(sim.port().empty());
  TempDir dir;
  const fs::path link = dir.path / "usb-VR815-if00";  // as /dev/serial/by-id
  fs::create_symlink(sim.port(), link);
  for (const fs::path& p : {fs::path(sim.port()), link}) {
    void* h = vr815_init(p.c_str(), 115200);
    EXPECT_NE(h, nullptr) << p;
    vr815_close(h);
  }
}

TEST(PortOpen, RefusesNamesThatAreNeitherPathNorComPort) {
  for (const char* name : {"", "COM", "COM0", "COM1x", "COM-1", "COM01",
                           "COM257", "LPT1", "ttyS0"}) {
    EXPECT_EQ(vr815_init(name, 115200), nullptr) << name;
  }
  EXPECT_EQ(vr815_init(nullptr, 115200), nullptr);
}

TEST(PortNames, ComNamesAreTheTtySPortsFromCom1ToCom256) {
  const struct {
    const char* name;
    const char* path;  ///< null: refused
  } cases[] = {
      {"COM0", nullptr},
      {"COM1", "/dev/ttyS0"},
      {"com2", "/dev/ttyS1"},
      {"COM256", "/dev/ttyS255"},
      {"COM257", nullptr},
      {"COM2560", nullptr},  // one digit too many
      {"COM0256", nullptr},
      {"/dev/ttyS300", "/dev/ttyS300"},  // a path is taken as given
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = "unread";
    ASSERT_EQ(vr815::serial_device_path(c.name, &path), c.path != nullptr);
    EXPECT_EQ(path, c.path != nullptr ? c.path : "unread");
  }
}

TEST(PortOpen, SecondOpenOfAPortInUseFails) {
  SimProcess sim;
  ASSERT_FALSE(sim.port().empty());
  void* first = vr815_init(sim.port().c_str(), 115200);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(vr815_init(sim.port().c_str(), 115200), nullptr);
  float celsius = 0.0f;
  EXPECT_EQ(vr815_read_temperature(first, &celsius), VR815_OK);
  EXPECT_EQ(vr815_close(first), VR815_OK);
  void* again = vr815_init(sim.port().c_str(), 115200);
  EXPECT_NE(again, nullptr);
  vr815_close(again);
}

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
