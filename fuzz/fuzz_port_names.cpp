// Arbitrary bytes as the system's device name buffer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "port_selection.h"

namespace {

// The port's number, worked out here from its digits: a number beyond the
// signed 32-bit range counts as the largest.
uint64_t port_number(const std::string& name) {
  constexpr uint64_t kLargest = 2147483647;
  uint64_t number = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    number = number * 10 + static_cast<uint64_t>(name[i] - '0');
    if (number > kLargest) return kLargest;
  }
  return number;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy so that any read past the end is caught.
  std::vector<char> names(data, data + size);
  const std::vector<std::string> ports =
      com_ports_from_names(names.data(), names.size());
  for (size_t i = 0; i < ports.size(); ++i) {
    if (ports[i].size() <= 3) __builtin_trap();
    for (size_t c = 3; c < ports[i].size(); ++c) {
      if (ports[i][c] < '0' || ports[i][c] > '9') __builtin_trap();
    }
    // Ascending by number.
    if (i > 0 && port_number(ports[i - 1]) > port_number(ports[i])) {
      __builtin_trap();
    }
  }
  return 0;
}
