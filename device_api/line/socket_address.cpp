#include "socket_address.h"

namespace vr815 {

namespace {

constexpr std::string_view kScheme = "socket://";

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_hex_digit(char c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

/// Four decimal numbers 0 to 255 joined by dots, without leading zeros.
bool is_ipv4(std::string_view text) {
  int parts = 0;
  size_t pos = 0;
  while (parts < 4) {
    size_t end = pos;
    while (end < text.size() && is_digit(text[end])) ++end;
    const std::string_view part = text.substr(pos, end - pos);
    if (part.empty() || part.size() > 3 ||
        (part.size() > 1 && part[0] == '0') ||
        std::stoi(std::string(part)) > 255) {
      return false;
    }
    ++parts;
    if (end == text.size()) return parts == 4;
    if (text[end] != '.') return false;
    pos = end + 1;
  }
  return false;
}

/// The characters of an IPv6 address; the system checks the rest when the
/// address is used.
bool looks_ipv6(std::string_view text) {
  if (text.size() < 2 || text.size() > 45 ||
      text.find(':') == std::string_view::npos) {
    return false;
  }
  for (char c : text) {
    if (!is_hex_digit(c) && c != ':' && c != '.') return false;
  }
  return true;
}

bool read_host(std::string_view text, std::string* host) {
  if (text == "localhost") {
    *host = kLoopbackHost;
    return true;
  }
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
    const std::string_view inner = text.substr(1, text.size() - 2);
    if (!looks_ipv6(inner)) return false;
    *host = inner;
    return true;
  }
  if (!is_ipv4(text)) return false;
  *host = text;
  return true;
}

bool read_port(std::string_view text, uint16_t lowest, uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  long value = 0;
  for (char c : text) {
    if (!is_digit(c)) return false;
    value = value * 10 + (c - '0');
  }
  if (value < lowest || value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

/// "HOST:PORT", split at the last colon (an IPv6 host is in brackets).
bool read_host_port(std::string_view text, uint16_t lowest,
                    SocketAddress* out) {
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return false;
  SocketAddress a;
  if (!read_host(text.substr(0, colon), &a.host) ||
      !read_port(text.substr(colon + 1), lowest, &a.port)) {
    return false;
  }
  *out = a;
  return true;
}

}  // namespace

bool is_socket_name(std::string_view name) {
  return name.substr(0, kScheme.size()) == kScheme;
}

bool parse_socket_name(std::string_view name, SocketAddress* out) {
  return is_socket_name(name) &&
         read_host_port(name.substr(kScheme.size()), 1, out);
}

bool parse_listen_address(std::string_view text, SocketAddress* out) {
  if (text.find(':') == std::string_view::npos) {
    SocketAddress a;
    a.host = kLoopbackHost;
    if (!read_port(text, 0, &a.port)) return false;
    *out = a;
    return true;
  }
  return read_host_port(text, 0, out);
}

std::string socket_name(const SocketAddress& address) {
  const bool ipv6 = address.host.find(':') != std::string::npos;
  return std::string(kScheme) +
         (ipv6 ? "[" + address.host + "]" : address.host) + ":" +
         std::to_string(address.port);
}

}  // namespace vr815
