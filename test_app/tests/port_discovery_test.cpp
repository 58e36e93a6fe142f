#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fake_machine.h"
#include "port_names.h"
#include "port_selection.h"

namespace {

using Names = std::vector<std::string>;

// A system name list as the system gives it: each name ended by a zero
// byte, the list by an empty name.
std::string name_list(const Names& names) {
  std::string list;
  for (const std::string& n : names) list += n + '\0';
  return list + '\0';
}

Names ports_of(const std::string& list) {
  // An exact-size heap copy, so that a read past the end is caught by the
  // address sanitizer.
  std::vector<char> buffer(list.begin(), list.end());
  return com_ports_from_names(buffer.data(), buffer.size());
}

struct Case {
  const char* what;
  Names system;
  Names expected;
};

TEST(ComPortsFromNames, FiltersAndSortsByPortNumber) {
  const Case cases[] = {
      {"numeric, not text order",
       {"COM10", "COM2", "LPT1", "COM1"},
       {"COM1", "COM2", "COM10"}},
      {"case kept", {"com4"}, {"com4"}},
      {"empty list", {}, {}},
      {"filter",
       {"COM", "COMX", "COM1A", "LPT1", "CNCA0", "COM 1", "COM-1", "COM+1",
        "Com7", "com12", "XCOM1", "COM1 "},
       {"Com7", "com12"}},
      {"equal numbers keep the system's order",
       {"COM03", "COM3", "com3"},
       {"COM03", "COM3", "com3"}},
      {"beyond 32 bits sorts last",
       {"COM99999999999", "COM2", "COM4294967297", "COM2147483646"},
       {"COM2", "COM2147483646", "COM99999999999", "COM4294967297"}},
      {"the largest 32-bit number before the first beyond",
       {"COM2147483648", "COM2147483647"},
       {"COM2147483647", "COM2147483648"}},
      {"device paths are not ports", {"\\Device\\Serial0", "COM5"}, {"COM5"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ports_of(name_list(c.system)), c.expected) << c.what;
  }
}

TEST(ComPortsFromNames, EmptyBuffer) {
  EXPECT_TRUE(com_ports_from_names(nullptr, 0).empty());
}

TEST(ComPortsFromNames, FullBufferWithoutClosingName) {
  // The system filled all 64 KiB with names and had no room for the closing
  // empty name; the last name is cut off before its zero byte.
  std::string list;
  for (int n = 1; list.size() < kDeviceNameBufferSize; ++n) {
    list += "COM" + std::to_string(n) + '\0';
  }
  list.resize(kDeviceNameBufferSize);
  ASSERT_NE(list.back(), '\0');
  const Names ports = ports_of(list);
  ASSERT_FALSE(ports.empty());
  EXPECT_EQ(ports.front(), "COM1");
  // Every whole name is kept; the cut one is not.
  const size_t whole =
      static_cast<size_t>(std::count(list.begin(), list.end(), '\0'));
  EXPECT_EQ(ports.size(), whole);
  EXPECT_EQ(ports.back(), "COM" + std::to_string(whole));
}

TEST(ComPortsFromNames, FullBufferEndingExactly) {
  // Names fill the buffer to its last byte, which is the closing zero.
  std::string list;
  size_t added = 0;
  for (; list.size() + 6 < kDeviceNameBufferSize; ++added) {
    list += std::string("COM7") + '\0';
  }
  list += std::string(kDeviceNameBufferSize - list.size() - 1, '9');
  list += '\0';
  ASSERT_EQ(list.size(), kDeviceNameBufferSize);
  const Names ports = ports_of(list);
  EXPECT_EQ(ports.back(), "COM7");  // the long run of nines is no COM name
  EXPECT_EQ(ports.size(), added);
}

// A system that fails the call after writing names: they do not count.
bool failing_source(char* buffer, size_t size) {
  if (size >= 6) std::memcpy(buffer, "COM1\0", 6);
  return false;
}

// A system that gives one name and leaves the list's end to the zeroed
// buffer of the full size.
bool one_name_source(char* buffer, size_t size) {
  if (size != kDeviceNameBufferSize) return false;
  std::memcpy(buffer, "COM2", 4);
  return true;
}

TEST(EnumerateComPorts, TheSourcesNamesFilteredAndSorted) {
  const struct {
    const char* what;
    DeviceNameSource source;
    Names expected;
  } cases[] = {
      {"ports and a printer", vr815::test::listed_port_names, {"COM1", "COM4"}},
      {"no serial port", vr815::test::no_port_names, {}},
      {"the system cannot be asked", failing_source, {}},
      {"one name in a zeroed buffer", one_name_source, {"COM2"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EnumerateComPorts(c.source), c.expected) << c.what;
  }
}

}  // namespace
