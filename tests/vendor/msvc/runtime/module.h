// A module's own tables, which its entry point runs: the constructors of its
// statics, and what it registers with atexit.
#ifndef VR815_MSVC_MODULE_H
#define VR815_MSVC_MODULE_H

#include <corecrt_startup.h>

// Behind this library, as behind Visual Studio's, the runtime's DLLs: each
// part that calls them names them.
#pragma comment(lib, "vcruntime.lib")
#pragma comment(lib, "ucrt.lib")

namespace vr815_msvc {

/// Initialises the exit table, then runs the constructors of statics.
void start_module();
/// Runs what atexit registered, the last registered first.
void __cdecl run_exit_table();

}  // namespace vr815_msvc

#endif
