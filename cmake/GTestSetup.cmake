# GoogleTest from the distribution: the installed package for native builds,
# its sources (googletest package) built for the target when cross-compiling.
if(CMAKE_CROSSCOMPILING)
  set(VR815_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${VR815_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL SYSTEM)
  # Recent GoogleTest sources name their targets GTest::... themselves.
  foreach(target gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${target})
      add_library(GTest::${target} ALIAS ${target})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# vr815_discover_tests(TARGET [ARGS...]): each test of the GoogleTest program
# TARGET as a CTest test, ARGS passed on to gtest_discover_tests; every test
# program's tests are found this way. They are listed when CTest runs them
# (PRE_TEST), not right after the program is linked: a build never runs what
# it builds (for the Windows build that would be Wine in the middle of the
# build), and a program that cannot list its tests is a failed test, not a
# failed build. Listing runs the program, under the emulator too, whose first
# start can take longer than the default five seconds.
function(vr815_discover_tests target)
  set(emulator_wait)
  if(CMAKE_CROSSCOMPILING)
    set(emulator_wait DISCOVERY_TIMEOUT 60)
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST ${emulator_wait}
                       ${ARGN})
endfunction()
