#include <cstring>

#include "number_text.h"
#include "port_selection.h"

namespace {

const char kDefaultPort[] = "COM3";

// One answer line, at most 63 characters as fgets takes them into 64 bytes.
// The rest of a longer line is read and dropped, so that nothing of this
// answer is left to be taken for a later key press.
bool read_answer(std::FILE* in, char (&line)[64]) {
  if (std::fgets(line, sizeof line, in) == nullptr) return false;
  if (std::strchr(line, '\n') == nullptr) {
    int c;
    do {
      c = std::fgetc(in);
    } while (c != EOF && c != '\n');
  }
  return true;
}

std::string type_port_name(std::FILE* in, std::FILE* out) {
  std::fputs("No COM ports detected automatically.\n", out);
  std::fputs("Type port name manually (e.g. COM3, COM50): ", out);
  std::fflush(out);
  char line[64];
  if (!read_answer(in, line)) return kDefaultPort;
  size_t len = std::strlen(line);
  while (len > 0 && (line[len - 1] == '\n' || line[len - 1] == '\r')) {
    line[--len] = '\0';
  }
  return len == 0 ? std::string(kDefaultPort) : std::string(line, len);
}

std::string pick_port(const std::vector<std::string>& ports, std::FILE* in,
                      std::FILE* out) {
  std::fputs("Available COM ports:\n", out);
  for (size_t i = 0; i < ports.size(); ++i) {
    std::fprintf(out, "  [%zu] %s\n", i + 1, ports[i].c_str());
  }
  std::fputs("Select port by number (Enter for default COM3): ", out);
  std::fflush(out);
  char line[64];
  if (!read_answer(in, line)) return kDefaultPort;
  if (line[0] == '\0' || line[0] == '\n' || line[0] == '\r') {
    return kDefaultPort;
  }
  const int32_t choice = read_int32_saturating(line);
  if (choice >= 1 && static_cast<size_t>(choice) <= ports.size()) {
    return ports[static_cast<size_t>(choice) - 1];
  }
  std::fputs("Invalid selection, using COM3.\n", out);
  return kDefaultPort;
}

}  // namespace

std::string select_com_port(const std::vector<std::string>& ports,
                            std::FILE* in, std::FILE* out) {
  return ports.empty() ? type_port_name(in, out) : pick_port(ports, in, out);
}

std::string SelectComPort(DeviceNameSource device_names) {
  return select_com_port(EnumerateComPorts(device_names), stdin, stdout);
}
