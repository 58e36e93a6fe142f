// Just enough of <windows.h> for the makers' headers of tests/vendor to
// compile on Linux: the types as Windows declares them (so that LONG and
// DWORD stay types of their own, not int32_t and uint32_t), and its min and
// max macros, which the harness must survive. The standard library of the
// Windows compilers survives them too; this one does not, so the headers it
// may need come first.
#ifndef VR815_NATIVE_WINDOWS_H
#define VR815_NATIVE_WINDOWS_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned long DWORD;
typedef int INT;
typedef unsigned int UINT;
typedef unsigned int UINT32;
typedef long LONG;
typedef long long LONGLONG;
typedef int BOOL;
typedef void* HANDLE;
typedef const char* LPCSTR;
typedef char* LPSTR;

#define WINAPI __stdcall
#define TRUE 1
#define FALSE 0
#define min(a, b) (((a) < (b)) ? (a) : (b))
#define max(a, b) (((a) > (b)) ? (a) : (b))

#endif  // VR815_NATIVE_WINDOWS_H
