# Packages of the installed tree, made with CPack (cpack in the build folder,
# or the workflow presets' package step):
#   Windows: vr815-<version>-windows-x64.zip: the programs, VR815_DLL.dll and
#     the runtime DLLs they share, run-with-sim.cmd, README-windows.txt; the
#     header in include/ and the import library in lib/.
#   Linux: vr815-<version>-linux-<arch>.tar.gz: bin/, lib/ (the library,
#     found by the programs through their run path), include/, and the CMake
#     package of the library (find_package(VR815_DLL), VR815::VR815_DLL);
#     the same as a .deb installed under /usr.
#   Source, from either build: vr815-<version>-source.zip and .tar.gz, the
#     tracked tree and nothing built (cpack --config CPackSourceConfig.cmake,
#     or the workflow presets' package step): what a Windows user builds
#     vr815-test from against the maker's library.
include(CMakePackageConfigHelpers)

# The library's CMake package, for programs of the library's users.
if(NOT VR815_VENDOR)
  install(EXPORT VR815_DLLTargets
    NAMESPACE VR815::
    FILE VR815_DLLTargets.cmake
    DESTINATION ${VR815_INSTALL_CMAKEDIR})
  configure_package_config_file(
    ${CMAKE_CURRENT_LIST_DIR}/VR815_DLLConfig.cmake.in
    ${CMAKE_BINARY_DIR}/VR815_DLLConfig.cmake
    INSTALL_DESTINATION ${VR815_INSTALL_CMAKEDIR})
  write_basic_package_version_file(
    ${CMAKE_BINARY_DIR}/VR815_DLLConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
  install(FILES
    ${CMAKE_BINARY_DIR}/VR815_DLLConfig.cmake
    ${CMAKE_BINARY_DIR}/VR815_DLLConfigVersion.cmake
    DESTINATION ${VR815_INSTALL_CMAKEDIR})
endif()

# What a Windows user unpacks and runs: Windows line ends, whatever the
# checkout has.
if(WIN32)
  foreach(file run-with-sim.cmd README-windows.txt)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/${file}
                   ${CMAKE_BINARY_DIR}/packaging/${file}
                   @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${file}
            DESTINATION ${VR815_INSTALL_BINDIR})
  endforeach()
endif()

# Who answers for the packages, as "Name <address>": the .deb's maintainer
# and the changelog's signature. The project has no address of its own yet.
set(VR815_MAINTAINER "VR815 test harness project" CACHE STRING
  "Maintainer of the packages, as \"Name <address>\"")

# What Linux users read beside the programs: their manual pages, and the
# changelog, gzipped as Debian keeps them.
if(NOT WIN32)
  find_program(VR815_GZIP gzip REQUIRED)
  set(linux ${PROJECT_SOURCE_DIR}/packaging/linux)
  set(out ${CMAKE_BINARY_DIR}/packaging)
  foreach(page vr815-test vr815-sim)
    configure_file(${linux}/${page}.1.in ${out}/${page}.1 @ONLY)
    execute_process(COMMAND ${VR815_GZIP} -9 -n -k -f ${out}/${page}.1
                    COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${out}/${page}.1.gz DESTINATION share/man/man1)
  endforeach()
  configure_file(${linux}/changelog.in ${out}/changelog @ONLY)
  execute_process(COMMAND ${VR815_GZIP} -9 -n -k -f ${out}/changelog
                  COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${out}/changelog.gz DESTINATION share/doc/vr815)
endif()

set(CPACK_PACKAGE_NAME vr815)
set(CPACK_PACKAGE_VENDOR "VR815 test harness project")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Test harness, control library and simulated device for the VR815")
# The lines as the .deb's description shows them.
set(CPACK_PACKAGE_DESCRIPTION [[
vr815-test exercises the control library of the VR815 delay and pulse
generator against a device: it prints the protocol frames of nine commands,
then opens the device and walks a fixed sequence of calls, reporting each
as OK or FAIL.

The control library, libVR815_DLL.so, speaks the project's own serial
protocol on serial ports, pseudo-terminals and TCP lines. vr815-sim is a
simulated device speaking that protocol, with faults to choose; it can host
one run of vr815-test on a pseudo-terminal of its own. A real VR815 speaks
its maker's protocol, which this library does not.]])
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VR815_MAINTAINER}")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME vr815-${PROJECT_VERSION}-windows-x64)
else()
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" system)
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME vr815-${PROJECT_VERSION}-${system})
  find_program(VR815_DPKG dpkg)
  if(VR815_DPKG)
    list(APPEND CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
    # The library lies in a folder of the dynamic linker's: its cache is
    # renewed by dpkg's trigger, not by maintainer scripts.
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
      ${PROJECT_SOURCE_DIR}/packaging/linux/triggers)
  endif()
endif()

# The source package: what git tracks, chosen when cpack runs
# (SourcePackageFiles.cmake).
set(CPACK_SOURCE_GENERATOR ZIP TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME vr815-${PROJECT_VERSION}-source)
set(CPACK_VR815_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_VR815_BINARY_DIR ${PROJECT_BINARY_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/SourcePackageFiles.cmake)
# Values reach cpack as they are written here, paths with any characters.
set(CPACK_VERBATIM_VARIABLES ON)

include(CPack)
