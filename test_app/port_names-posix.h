// The POSIX name source over the folder where the kernel files its
// terminals (/sys/class/tty), handed in so that tests lay out one of their
// own.
#ifndef VR815_PORT_NAMES_POSIX_H
#define VR815_PORT_NAMES_POSIX_H

#include <cstddef>

/// As read_device_names, from the folder: COM<n+1> for each ttyS<n> in it
/// whose "type" is not 0 (a UART is there). False when the folder cannot be
/// read.
bool read_tty_s_names(const char* sys_class_tty, char* buffer, size_t size);

#endif  // VR815_PORT_NAMES_POSIX_H
