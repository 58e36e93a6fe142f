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

# The compiler's runtime (libgcc, libstdc++, winpthread) goes into every .exe
# and .dll, so that they run on a bare Windows machine, and under Wine,
# without runtime DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

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

