// A maker's DLL built with MinGW-w64: it grows a std::vector, so it
// imports libstdc++'s DLL.
#include <vector>

extern "C" __declspec(dllexport) int vr815_fixture() {
  std::vector<int> frame;
  frame.push_back(1);
  return static_cast<int>(frame.size());
}
