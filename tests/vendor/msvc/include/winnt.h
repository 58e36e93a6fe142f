#include <intrin.h>
#define _InterlockedCompareExchange128 vr815_overlay_InterlockedCompareExchange128
#include_next <winnt.h>
#undef _InterlockedCompareExchange128
