// Waits for runs of the harness inside a test: they take no time and print
// nothing.
#ifndef VR815_TEST_INSTANT_WAITS_H
#define VR815_TEST_INSTANT_WAITS_H

#include <cstdint>

namespace vr815::test {

/// The pause before a device call, without the pause.
inline void no_pause(int32_t) {}

/// The final wait for a key, without the wait.
inline void no_key() {}

}  // namespace vr815::test

#endif  // VR815_TEST_INSTANT_WAITS_H
