// A serial line opened for exclusive use, raw 8N1. One implementation per
// platform: serial_port-posix.cpp, serial_port-win32.cpp.
#ifndef VR815_SERIAL_PORT_H
#define VR815_SERIAL_PORT_H

#include <cstdint>
#include <memory>

#include "line.h"

namespace vr815 {

/// Opens the port by name ("COM<n>" or a device path) at the baud rate, for
/// exclusive use. Null when it cannot be opened, is in use, is not a serial
/// device (refused without opening it), or the rate is not one the system
/// can set. A read of the line reports a hang-up as a LineError.
std::unique_ptr<Line> serial_open(const char* name, int32_t baud);
/// Whether serial_open can set the baud rate at all (the port may still
/// refuse it).
bool serial_baud_supported(int32_t baud);

}  // namespace vr815

#endif  // VR815_SERIAL_PORT_H
