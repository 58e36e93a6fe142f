// The device exercise: open the device, read it, set channel 1 up, trigger
// it once by software and close it, reporting every step.
#ifndef VR815_DEVICE_SEQUENCE_H
#define VR815_DEVICE_SEQUENCE_H

#include <cstdint>

/// Waits before each device call after the open; takes milliseconds.
using PauseFunction = void (*)(int32_t ms);

/// Length of the wait before each device call after the open.
constexpr int32_t kPauseBeforeCallMs = 500;

/// Runs the sequence on the port at the baud rate; true when the device was
/// opened. A failed open prints its FAIL and hint lines and makes no other
/// library call; any other failure is reported and the sequence goes on.
bool run_device_sequence(const char* port, int32_t baud,
                         PauseFunction pause_before_call);

#endif  // VR815_DEVICE_SEQUENCE_H
