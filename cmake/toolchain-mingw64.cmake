# Windows x64 programs from a Linux host: the MinGW-w64 cross compilers with
# the POSIX thread model (std::thread and friends work), run by Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(VR815_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VR815_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VR815_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VR815_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VR815_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime (libstdc++, libgcc, winpthread) is linked as DLLs,
# one copy shared by every program and VR815_DLL.dll: the library's frame
# encoder grows a std::vector the program allocated and frees, and exceptions
# and the C++ heap may only cross a module boundary inside one runtime.
# That is the compiler's default; MingwRuntime.cmake puts the runtime DLLs
# beside the programs and into the package.

# Tests and other programs of the build run through Wine, with a Wine prefix
# of this build tree's own: wine-run.sh with the prefix bound, written into
# the build tree because the emulator must be a single program.
get_filename_component(VR815_WINE_RUN_SH
  ${CMAKE_CURRENT_LIST_DIR}/../tools/wine/wine-run.sh ABSOLUTE)
set(VR815_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(VR815_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
file(WRITE ${VR815_WINE_RUN}
  "#!/bin/sh\n"
  "exec '${VR815_WINE_RUN_SH}' '${VR815_WINE_PREFIX}' \"$@\"\n")
file(CHMOD ${VR815_WINE_RUN} FILE_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VR815_WINE_RUN})

