/* The runtime's <math.h> with what a C++ standard library expects of it on
   this target: the few C99 functions it leaves undeclared, and the long
   double functions, which on this target are the double ones (long double
   is double) and so are inline wrappers here. */
#ifndef VR815_OVERLAY_MATH_H
#define VR815_OVERLAY_MATH_H

#include_next <math.h>

#ifdef __cplusplus
extern "C" {
#endif

_ACRTIMP double __cdecl erfc(double);
_ACRTIMP float __cdecl erfcf(float);
_ACRTIMP double __cdecl fma(double, double, double);
_ACRTIMP float __cdecl fmaf(float, float, float);
_ACRTIMP double __cdecl nan(const char*);
_ACRTIMP float __cdecl nanf(const char*);
_ACRTIMP double __cdecl nexttoward(double, long double);
_ACRTIMP float __cdecl nexttowardf(float, long double);

// A table of one-line wrappers, laid out by hand.
// clang-format off
#define VR815_LD1(name) \
  static __inline long double name##l(long double x) { return name((double)x); }
#define VR815_LD2(name)                                               \
  static __inline long double name##l(long double x, long double y) { \
    return name((double)x, (double)y);                                \
  }
VR815_LD1(acos) VR815_LD1(asin) VR815_LD1(atan) VR815_LD2(atan2)
VR815_LD1(ceil) VR815_LD1(cos) VR815_LD1(cosh) VR815_LD1(exp)
VR815_LD1(fabs) VR815_LD1(floor) VR815_LD2(fmod) VR815_LD1(log)
VR815_LD1(log10) VR815_LD2(pow) VR815_LD1(sin) VR815_LD1(sinh)
VR815_LD1(sqrt) VR815_LD1(tan) VR815_LD1(tanh) VR815_LD1(acosh)
VR815_LD1(asinh) VR815_LD1(atanh) VR815_LD1(cbrt) VR815_LD2(copysign)
VR815_LD1(erf) VR815_LD1(erfc) VR815_LD1(exp2) VR815_LD1(expm1)
VR815_LD2(fdim) VR815_LD2(fmax) VR815_LD2(fmin) VR815_LD2(hypot)
VR815_LD1(lgamma) VR815_LD1(log1p) VR815_LD1(log2) VR815_LD1(logb)
VR815_LD1(nearbyint) VR815_LD2(nextafter) VR815_LD2(nexttoward)
VR815_LD2(remainder) VR815_LD1(rint) VR815_LD1(round) VR815_LD1(tgamma)
VR815_LD1(trunc)
#undef VR815_LD1
#undef VR815_LD2

static __inline long double fmal(long double x, long double y,
                                 long double z) {
  return fma((double)x, (double)y, (double)z);
}
static __inline long double frexpl(long double x, int* e) {
  return frexp((double)x, e);
}
static __inline long double ldexpl(long double x, int e) {
  return ldexp((double)x, e);
}
static __inline long double modfl(long double x, long double* i) {
  double whole;
  double fraction = modf((double)x, &whole);
  *i = whole;
  return fraction;
}
static __inline long double remquol(long double x, long double y, int* q) {
  return remquo((double)x, (double)y, q);
}
static __inline long double scalbnl(long double x, int e) {
  return scalbn((double)x, e);
}
static __inline long double scalblnl(long double x, long e) {
  return scalbln((double)x, e);
}
static __inline long double nanl(const char* tag) { return nan(tag); }
static __inline int ilogbl(long double x) { return ilogb((double)x); }
static __inline long lrintl(long double x) { return lrint((double)x); }
static __inline long lroundl(long double x) { return lround((double)x); }
static __inline long long llrintl(long double x) { return llrint((double)x); }
static __inline long long llroundl(long double x) { return llround((double)x); }
// clang-format on

#ifdef __cplusplus
}
#endif

#endif
