// A serial line opened for exclusive use, raw 8N1. One implementation per
// platform: serial_port-posix.cpp, serial_port-win32.cpp.
#ifndef VR815_SERIAL_PORT_H
#define VR815_SERIAL_PORT_H

#include <cstddef>
#include <cstdint>

#include "io_result.h"

namespace vr815 {

struct SerialPort;

/// Opens the port by name ("COM<n>" or a device path) at the baud rate, for
/// exclusive use. Null when it cannot be opened, is in use, is not a serial
/// device (refused without opening it), or the rate is not one the system
/// can set.
SerialPort* serial_open(const char* name, int32_t baud);
/// Whether serial_open can set the baud rate at all (the port may still
/// refuse it).
bool serial_baud_supported(int32_t baud);
/// Closes the port and frees it; a null port is ignored.
void serial_close(SerialPort* port);

/// Drops whatever the line has received and not yet been read; a null port
/// is ignored.
void serial_discard_input(SerialPort* port);

/// Writes all len bytes within timeout_ms; a null port is a LineError.
IoResult serial_write(SerialPort* port, const uint8_t* data, size_t len,
                      int timeout_ms);
/// Reads at least one and at most len bytes, waiting up to timeout_ms for
/// the first; *got is the number read. A hang-up and a null port are a
/// LineError.
IoResult serial_read(SerialPort* port, uint8_t* buf, size_t len, int timeout_ms,
                     size_t* got);

}  // namespace vr815

#endif  // VR815_SERIAL_PORT_H
