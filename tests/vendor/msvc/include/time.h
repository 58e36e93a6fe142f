/* The runtime's <time.h> with the C11 struct timespec and timespec_get,
   which a C++ standard library's clocks and threads expect of it. */
#ifndef VR815_OVERLAY_TIME_H
#define VR815_OVERLAY_TIME_H

#include_next <time.h>

#ifndef TIME_UTC
#define TIME_UTC 1
#endif

#ifdef __cplusplus
extern "C" {
#endif

struct _timespec64 {
  __time64_t tv_sec;
  long tv_nsec;
};
struct timespec {
  time_t tv_sec;
  long tv_nsec;
};
_ACRTIMP int __cdecl _timespec64_get(struct _timespec64* ts, int base);
static __inline int __cdecl timespec_get(struct timespec* ts, int base) {
  return _timespec64_get((struct _timespec64*)ts, base);
}

#ifdef __cplusplus
}
#endif

#endif
