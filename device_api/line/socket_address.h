// Names of TCP lines: "socket://HOST:PORT", as a port name the library
// opens, and "[HOST:]PORT", where the simulated device listens.
#ifndef VR815_SOCKET_ADDRESS_H
#define VR815_SOCKET_ADDRESS_H

#include <cstdint>
#include <string>
#include <string_view>

namespace vr815 {

/// The IPv4 loopback address: the host "localhost" names, and the one a
/// listening end without a host listens on.
constexpr std::string_view kLoopbackHost = "127.0.0.1";

/// A numeric IPv4 or IPv6 address and a TCP port.
struct SocketAddress {
  std::string host;  ///< numeric, IPv6 without brackets: "127.0.0.1", "::1"
  uint16_t port = 0;
};

/// Whether the port name asks for a TCP line (starts with "socket://").
bool is_socket_name(std::string_view name);

/// Reads "socket://HOST:PORT": HOST a numeric IPv4 address, a numeric IPv6
/// address in brackets, or "localhost" (127.0.0.1); PORT 1 to 65535. False
/// for anything else; no host name is ever looked up.
bool parse_socket_name(std::string_view name, SocketAddress* out);

/// Reads "[HOST:]PORT" as for a listening end: HOST as above, 127.0.0.1
/// when left out; PORT 0 (any free port) to 65535.
bool parse_listen_address(std::string_view text, SocketAddress* out);

/// "socket://HOST:PORT", an IPv6 host in brackets: the name a client opens.
std::string socket_name(const SocketAddress& address);

}  // namespace vr815

#endif  // VR815_SOCKET_ADDRESS_H
