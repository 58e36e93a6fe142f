// The machine's port list on POSIX systems, from a folder laid out as the
// kernel's /sys/class/tty: a COM name for each serial port with a UART
// behind it, none for the kernel's placeholders.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "files.h"
#include "port_names-posix.h"
#include "port_names.h"

namespace {

namespace fs = std::filesystem;
using vr815::test::TempDir;

TEST(TtySNames, EachSerialPortWithAUartIsCom1HigherAndPlaceholdersAreLeftOut) {
  TempDir sys;
  ASSERT_FALSE(sys.path.empty());
  const struct {
    const char* entry;
    const char* type;  ///< the "type" file's text; null: no such file
  } entries[] = {
      {"ttyS0", "4\n"},   {"ttyS1", "0\n"},   {"ttyS9", "4\n"},
      {"ttyS2", nullptr}, {"ttyUSB0", "4\n"}, {"ttyS", "4\n"},
      {"tty1", "4\n"},    {"ttyS3x", "4\n"},
  };
  for (const auto& e : entries) {
    fs::create_directory(sys.path / e.entry);
    if (e.type != nullptr) std::ofstream(sys.path / e.entry / "type") << e.type;
  }
  std::vector<char> buffer(kDeviceNameBufferSize, '\0');
  ASSERT_TRUE(read_tty_s_names(sys.path.c_str(), buffer.data(), buffer.size()));
  std::set<std::string> names;
  for (const char* p = buffer.data(); *p != '\0'; p += std::strlen(p) + 1) {
    names.insert(p);
  }
  EXPECT_EQ(names, (std::set<std::string>{"COM1", "COM10"}));

  EXPECT_FALSE(read_tty_s_names((sys.path / "missing").c_str(), buffer.data(),
                                buffer.size()));
}

}  // namespace
