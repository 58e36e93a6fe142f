// Arbitrary bytes as the system's device name buffer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "port_selection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy so that any read past the end is caught.
  std::vector<char> names(data, data + size);
  const std::vector<std::string> ports =
      com_ports_from_names(names.data(), names.size());
  for (size_t i = 1; i < ports.size(); ++i) {
    if (ports[i].size() <= 3) __builtin_trap();
  }
  return 0;
}
