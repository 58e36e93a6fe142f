// How the POSIX serial line names its ports, apart from the open, so that
// tests read a name's device node without a port behind it.
#ifndef VR815_SERIAL_PORT_POSIX_H
#define VR815_SERIAL_PORT_POSIX_H

#include <string>

namespace vr815 {

/// Highest n of a port name "COM<n>".
constexpr long kMaxComNumber = 256;

/// The device node a port name opens: a name containing '/' is a path as
/// given; "COM<n>" (any case, n from 1 to kMaxComNumber without leading
/// zeros) is /dev/ttyS<n-1>. False, and *path untouched, for any other name.
bool serial_device_path(const char* name, std::string* path);

}  // namespace vr815

#endif  // VR815_SERIAL_PORT_POSIX_H
