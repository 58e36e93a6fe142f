/* The system's <winnt.h>. For clang it defines InterlockedCompareExchange128
   as an inline function named _InterlockedCompareExchange128, which clang-cl
   has as a built-in function of its own and refuses to see defined: the
   inline function is renamed here, and the macro names the built-in. */
#ifndef VR815_OVERLAY_WINNT_H
#define VR815_OVERLAY_WINNT_H

#define _InterlockedCompareExchange128 \
  vr815_overlay_InterlockedCompareExchange128
#include_next <winnt.h>
#undef _InterlockedCompareExchange128

#endif
