#include "module.h"

#include <stdlib.h>

// The constructors of statics, which the compiler puts in the sections
// .CRT$XCU, lie between these two, in the sections the linker sorts by the
// name after '$'.
extern "C" {
#pragma section(".CRT$XCA", read)
#pragma section(".CRT$XCZ", read)
__declspec(allocate(".CRT$XCA")) _PVFV __xc_a[] = {nullptr};
__declspec(allocate(".CRT$XCZ")) _PVFV __xc_z[] = {nullptr};
}

namespace {
_onexit_table_t g_exit_table;
}

namespace vr815_msvc {

void start_module() {
  _initialize_onexit_table(&g_exit_table);
  for (_PVFV* f = __xc_a; f < __xc_z; ++f) {
    if (*f != nullptr) (*f)();
  }
}

void __cdecl run_exit_table() { _execute_onexit_table(&g_exit_table); }

}  // namespace vr815_msvc

// Each module's own: a DLL's run when it is unloaded, a program's at exit.
extern "C" _onexit_t __cdecl _onexit(_onexit_t function) {
  return _register_onexit_function(&g_exit_table, function) == 0 ? function
                                                                 : nullptr;
}

extern "C" int __cdecl atexit(_PVFV function) {
  return _onexit(reinterpret_cast<_onexit_t>(function)) != nullptr ? 0 : -1;
}
