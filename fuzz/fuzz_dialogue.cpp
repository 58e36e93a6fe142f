// Arbitrary standard input for the port selection dialogue. The first byte
// chooses how many ports are listed (none makes the dialogue ask for a name).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "port_selection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::vector<std::string> ports;
  for (int i = 0; i < data[0] % 4; ++i)
    ports.push_back("COM" + std::to_string(i + 1));
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::fopen("/dev/null", "w");
  if (in == nullptr || out == nullptr) __builtin_trap();
  std::fwrite(data + 1, 1, size - 1, in);
  std::rewind(in);
  const std::string port = select_com_port(ports, in, out);
  std::fclose(in);
  std::fclose(out);
  // Whatever was typed, the result is a name of at most 63 characters.
  if (port.empty() || port.size() > 63) __builtin_trap();
  return 0;
}
