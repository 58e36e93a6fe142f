// Where the list of the machine's device names comes from. One source per
// platform, read_device_names in port_names-posix.cpp and
// port_names-win32.cpp; a run is handed its source with the rest of the
// machine (run_driver.h), so tests hand in sources of their own.
#ifndef VR815_PORT_NAMES_H
#define VR815_PORT_NAMES_H

#include <cstddef>

/// Size of the name buffer handed to a name source.
constexpr size_t kDeviceNameBufferSize = 0x10000;

/// A source of device names: fills the zeroed buffer with the system's
/// device names, each ended by a zero byte, the list ended by an empty name.
/// False when the system cannot be asked; the buffer's content is then not
/// used.
using DeviceNameSource = bool (*)(char* buffer, size_t size);

/// The platform's name source.
bool read_device_names(char* buffer, size_t size);

#endif  // VR815_PORT_NAMES_H
