// The line to the device: a serial port, or a TCP connection that stands in
// for one ("socket://HOST:PORT"). Callers never learn which.
//
// Whatever holds a system resource, here and in the simulated device (a
// line, a listening socket, a transport), frees it in its destructor and is
// handed out as std::unique_ptr, so that no failure path closes anything by
// hand; only the library's C interface passes a line on as a bare handle.
#ifndef VR815_LINE_H
#define VR815_LINE_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "io_result.h"

namespace vr815 {

/// An open line; it is closed when it goes.
class Line {
 public:
  Line() = default;
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;
  virtual ~Line() = default;

  /// Drops whatever has arrived and not yet been read.
  virtual void discard_input() = 0;
  /// Writes all len bytes within timeout_ms, the whole call's bound however
  /// often it waits for the line to take more.
  virtual IoResult write(const uint8_t* data, size_t len, int timeout_ms) = 0;
  /// Reads at least one and at most len bytes, waiting up to timeout_ms for
  /// the first; *got is the number read. A hang-up, or the peer closing a
  /// TCP line, is a LineError.
  virtual IoResult read(uint8_t* buf, size_t len, int timeout_ms,
                        size_t* got) = 0;
};

/// Longest time line_open waits for a TCP connection.
constexpr int kConnectTimeoutMs = 2000;

/// Opens the line by name: "socket://HOST:PORT" connects within
/// kConnectTimeoutMs, any other name is a serial port ("COM<n>" or a device
/// path) opened for exclusive use. The baud rate must be the library's
/// lowest (VR815_MIN_BAUD) or above, and one a serial port takes, on a TCP
/// line too, where it is otherwise unused. Null on failure.
std::unique_ptr<Line> line_open(const char* name, int32_t baud);

}  // namespace vr815

#endif  // VR815_LINE_H
