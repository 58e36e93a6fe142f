#!/bin/sh
# Builds and runs every test of the project, as CI does: the C++ layout
# check, then each preset's round (tools/workflow.sh): the native build and
# its tests (and the Linux and source packages), the Windows build and its
# tests under Wine (and the zip), the native tests under the address and
# undefined-behaviour sanitizers, and short runs of each fuzz target. About
# ten minutes on two cores.
#
# On a machine without the build's tools it installs them first with
# .ci/install-deps when it can (Debian, as root), and otherwise says which
# command to run. Exit status: 0 when every test passed, 1 otherwise.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/lib/deps.sh"
ensure_packages run-tests "$root" cmake ninja c++ clang++-14 clang-format \
  x86_64-w64-mingw32-g++-posix wine socat clang-cl-14 lld-link-14 llvm-rc-14

cd "$root"
tools/check-format.sh
# The Windows tests use the native build's vr815-sim and vr815-test, so the
# default preset goes first.
for preset in default windows-x64 asan fuzz; do
  echo "=== $preset"
  tools/workflow.sh "$preset" </dev/null
done
