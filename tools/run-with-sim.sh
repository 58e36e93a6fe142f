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

. "$root/tools/lib/deps.sh"
ensure_packages run-with-sim "$root" cmake ninja c++

cd "$root"
cmake --preset default >/dev/null
cmake --build --preset default

exec "$build/device_api/sim/vr815-sim" "$@" --run "$build/test_app/vr815-test"
