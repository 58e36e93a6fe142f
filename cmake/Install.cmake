# Where installed files go, and the per-target parts of installing: the
# version resource of Windows modules and the run path of Linux programs.
#
# Windows (the zip): programs and DLLs at the top, beside each other, where
# Windows looks for a program's DLLs; header and import library below.
# Elsewhere: bin/, lib/ and include/ under the prefix.
if(WIN32)
  set(VR815_INSTALL_BINDIR .)
else()
  set(VR815_INSTALL_BINDIR bin)
endif()
set(VR815_INSTALL_LIBDIR lib)
set(VR815_INSTALL_INCLUDEDIR include)
set(VR815_INSTALL_CMAKEDIR ${VR815_INSTALL_LIBDIR}/cmake/VR815_DLL)

set(VR815_VERSION_RC_IN ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)
set(VR815_PROGRAM_MANIFEST ${CMAKE_CURRENT_LIST_DIR}/program.manifest)

# Gives a Windows .exe or .dll the project's version in its file properties,
# from version.rc.in configured for the target; does nothing elsewhere.
function(vr815_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  get_target_property(base ${target} OUTPUT_NAME)
  if(NOT base)
    set(base ${target})
  endif()
  if(type STREQUAL "EXECUTABLE")
    set(VR815_RC_FILE_NAME ${base}${CMAKE_EXECUTABLE_SUFFIX})
    set(VR815_RC_FILE_TYPE VFT_APP)
  elseif(type STREQUAL "SHARED_LIBRARY")
    get_target_property(prefix ${target} PREFIX)
    if(prefix STREQUAL "prefix-NOTFOUND")
      set(prefix ${CMAKE_SHARED_LIBRARY_PREFIX})
    endif()
    set(VR815_RC_FILE_NAME ${prefix}${base}${CMAKE_SHARED_LIBRARY_SUFFIX})
    set(VR815_RC_FILE_TYPE VFT_DLL)
  else()
    message(FATAL_ERROR "vr815_version_resource: ${target} is a ${type}")
  endif()
  set(VR815_RC_INTERNAL_NAME ${target})
  set(VR815_RC_DESCRIPTION "${description}")
  if(PROJECT_VERSION_TWEAK)
    set(VR815_RC_TWEAK ${PROJECT_VERSION_TWEAK})
  else()
    set(VR815_RC_TWEAK 0)
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${VR815_VERSION_RC_IN} ${rc} @ONLY)
  vr815_add_resource(${target} version ${rc})
endfunction()

# Adds the resource script rc to the target, compiled on its own as
# <target>_<name>, without the target's include folders: windres hands them
# to the preprocessor through a shell unquoted, so a folder whose name holds
# '&' or ';' would break the build. Resources need only the system's headers.
function(vr815_add_resource target name rc)
  add_library(${target}_${name} OBJECT ${rc})
  target_sources(${target} PRIVATE $<TARGET_OBJECTS:${target}_${name}>)
endfunction()

# Windows programs take their command line, and hold every narrow string, in
# UTF-8: program.manifest makes UTF-8 the process's ANSI code page (Windows 10
# 1903 and later), so that argv, fopen and the system's `A` functions take a
# path whole, whatever its letters, and no code converts on its own. The code
# page is the whole process's: a library loaded into it, ours or the maker's,
# reads the port name that vr815_init gets as the program means it. Earlier
# Windows ignores the setting and keeps the system's code page, which holds
# some letters only. The manifest is a resource, the same for MinGW and MSVC
# builds; MSVC's linker is told to make none of its own, which would clash.
#
# The manifest's text is written into the generated .rc itself, its
# attributes in single quotes, rather than named by path: the .rc then holds
# no path, and nothing beyond ASCII whatever the folders are called (rc.exe
# reads a .rc in the ANSI code page), and no resource compiler has to look
# for a file.
function(vr815_program_manifest target)
  if(NOT WIN32)
    return()
  endif()
  file(STRINGS ${VR815_PROGRAM_MANIFEST} lines)
  set(data "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    string(REPLACE "\"" "'" line "${line}")
    if(line MATCHES "[\\]|[^ -~]")
      message(FATAL_ERROR "${VR815_PROGRAM_MANIFEST}: only ASCII without backslashes goes into a .rc: ${line}")
    endif()
    string(APPEND data "  \"${line}\"\n")
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY
    CMAKE_CONFIGURE_DEPENDS ${VR815_PROGRAM_MANIFEST})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-manifest.rc)
  file(CONFIGURE OUTPUT ${rc} @ONLY CONTENT [[
// The manifest of @target@, from cmake/program.manifest.
#include <winuser.h>
CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST
BEGIN
@data@END
]])
  vr815_add_resource(${target} manifest ${rc})
  if(MSVC)
    target_link_options(${target} PRIVATE /MANIFEST:NO)
  endif()
endfunction()

# Installs a program: into the programs' folder, with its version resource and
# manifest on Windows and, elsewhere, a run path relative to itself, so that
# the unpacked tree finds its libraries wherever it is.
function(vr815_install_program target description)
  vr815_version_resource(${target} "${description}")
  vr815_program_manifest(${target})
  if(NOT WIN32)
    file(RELATIVE_PATH to_lib /${VR815_INSTALL_BINDIR} /${VR815_INSTALL_LIBDIR})
    set_target_properties(${target} PROPERTIES
      INSTALL_RPATH "$ORIGIN/${to_lib}")
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${VR815_INSTALL_BINDIR})
endfunction()
