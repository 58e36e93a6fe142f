// The machine as runs of the harness inside a test see it: waits that take
// no time and print nothing, and name sources in place of the system's.
#ifndef VR815_TEST_FAKE_MACHINE_H
#define VR815_TEST_FAKE_MACHINE_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vr815::test {

/// The pause before a device call, without the pause.
inline void no_pause(int32_t) {}

/// The final wait for a key, without the wait.
inline void no_key() {}

/// A machine that offers COM4, LPT1 and COM1, in that order.
inline bool listed_port_names(char* buffer, size_t size) {
  static const char kNames[] = "COM4\0LPT1\0COM1\0";
  if (size < sizeof kNames) return false;
  std::memcpy(buffer, kNames, sizeof kNames);
  return true;
}

/// A machine whose system lists no serial port at all.
inline bool no_port_names(char* buffer, size_t size) {
  if (size > 0) buffer[0] = '\0';
  return true;
}

}  // namespace vr815::test

#endif  // VR815_TEST_FAKE_MACHINE_H
