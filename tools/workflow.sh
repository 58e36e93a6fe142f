#!/bin/sh
# One preset's whole round: configure, build, test, and, for the presets
# that make packages, the packages (into build/PRESET/packages/).
#
#   tools/workflow.sh PRESET      default, asan, fuzz or windows-x64
#
# What `cmake --workflow` would do: CMakePresets.json keeps to a schema
# that Visual Studio 2022 reads, which has no workflow presets.
# Exit status: 0 when every step passed, else that of the step that failed.
set -eu

if [ $# -ne 1 ]; then
  echo "usage: $0 PRESET" >&2
  exit 2
fi
preset=$1
cd "$(dirname "$0")/.."

cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
case $preset in
  default)
    cpack --config "build/$preset/CPackConfig.cmake"
    cpack --config "build/$preset/CPackSourceConfig.cmake" ;;
  windows-x64)
    cpack --config "build/$preset/CPackConfig.cmake" ;;
esac
