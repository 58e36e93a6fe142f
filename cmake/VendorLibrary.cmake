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

if(NOT WIN32)
  message(FATAL_ERROR "The maker's library is a Windows DLL: build for Windows to use VR815_VENDOR_HEADER_DIR")
endif()
if(NOT EXISTS "${VR815_VENDOR_HEADER_DIR}/VR815_DLL.h")
  message(FATAL_ERROR "VR815_VENDOR_HEADER_DIR: no VR815_DLL.h in '${VR815_VENDOR_HEADER_DIR}'")
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
