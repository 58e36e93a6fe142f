// Deadlines of the line's calls: every wait is cut to the time the caller
// gave.
#ifndef VR815_DEADLINE_H
#define VR815_DEADLINE_H

#include <chrono>

namespace vr815 {

using Clock = std::chrono::steady_clock;

/// The moment timeout_ms from now; a negative timeout is now.
inline Clock::time_point deadline_after(int timeout_ms) {
  return Clock::now() +
         std::chrono::milliseconds(timeout_ms > 0 ? timeout_ms : 0);
}

/// Whole milliseconds left until the deadline, 0 once it has passed.
inline int remaining_ms(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace vr815

#endif  // VR815_DEADLINE_H
