#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <utility>

#include "port_selection.h"

namespace {

bool is_com_port_name(const char* name, size_t len) {
  if (len <= 3) return false;
  static const char kPrefix[] = "COM";
  for (size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != kPrefix[i]) {
      return false;
    }
  }
  for (size_t i = 3; i < len; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

/// A port name's number as its sort key: a number beyond the signed 32-bit
/// range is one past the largest, so that its name sorts after every other.
int64_t port_number(const char* digits) {
  int64_t n = 0;
  for (; *digits != '\0'; ++digits) {
    n = n * 10 + (*digits - '0');
    if (n > INT32_MAX) return int64_t{INT32_MAX} + 1;
  }
  return n;
}

}  // namespace

std::vector<std::string> com_ports_from_names(const char* names, size_t size) {
  std::vector<std::pair<int64_t, std::string>> found;
  size_t pos = 0;
  while (pos < size && names[pos] != '\0') {
    const void* end = std::memchr(names + pos, '\0', size - pos);
    if (end == nullptr) break;
    const size_t len =
        static_cast<size_t>(static_cast<const char*>(end) - (names + pos));
    if (is_com_port_name(names + pos, len)) {
      std::string name(names + pos, len);
      found.emplace_back(port_number(name.c_str() + 3), std::move(name));
    }
    pos += len + 1;
  }
  std::stable_sort(
      found.begin(), found.end(),
      [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> ports;
  ports.reserve(found.size());
  for (auto& entry : found) ports.push_back(std::move(entry.second));
  return ports;
}

std::vector<std::string> EnumerateComPorts(DeviceNameSource device_names) {
  std::vector<char> names(kDeviceNameBufferSize, '\0');
  if (!device_names(names.data(), names.size())) return {};
  return com_ports_from_names(names.data(), names.size());
}
