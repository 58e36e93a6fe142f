// The entry point of a DLL: the module started when the DLL is loaded, its
// exit table run when it is unloaded.
#include <windows.h>

#include "module.h"

extern "C" BOOL WINAPI _DllMainCRTStartup(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    vr815_msvc::start_module();
  } else if (reason == DLL_PROCESS_DETACH) {
    vr815_msvc::run_exit_table();
  }
  return TRUE;
}
