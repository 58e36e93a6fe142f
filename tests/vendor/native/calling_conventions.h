// Given to every native compile against a maker's header: the Windows
// compilers' keywords, which mean nothing on Linux.
#ifndef VR815_NATIVE_CALLING_CONVENTIONS_H
#define VR815_NATIVE_CALLING_CONVENTIONS_H

#define __declspec(attribute)
#define __stdcall
#define __cdecl

#endif  // VR815_NATIVE_CALLING_CONVENTIONS_H
