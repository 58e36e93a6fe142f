// The lines in which every stage of a run reports, and the status rule.
#ifndef VR815_REPORT_H
#define VR815_REPORT_H

#include <cstdint>

/// "\n[number] title\n": an empty line, then the step's number and title.
void print_step_header(int number, const char* title);

/// "  [ OK ] text\n".
void print_ok_line(const char* text);

/// "  [FAIL] name (code=status)\n", the status as a signed decimal.
void print_fail_line(const char* name, int32_t status);

/// The status rule: 0 gives the OK line with the name, any other status the
/// FAIL line with the name and the status.
void report_status(const char* name, int32_t status);

#endif  // VR815_REPORT_H
