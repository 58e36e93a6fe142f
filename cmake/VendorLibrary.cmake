# vr815-test against the maker's own VR815_DLL instead of ours, for Windows
# users who have it: its header folder and import library given by path (and
# its DLL, copied beside the program). In that mode our library, the
# simulated device and the tests are not built: only the program is.
#
# Sets VR815_VENDOR; when ON, defines the targets the program links to:
# vr815_api_headers (the maker's header) and VR815_DLL (the maker's library).
set(VR815_VENDOR_HEADER_DIR "" CACHE PATH
  "Folder holding the maker's VR815_DLL.h; set it to build vr815-test against the maker's library")
set(VR815_VENDOR_IMPORT_LIB "" CACHE FILEPATH
  "The maker's import library (VR815_DLL.lib)")
set(VR815_VENDOR_DLL "" CACHE FILEPATH
  "The maker's VR815_DLL.dll, copied beside vr815-test (optional)")

set(VR815_VENDOR OFF)
if(NOT VR815_VENDOR_HEADER_DIR AND NOT VR815_VENDOR_IMPORT_LIB)
  return()
endif()

# Folders as CMake writes them, whichever slashes they were given with (the
# presets join $env{VR815_SDK} and a subfolder with '/').
foreach(var VR815_VENDOR_HEADER_DIR VR815_VENDOR_IMPORT_LIB VR815_VENDOR_DLL)
  file(TO_CMAKE_PATH "${${var}}" ${var})
endforeach()

if(NOT WIN32)
  message(FATAL_ERROR "The maker's library is a Windows DLL: build for Windows to use VR815_VENDOR_HEADER_DIR")
endif()
if(NOT EXISTS "${VR815_VENDOR_HEADER_DIR}/VR815_DLL.h")
  set(hint "")
  if("$ENV{VR815_SDK}" STREQUAL "")
    set(hint " (the presets vendor and vendor-debug take the maker's kit from the folder that the environment variable VR815_SDK names, and it is not set)")
  endif()
  message(FATAL_ERROR "VR815_VENDOR_HEADER_DIR: no VR815_DLL.h in '${VR815_VENDOR_HEADER_DIR}'${hint}")
endif()
if(NOT EXISTS "${VR815_VENDOR_IMPORT_LIB}")
  message(FATAL_ERROR "VR815_VENDOR_IMPORT_LIB: no import library at '${VR815_VENDOR_IMPORT_LIB}'")
endif()
if(VR815_VENDOR_DLL AND NOT EXISTS "${VR815_VENDOR_DLL}")
  message(FATAL_ERROR "VR815_VENDOR_DLL: no DLL at '${VR815_VENDOR_DLL}'")
endif()

set(VR815_VENDOR ON)
set(BUILD_TESTING OFF)
message(STATUS "vr815-test against the maker's library: ${VR815_VENDOR_IMPORT_LIB}")

# One C++ runtime for the program and the maker's DLL, in every
# configuration: the frames that cross between them are std::vectors. With
# Visual Studio that is the runtime DLL the maker's DLL imports, release
# (/MD) or debug (/MDd), and the standard library's layout that goes with
# it, whatever the configuration: a Debug build against a DLL built Release
# keeps no optimisation and its symbols, on the release runtime. Without the
# DLL at hand nothing can be checked, and the release runtime, which a DLL
# built for others uses, is taken.
include(DllRuntime)
if(MSVC)
  set(program_runtime msvc)
else()
  set(program_runtime mingw)
endif()
set(dll_runtime "")
if(VR815_VENDOR_DLL)
  if(MSVC)
    get_filename_component(linker_dir "${CMAKE_LINKER}" DIRECTORY)
    find_program(VR815_DUMPBIN dumpbin HINTS "${linker_dir}")
  endif()
  if(VR815_DUMPBIN)
    set(import_tool "${VR815_DUMPBIN}")
  elseif(CMAKE_OBJDUMP)
    set(import_tool "${CMAKE_OBJDUMP}")
  else()
    find_program(import_tool NAMES objdump llvm-objdump NO_CACHE)
  endif()
  if(import_tool)
    vr815_read_imports(imports "${VR815_VENDOR_DLL}" "${import_tool}")
    vr815_runtime_of_imports(dll_runtime "${imports}")
  else()
    message(WARNING "VR815_VENDOR_DLL: neither dumpbin nor objdump found: which C++ runtime the maker's DLL uses could not be checked")
  endif()
else()
  message(STATUS "VR815_VENDOR_DLL not given: which C++ runtime the maker's DLL uses could not be checked; give it to have it checked")
endif()
if(dll_runtime)
  vr815_runtime_problem(problem ${program_runtime} ${dll_runtime})
  string(REPLACE ";" ", " imports_text "${imports}")
  if(problem)
    if(program_runtime STREQUAL "msvc")
      set(program_text "Visual Studio's C++ runtime DLL")
    else()
      set(program_text "${VR815_RUNTIME_NAME_mingw}")
    endif()
    message(FATAL_ERROR
      "VR815_VENDOR_DLL: '${VR815_VENDOR_DLL}' uses ${VR815_RUNTIME_NAME_${dll_runtime}} "
      "(it imports: ${imports_text}); this build would use ${program_text}. "
      "The program and the maker's DLL pass frames to each other as "
      "std::vector, so they must share one C++ runtime. ${problem}")
  endif()
  message(STATUS "The maker's DLL uses ${VR815_RUNTIME_NAME_${dll_runtime}}: vr815-test is built on it")
endif()
if(MSVC)
  if(dll_runtime STREQUAL "msvc-debug")
    set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreadedDebugDLL)
    add_compile_definitions($<$<COMPILE_LANGUAGE:CXX>:_ITERATOR_DEBUG_LEVEL=2>)
  else()
    set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreadedDLL)
    add_compile_definitions($<$<COMPILE_LANGUAGE:CXX>:_ITERATOR_DEBUG_LEVEL=0>)
  endif()
endif()

# A system folder: the maker's header is not ours to keep free of warnings.
add_library(vr815_api_headers INTERFACE)
target_include_directories(vr815_api_headers SYSTEM
  INTERFACE "${VR815_VENDOR_HEADER_DIR}")

add_library(VR815_DLL SHARED IMPORTED GLOBAL)
set_target_properties(VR815_DLL PROPERTIES
  IMPORTED_IMPLIB "${VR815_VENDOR_IMPORT_LIB}"
  INTERFACE_LINK_LIBRARIES vr815_api_headers)

if(VR815_VENDOR_DLL)
  set_target_properties(VR815_DLL PROPERTIES
    IMPORTED_LOCATION "${VR815_VENDOR_DLL}")
  # Windows loads the DLL from the program's folder.
  add_custom_target(vr815_vendor_dll ALL
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            "${VR815_VENDOR_DLL}" "$<TARGET_FILE_DIR:vr815-test>"
    COMMENT "Copying the maker's VR815_DLL.dll beside vr815-test"
    VERBATIM)
  add_dependencies(vr815_vendor_dll vr815-test)
endif()
