# A stand-in for Visual Studio's x64 toolchain, from Debian's packages alone,
# for trying the project's MSVC branch where Visual Studio cannot run: clang-cl
# (CMake sees MSVC, and takes the compiler's MSVC-style command line), lld-link,
# llvm-lib and llvm-rc, for x86_64-pc-windows-msvc. In place of Visual Studio's
# headers: libc++ for the C++ standard library, Wine's headers for the C
# runtime and the Windows API, and include/ beside this file before them for
# what they lack or declare otherwise than the C++ runtime of the target.
#
# Linking needs a library folder in place of Visual Studio's: the libraries
# the compiler and CMake name (msvcrt.lib, kernel32.lib, ...), with what
# Visual Studio's static runtime gives every module (the entry point,
# operator new and delete, the guards of function statics, the stack cookie)
# and Wine's import libraries for the DLLs. runtime/ builds one, with this
# toolchain; give its build folder as VR815_MSVC_RUNTIME_DIR (cache or
# environment) to link programs and DLLs. Without it, CMake's checks compile
# to static libraries, and a build compiles but cannot link.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(VR815_MSVC_TARGET x86_64-pc-windows-msvc)
set(CMAKE_C_COMPILER /usr/bin/clang-cl-14)
set(CMAKE_CXX_COMPILER /usr/bin/clang-cl-14)
set(CMAKE_C_COMPILER_TARGET ${VR815_MSVC_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${VR815_MSVC_TARGET})
set(CMAKE_LINKER /usr/bin/lld-link-14)
set(CMAKE_AR /usr/bin/llvm-lib-14)
set(CMAKE_RC_COMPILER /usr/bin/llvm-rc-14)
set(CMAKE_MT /usr/bin/llvm-mt-14)
# CMake looks for no objdump for an MSVC-like toolchain; this one reads a
# DLL's imports.
set(CMAKE_OBJDUMP /usr/bin/x86_64-w64-mingw32-objdump)

set(VR815_LIBCXX_INCLUDE /usr/lib/llvm-14/include/c++/v1)
set(VR815_WINE_INCLUDE /usr/include/wine/wine)
set(VR815_WINE_LIBS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
get_filename_component(VR815_MSVC_OVERLAY
  ${CMAKE_CURRENT_LIST_DIR}/include ABSOLUTE)

# No %INCLUDE% (/X); libc++ ahead of the compiler's own headers, which it
# wraps (-isystem comes before every system folder); then ours, then Wine's.
# libc++ is used from its headers alone, as a static library would be: no
# DLL imports, no automatic link to a libc++.lib, every template instantiated
# where used.
set(VR815_MSVC_COMPILE_FLAGS
  "/X /clang:-isystem${VR815_LIBCXX_INCLUDE}"
  "-imsvc ${VR815_MSVC_OVERLAY}"
  "-imsvc ${VR815_WINE_INCLUDE}/msvcrt"
  "-imsvc ${VR815_WINE_INCLUDE}/windows"
  "-D_LIBCPP_DISABLE_VISIBILITY_ANNOTATIONS -D_LIBCPP_NO_AUTO_LINK"
  "-D_LIBCPP_DISABLE_EXTERN_TEMPLATE")
list(JOIN VR815_MSVC_COMPILE_FLAGS " " VR815_MSVC_COMPILE_FLAGS)
set(CMAKE_C_FLAGS_INIT "${VR815_MSVC_COMPILE_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${VR815_MSVC_COMPILE_FLAGS}")
set(CMAKE_RC_FLAGS_INIT
  "/I${VR815_WINE_INCLUDE}/windows /I${VR815_WINE_INCLUDE}/msvcrt")

if(NOT DEFINED VR815_MSVC_RUNTIME_DIR AND DEFINED ENV{VR815_MSVC_RUNTIME_DIR})
  set(VR815_MSVC_RUNTIME_DIR "$ENV{VR815_MSVC_RUNTIME_DIR}")
endif()
# CMake's checks configure projects of their own, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VR815_MSVC_RUNTIME_DIR)

if(VR815_MSVC_RUNTIME_DIR)
  # The library folder, as Visual Studio's prompt gives it in %LIB%. The
  # entry point of programs named: Wine's ucrtbase import library holds
  # entry points of its own, and the linker would otherwise ask which.
  set(VR815_MSVC_LIBPATH "/libpath:${VR815_MSVC_RUNTIME_DIR}/lib")
  set(CMAKE_EXE_LINKER_FLAGS_INIT "${VR815_MSVC_LIBPATH} /entry:mainCRTStartup")
  set(CMAKE_SHARED_LINKER_FLAGS_INIT "${VR815_MSVC_LIBPATH}")
  set(CMAKE_MODULE_LINKER_FLAGS_INIT "${VR815_MSVC_LIBPATH}")
  # The folder holds the release runtime only (Wine has no debug runtime):
  # CMake's checks build as Release, on it, not as Debug.
  set(CMAKE_TRY_COMPILE_CONFIGURATION Release)
else()
  set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
endif()
