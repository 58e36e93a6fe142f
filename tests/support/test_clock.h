// The time helpers tests share: how long since a moment, how long until a
// deadline, in whole milliseconds on the steady clock.
#ifndef VR815_TEST_CLOCK_H
#define VR815_TEST_CLOCK_H

#include <chrono>
#include <cstdint>

namespace vr815::test {

using Clock = std::chrono::steady_clock;

/// Slack over a documented bound for a loaded machine.
constexpr int kSlackMs = 150;

/// Whole milliseconds since start.
inline int64_t ms_since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                               start)
      .count();
}

/// Whole milliseconds left until the deadline, 0 once it has passed.
inline int remaining_ms(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace vr815::test

#endif  // VR815_TEST_CLOCK_H
