// A stand-in for a C++ runtime DLL (vcruntime140.dll, msvcp140d.dll, ...):
// a module that imports it names it in its import table, which is all the
// configure-time check of the maker's DLL reads.
extern "C" __declspec(dllexport) int vr815_runtime_probe() { return 0; }
