#!/bin/sh
# Builds everything with the default preset, then runs vr815-test against
# the simulated device: vr815-sim --run vr815-test, which opens a
# pseudo-terminal, hosts vr815-test on it and ends with it. Arguments go to
# vr815-sim (for example --fail SET_DELAY=5); standard input goes to
# vr815-test, which waits for a key at the end.
#
# On a machine without the build's tools it installs them first with
# .ci/install-deps when it can (Debian, as root), and otherwise says which
# command to run.
#
# Exit status: vr815-test's (255 when the device did not open), or 1 when
# the tools are missing, the build failed or the simulated device could not
# serve, 2 for a bad argument to it.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/default"

# What the build needs; GoogleTest's CMake package is the one thing the
# configure step cannot do without that no command shows.
missing() {
  for tool in cmake ninja c++; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool"; return; }
  done
  for config in /usr/lib/*/cmake/GTest/GTestConfig.cmake \
                /usr/lib/cmake/GTest/GTestConfig.cmake; do
    [ -f "$config" ] && return
  done
  echo "GoogleTest"
}

what=$(missing)
if [ -n "$what" ]; then
  if [ -f /etc/debian_version ] && [ "$(id -u)" = 0 ]; then
    echo "run-with-sim: $what is missing; installing the packages (.ci/install-deps)"
    "$root/.ci/install-deps" </dev/null
  else
    echo "run-with-sim: $what is missing. Install the packages, then run this again:" >&2
    echo "  sudo .ci/install-deps" >&2
    exit 1
  fi
fi

cd "$root"
cmake --preset default >/dev/null
cmake --build --preset default

exec "$build/device_api/sim/vr815-sim" "$@" --run "$build/test_app/vr815-test"
