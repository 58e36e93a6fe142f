// What vr815-test prints for a run against vr815-sim at power-on, built from
// what each library call returned, so that whole reports can be compared
// byte for byte.
#ifndef VR815_E2E_RUN_REPORT_H
#define VR815_E2E_RUN_REPORT_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vr815::e2e {

/// The library calls of a run after the open that go out on the line, in
/// order; the close comes after them and sends nothing.
constexpr size_t kCalls = 10;

/// The protocol command each call sends, named as vr815-sim's --fail takes it.
extern const char* const kCallCommand[kCalls];

/// The statuses the calls returned; all 0 is a run in which all went well.
using CallStatuses = std::array<int32_t, kCalls>;

/// The first two lines of every run.
std::string banner(const std::string& port, int32_t baud);

/// The end of a run whose open failed, from the step header of the open on.
std::string open_failed_tail();

/// The whole standard output of vr815-test with the port and baud rate:
/// opened, with these statuses and the sim's power-on readings, or (when
/// not opened) a failed open. The handle is masked as mask_handle does.
std::string expected_report(const std::string& port, int32_t baud,
                            bool opened, const CallStatuses& statuses);

/// The report with the handle's sixteen hex digits replaced by "<handle>".
std::string mask_handle(std::string report);

}  // namespace vr815::e2e

#endif  // VR815_E2E_RUN_REPORT_H
