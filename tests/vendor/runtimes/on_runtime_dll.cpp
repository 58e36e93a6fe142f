// A maker's DLL built on a C++ runtime DLL: it imports the stand-in for
// that runtime it is linked to.
extern "C" int vr815_runtime_probe();

extern "C" __declspec(dllexport) int vr815_fixture() {
  return vr815_runtime_probe();
}
