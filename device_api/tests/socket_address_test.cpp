// Names of TCP lines: the numbers in them, taken to the edges of their
// ranges and refused one past, for the library's socket:// names and the
// simulated device's listening address alike.
#include <gtest/gtest.h>

#include <string>

#include "socket_address.h"

namespace {

using vr815::parse_listen_address;
using vr815::parse_socket_name;
using vr815::SocketAddress;

TEST(SocketAddress, NumbersAreTakenToTheEdgesOfTheirRangesAndNoFurther) {
  const struct {
    const char* text;
    bool (*parse)(std::string_view, SocketAddress*);
    bool taken;
    const char* host;  ///< as read, when taken
    uint16_t port;
  } cases[] = {
      // A host opens ports 1 to 65535.
      {"socket://127.0.0.1:0", parse_socket_name, false, "", 0},
      {"socket://127.0.0.1:1", parse_socket_name, true, "127.0.0.1", 1},
      {"socket://127.0.0.1:65535", parse_socket_name, true, "127.0.0.1", 65535},
      {"socket://127.0.0.1:65536", parse_socket_name, false, "", 0},
      // A listening end takes 0 (a free port) to 65535.
      {"0", parse_listen_address, true, "127.0.0.1", 0},
      {"65535", parse_listen_address, true, "127.0.0.1", 65535},
      {"65536", parse_listen_address, false, "", 0},
      {"[::1]:65535", parse_listen_address, true, "::1", 65535},
      {"[::1]:65536", parse_listen_address, false, "", 0},
      // Each part of an IPv4 address is 0 to 255.
      {"socket://0.0.0.0:5000", parse_socket_name, true, "0.0.0.0", 5000},
      {"socket://255.255.255.255:5000", parse_socket_name, true,
       "255.255.255.255", 5000},
      {"socket://256.0.0.1:5000", parse_socket_name, false, "", 0},
      {"socket://127.0.0.256:5000", parse_socket_name, false, "", 0},
      {"255.0.0.1:7", parse_listen_address, true, "255.0.0.1", 7},
      {"127.256.0.1:7", parse_listen_address, false, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    SocketAddress a;
    a.host = "unread";
    a.port = 4242;
    ASSERT_EQ(c.parse(c.text, &a), c.taken);
    if (c.taken) {
      EXPECT_EQ(a.host, c.host);
      EXPECT_EQ(a.port, c.port);
    } else {
      EXPECT_EQ(a.host, "unread");  // a refused name leaves nothing behind
      EXPECT_EQ(a.port, 4242);
    }
  }
}

}  // namespace
