// What vr815_init opens and what it refuses, without opening it, and calls on
// bad arguments.
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "VR815_DLL.h"
#include "files.h"
#include "sim_process.h"

namespace {

namespace fs = std::filesystem;
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

TEST(PortOpen, RefusesRatesTheSystemCannotSet) {
  SimProcess sim;
  ASSERT_FALSE(sim.port().empty());
  for (const int32_t baud : {0, -1, -115200, 12345, 115201, INT32_MAX}) {
    EXPECT_EQ(vr815_init(sim.port().c_str(), baud), nullptr) << baud;
  }
  for (const int32_t baud : {9600, 115200, 230400}) {
    void* h = vr815_init(sim.port().c_str(), baud);
    EXPECT_NE(h, nullptr) << baud;
    vr815_close(h);
  }
}

TEST(PortOpen, RefusesRatesBelowTheLowestAtWhichTheBoundsHold) {
  SimProcess sim;
  ASSERT_FALSE(sim.port().empty());
  // Rates the system can set, below the lowest.
  for (const int32_t baud : {50, 1200, 2400}) {
    EXPECT_EQ(vr815_init(sim.port().c_str(), baud), nullptr) << baud;
  }
  // The first standard rate above it, and the fastest ones.
  for (const int32_t baud : {4800, 460800, 921600}) {
    void* h = vr815_init(sim.port().c_str(), baud);
    EXPECT_NE(h, nullptr) << baud;
    vr815_close(h);
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

}  // namespace
