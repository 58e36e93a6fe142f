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

if(CMAKE_CROSSCOMPILING)
  # Listing the tests runs the program under the emulator, whose first start
  # can take longer than the default five seconds.
  function(gtest_discover_tests)
    _gtest_discover_tests(${ARGV} DISCOVERY_TIMEOUT 60)
  endfunction()
endif()
