// A scriptable stand-in for VR815_DLL, built as a shared library with the
// same interface, so that the harness can be run against any outcome of the
// library's calls. Besides the interface it exports the scripting below.
#ifndef VR815_TEST_FAKE_LIBRARY_H
#define VR815_TEST_FAKE_LIBRARY_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "VR815_DLL.h"

namespace vr815::test {

/// What the fake library answers until the next fake_library_load.
struct FakeScript {
  bool null_handle = false;  ///< vr815_init fails
  uintptr_t handle = 0x1F0;  ///< the handle vr815_init gives out
  /// Status by function name ("vr815_set_delay") or by the n-th call of a
  /// function ("vr815_set_trigger#2", counted from 1, taking precedence);
  /// 0 for any call not named.
  std::map<std::string, int32_t> status;
  float temperature = 25.5f;
  int64_t delay_ns = 10;
  int64_t width_ns = 100;
  int32_t trig_mode = 0;
  double trig_freq_hz = 1000.0;
};

/// Takes the script and forgets the calls recorded so far.
VR815_API void fake_library_load(const FakeScript& script);

/// Every call made since the last load, in order, with its arguments, e.g.
/// "vr815_set_delay(h, 1, 10)". The handle given out shows as h, any other
/// as "other". Encoder calls show the command and parameter in hex, the
/// data, and the frame's size on entry: "BuildFrame(93, 0000, null, 0,
/// size=0)", "BuildFrameU32(05, 0000, [250000], size=0)",
/// "DumpFrame(label=null)".
VR815_API std::vector<std::string> fake_library_calls();

}  // namespace vr815::test

#endif  // VR815_TEST_FAKE_LIBRARY_H
