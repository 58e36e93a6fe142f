// Reading numbers typed by the operator or given on the command line.
#ifndef VR815_NUMBER_TEXT_H
#define VR815_NUMBER_TEXT_H

#include <cstdint>

/// Reads a decimal number the way atoi does (leading white space skipped, an
/// optional sign, digits up to the first other character; no digits gives 0)
/// but defined on every platform: a value beyond the signed 32-bit range
/// reads as INT32_MAX, or INT32_MIN when negative. A null text reads as 0.
int32_t read_int32_saturating(const char* text);

#endif  // VR815_NUMBER_TEXT_H
