// A maker's DLL on a static runtime: it imports no C++ runtime DLL.
extern "C" __declspec(dllexport) int vr815_fixture() { return 0; }
