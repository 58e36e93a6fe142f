// The line to the device: a serial port, or a TCP connection that stands in
// for one ("socket://HOST:PORT"). Callers never learn which.
#ifndef VR815_LINE_H
#define VR815_LINE_H

#include <cstddef>
#include <cstdint>

#include "io_result.h"

namespace vr815 {

struct Line;

/// Longest time line_open waits for a TCP connection.
constexpr int kConnectTimeoutMs = 2000;

/// Opens the line by name: "socket://HOST:PORT" connects within
/// kConnectTimeoutMs, any other name is a serial port ("COM<n>" or a device
/// path) opened for exclusive use. The baud rate must be one a serial port
/// takes, on a TCP line too, where it is otherwise unused. Null on failure.
Line* line_open(const char* name, int32_t baud);
/// Closes the line; a null line is ignored.
void line_close(Line* line);

/// Drops whatever has arrived and not yet been read.
void line_discard_input(Line* line);
/// Writes all len bytes within timeout_ms.
IoResult line_write(Line* line, const uint8_t* data, size_t len,
                    int timeout_ms);
/// Reads at least one and at most len bytes, waiting up to timeout_ms for
/// the first; *got is the number read. A hang-up, or the peer closing a
/// TCP line, is a LineError.
IoResult line_read(Line* line, uint8_t* buf, size_t len, int timeout_ms,
                   size_t* got);

}  // namespace vr815

#endif  // VR815_LINE_H
