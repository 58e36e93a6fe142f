# Which C++ runtime a finished Windows DLL uses, read from its import table
# before anything is built. Frames cross into the maker's DLL as
# std::vector: the program and the DLL must agree on the vector's layout
# and allocate and free on one heap, so they must load one C++ runtime DLL.
#
# Usable in project and script mode (tests/vendor/dll_runtime_test.cmake).

# The C++ runtime DLLs a module may import, each with the runtime it
# stands for. Names are compared in lower case.
set(VR815_CXX_RUNTIME_DLLS
  "msvcp140.dll"       msvc-release
  "vcruntime140.dll"   msvc-release
  "vcruntime140_1.dll" msvc-release
  "msvcp140d.dll"      msvc-debug
  "vcruntime140d.dll"  msvc-debug
  "vcruntime140_1d.dll" msvc-debug
  "ucrtbased.dll"      msvc-debug
  "libstdc++-6.dll"    mingw
  "libc++.dll"         libc++
  "msvcp120.dll"       msvc-old
  "msvcp120d.dll"      msvc-old
  "msvcp110.dll"       msvc-old
  "msvcp110d.dll"      msvc-old
  "msvcp100.dll"       msvc-old
  "msvcp100d.dll"      msvc-old)

# How each runtime is named in messages.
set(VR815_RUNTIME_NAME_msvc-release
  "Visual Studio's C++ runtime DLL, release (/MD)")
set(VR815_RUNTIME_NAME_msvc-debug
  "Visual Studio's C++ runtime DLL, debug (/MDd)")
set(VR815_RUNTIME_NAME_mingw "MinGW-w64's C++ runtime DLL (libstdc++)")
set(VR815_RUNTIME_NAME_libc++ "LLVM's C++ runtime DLL (libc++)")
set(VR815_RUNTIME_NAME_msvc-old
  "the C++ runtime DLL of Visual Studio 2013 or earlier")
set(VR815_RUNTIME_NAME_static "no C++ runtime DLL (a static runtime, /MT)")

# vr815_parse_imports(OUT TEXT): the DLL names in TEXT, the output of
# `objdump -p` ("DLL Name: X.dll" lines) or of `dumpbin /dependents` (the
# indented names below "Image has the following dependencies"), in lower
# case.
function(vr815_parse_imports out text)
  string(REPLACE "\r" "" text "${text}")
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(names "")
  set(in_dumpbin_list OFF)
  foreach(line IN LISTS lines)
    if(line MATCHES "DLL Name: *([^ ]+\\.[Dd][Ll][Ll])$")
      list(APPEND names "${CMAKE_MATCH_1}")
    elseif(line MATCHES "following dependencies:")
      set(in_dumpbin_list ON)
    elseif(in_dumpbin_list AND line MATCHES "^ +([^ :]+\\.[Dd][Ll][Ll])$")
      list(APPEND names "${CMAKE_MATCH_1}")
    elseif(in_dumpbin_list AND line MATCHES "[^ ]")
      set(in_dumpbin_list OFF)
    endif()
  endforeach()
  string(TOLOWER "${names}" names)
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

# vr815_runtime_of_imports(OUT IMPORTS): the runtime the DLL names IMPORTS
# stand for (a key of VR815_RUNTIME_NAME_*), "static" when none of them is
# a C++ runtime DLL, or "mixed" when they name more than one runtime.
function(vr815_runtime_of_imports out imports)
  set(found "")
  list(LENGTH VR815_CXX_RUNTIME_DLLS count)
  math(EXPR last "${count} - 2")
  foreach(i RANGE 0 ${last} 2)
    list(GET VR815_CXX_RUNTIME_DLLS ${i} dll)
    math(EXPR j "${i} + 1")
    list(GET VR815_CXX_RUNTIME_DLLS ${j} runtime)
    if(dll IN_LIST imports)
      list(APPEND found ${runtime})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES found)
  list(LENGTH found kinds)
  if(kinds EQUAL 0)
    set(found static)
  elseif(kinds GREATER 1)
    set(found mixed)
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# vr815_read_imports(OUT DLL TOOL): the DLL names DLL imports, read by TOOL
# (dumpbin, or an objdump that knows PE files), or FATAL_ERROR when the tool
# cannot read it.
function(vr815_read_imports out dll tool)
  get_filename_component(tool_name "${tool}" NAME_WE)
  string(TOLOWER "${tool_name}" tool_name)
  if(tool_name STREQUAL "dumpbin")
    set(args /nologo /dependents)
  else()
    set(args -p)
  endif()
  execute_process(COMMAND "${tool}" ${args} "${dll}"
    RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE errors)
  if(NOT status EQUAL 0 OR NOT text MATCHES "DLL Name:|following dependencies:")
    message(FATAL_ERROR
      "VR815_VENDOR_DLL: '${tool}' cannot read the imports of '${dll}': ${errors}${text}\n"
      "Is it a 64-bit Windows DLL?")
  endif()
  vr815_parse_imports(names "${text}")
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

# vr815_runtime_problem(OUT PROGRAM DLL_RUNTIME): empty when a program on
# the runtime PROGRAM (msvc or mingw: the compiler's family; Visual Studio
# then follows the DLL's release or debug runtime) can share frames with a
# DLL on DLL_RUNTIME; otherwise why not, and what to do instead.
function(vr815_runtime_problem out program dll_runtime)
  set(problem "")
  if(dll_runtime STREQUAL "static")
    set(problem
      "It carries its own copy of the C++ runtime (built with /MT, or its "
      "C++ library linked statically), with a heap of its own: the frames "
      "it grows cannot be freed by any program, whatever its compiler. Ask "
      "the maker for a build of the DLL on the shared C++ runtime (/MD).")
  elseif(dll_runtime STREQUAL "mixed")
    set(problem
      "A DLL that loads two C++ runtimes has no one std::vector layout to "
      "share with a program. Ask the maker which build is meant for "
      "programs that call it.")
  elseif(program STREQUAL "msvc" AND dll_runtime MATCHES "^msvc-(release|debug)$")
  elseif(program STREQUAL "mingw" AND dll_runtime STREQUAL "mingw")
  elseif(dll_runtime STREQUAL "mingw")
    set(problem
      "It was built with MinGW-w64: its std::vector is libstdc++'s, which "
      "Visual Studio's programs do not use. Build vr815-test with "
      "MinGW-w64 instead (docs/makers-library.md, \"A DLL built with "
      "MinGW-w64\").")
  elseif(dll_runtime MATCHES "^msvc-(release|debug)$")
    set(problem
      "It was built with Visual Studio: its std::vector is Visual Studio's, "
      "which MinGW-w64's programs do not use. Build vr815-test with Visual "
      "Studio 2022 instead (docs/makers-library.md).")
  else()
    set(problem
      "Its std::vector is not the one this compiler's programs use, and "
      "no build of this project shares that runtime. Ask the maker for a "
      "build with Visual Studio 2015 or later on the shared C++ runtime "
      "(/MD), or with MinGW-w64.")
  endif()
  string(CONCAT problem ${problem})
  set(${out} "${problem}" PARENT_SCOPE)
endfunction()
