// The outcome of one read or write on a line.
#ifndef VR815_IO_RESULT_H
#define VR815_IO_RESULT_H

namespace vr815 {

/// Ok: done; Timeout: the time given ran out; LineError: the line failed or
/// the other end went away.
enum class IoResult { Ok, Timeout, LineError };

}  // namespace vr815

#endif  // VR815_IO_RESULT_H
