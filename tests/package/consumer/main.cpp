// Calls the installed library both ways: the frame encoder, and a device
// function that must fail cleanly on a port that does not exist.
#include <cstdio>
#include <vector>

#include "VR815_DLL.h"

int main() {
  std::vector<uint8_t> frame;
  VR815DDG::BuildFrame(VR815DDG::READ_TEMP, 0, nullptr, 0, frame);
  VR815DDG::DumpFrame(frame, "READ_TEMP: ");
  void* handle = vr815_init("/nonexistent/vr815-port", 115200);
  std::printf("vr815_init: %s\n", handle == nullptr ? "null" : "a handle");
  vr815_close(handle);
  return handle == nullptr ? 0 : 1;
}
