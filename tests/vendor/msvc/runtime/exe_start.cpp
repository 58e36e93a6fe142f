// The entry point of a console program: the C runtime told of the program
// and its command line, the module started, then main, whose result is the
// exit status. The C runtime's exit runs the module's exit table.
#include <stdlib.h>

#include "module.h"

extern "C" {

_ACRTIMP int* __cdecl __p___argc(void);
_ACRTIMP char*** __cdecl __p___argv(void);
int __cdecl main(int argc, char** argv);

int __cdecl mainCRTStartup(void) {
  _set_app_type(_crt_console_app);
  _configure_narrow_argv(_crt_argv_unexpanded_arguments);
  _initialize_narrow_environment();
  vr815_msvc::start_module();
  _crt_atexit(&vr815_msvc::run_exit_table);
  exit(main(*__p___argc(), *__p___argv()));
}

}  // extern "C"
