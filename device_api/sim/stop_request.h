// The request to stop the simulated device: SIGTERM, SIGHUP or SIGINT on
// POSIX systems, Ctrl-C, Ctrl-Break or the console closing on Windows.
// stop_request-posix.cpp, stop_request-win32.cpp.
#ifndef VR815_SIM_STOP_REQUEST_H
#define VR815_SIM_STOP_REQUEST_H

namespace vr815::sim {

/// From now on a stop request sets a flag instead of ending the process.
void catch_stop_requests();
/// From now on Ctrl-C (SIGINT, Ctrl-Break) is no stop request: a program
/// the device hosts gets it from the console too, and decides.
void ignore_interrupts();
/// Whether a stop was requested since catch_stop_requests.
bool stop_requested();

}  // namespace vr815::sim

#endif  // VR815_SIM_STOP_REQUEST_H
