/* The runtime's <stdlib.h>, with atexit and _onexit as this target's C++
   runtime has them: functions of each module's own (registering with the
   module's exit table), not imports from the runtime DLL. */
#ifndef VR815_OVERLAY_STDLIB_H
#define VR815_OVERLAY_STDLIB_H

#define atexit vr815_overlay_runtime_atexit
#define _onexit vr815_overlay_runtime_onexit
#include_next <stdlib.h>
#undef atexit
#undef _onexit

#ifdef __cplusplus
extern "C" {
#endif
int __cdecl atexit(void(__cdecl* function)(void));
_onexit_t __cdecl _onexit(_onexit_t function);
#ifdef __cplusplus
}
#endif

#endif
