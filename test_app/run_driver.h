// A whole run of the harness: port and baud rate, banner, stage 0, the
// device sequence, the final key press and the exit status.
#ifndef VR815_RUN_DRIVER_H
#define VR815_RUN_DRIVER_H

#include <cstdint>

#include "port_names.h"

/// What a run asks of the machine it runs on, handed in as one value: the
/// program hands in the platform's, tests their own, so that a run can be
/// driven without the machine's devices, clock and console.
struct Machine {
  DeviceNameSource device_names;  ///< the system's names, for the dialogue
  void (*pause_ms)(int32_t ms);   ///< before each device call after the open
  void (*wait_for_key)();         ///< after the run's last line
};

/// The platform's machine: read_device_names, console_sleep_ms and
/// console_wait_for_key.
Machine platform_machine();

/// Runs the harness as the program does with these arguments (argv[0] is
/// the program). With no port argument the port selection dialogue runs
/// first. Returns 0 when the device was opened, -1 when the open failed.
int run_harness(int argc, const char* const* argv, const Machine& machine);

#endif  // VR815_RUN_DRIVER_H
