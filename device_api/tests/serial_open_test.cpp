// What vr815_init opens and what it refuses, and calls on bad arguments.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "VR815_DLL.h"
#include "sim_process.h"
#include "files.h"

namespace {

namespace fs = std::filesystem;
using vr815::test::SimProcess;
using vr815::test::TempDir;

TEST(PortOpen, RefusesWhatIsNotATerminalWithoutWritingToIt) {
  TempDir dir;
  const fs::path file = dir.path / "not-a-port";
  { std::ofstream(file) << "keep"; }
  for (const fs::path& p : {file, dir.path, dir.path / "missing"}) {
    EXPECT_EQ(vr815_init(p.c_str(), 115200), nullptr) << p;
  }
  std::ifstream in(file);
  std::string content((std::istreambuf_iterator<char>(in)),
                      std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "keep");
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
      [&] { return vr815_set_trigger_freq(h, 1e9); },    // under one tick
      [&] { return vr815_set_trigger_freq(h, 0.01); },   // beyond 32 bits
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
