# Run by cpack before each package it makes (CPACK_PROJECT_CONFIG_FILE). For
# the source package it leaves out everything git does not track: build
# trees, and whatever else lies in the working tree. Without git (a tree
# unpacked from a source package) it leaves out the repository and the build
# folders: build/, where the presets build, and the tree cpack was run from.
if(NOT CPACK_INSTALLED_DIRECTORIES)
  return()  # a package of the built programs
endif()

# A regular expression that matches the path and, for a folder, all in it.
function(vr815_ignore_path path)
  string(REGEX REPLACE "([][+.*?()^$|\\\\])" "\\\\\\1" regex "${path}")
  if(regex MATCHES "/$")
    list(APPEND CPACK_IGNORE_FILES "^${regex}")
  else()
    list(APPEND CPACK_IGNORE_FILES "^${regex}$")
  endif()
  set(CPACK_IGNORE_FILES "${CPACK_IGNORE_FILES}" PARENT_SCOPE)
endfunction()

set(root "${CPACK_VR815_SOURCE_DIR}")
set(CPACK_IGNORE_FILES "")
vr815_ignore_path("${root}/.git")
vr815_ignore_path("${root}/.git/")

find_package(Git QUIET)
set(status 1)
if(GIT_FOUND AND EXISTS "${root}/.git")
  # One name a line, untracked folders as one name ending in '/'.
  execute_process(
    COMMAND "${GIT_EXECUTABLE}" -C "${root}" -c core.quotePath=false
            ls-files --others --directory
    OUTPUT_VARIABLE untracked
    RESULT_VARIABLE status
    ERROR_QUIET)
endif()
if(status EQUAL 0)
  string(REPLACE "\n" ";" untracked "${untracked}")
  foreach(name IN LISTS untracked)
    if(name)
      vr815_ignore_path("${root}/${name}")
    endif()
  endforeach()
else()
  vr815_ignore_path("${root}/build/")
  vr815_ignore_path("${CPACK_VR815_BINARY_DIR}/")
endif()
