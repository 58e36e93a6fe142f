// Where the list of the machine's device names comes from. One source per
// platform: port_names-posix.cpp, port_names-win32.cpp; tests link their own.
#ifndef VR815_PORT_NAMES_H
#define VR815_PORT_NAMES_H

#include <cstddef>

/// Size of the name buffer handed to read_device_names.
constexpr size_t kDeviceNameBufferSize = 0x10000;

/// Fills the zeroed buffer with the system's device names, each ended by a
/// zero byte, the list ended by an empty name. False when the system cannot
/// be asked; the buffer's content is then not used.
bool read_device_names(char* buffer, size_t size);

#endif  // VR815_PORT_NAMES_H
