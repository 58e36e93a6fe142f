#!/bin/sh
# The build against the maker's own library (VR815_VENDOR_HEADER_DIR and
# friends), wired up with stand-ins: our header in a folder of its own, our
# import library and DLL under other names. Shows that the program is then
# compiled against that header only, linked to that import library, finds
# that DLL beside it, and that nothing of our library is built. The maker's
# real library cannot be tried here.
#
#   vendor_library_check.sh SOURCE_DIR IMPORT_LIB DLL WINE_RUN PREFIX WORK_DIR
#
# IMPORT_LIB and DLL are our library as a Windows build made them, WINE_RUN
# is wine-run.sh and PREFIX that build's Wine prefix.
set -eu

if [ $# -ne 6 ]; then
  echo "usage: $0 SOURCE_DIR IMPORT_LIB DLL WINE_RUN PREFIX WORK_DIR" >&2
  exit 2
fi
src=$1
import_lib=$2
dll=$3
wine_run=$4
prefix=$5
work=$6
. "$(dirname "$0")/../support/checks.sh"

rm -rf "$work"
mkdir -p "$work/sdk/include" "$work/sdk/lib" "$work/sdk/bin"
cp "$src/device_api/VR815_DLL.h" "$work/sdk/include/"
cp "$import_lib" "$work/sdk/lib/VR815_DLL.lib"
cp "$dll" "$work/sdk/bin/VR815_DLL.dll"

cmake -S "$src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DVR815_VENDOR_HEADER_DIR="$work/sdk/include" \
  -DVR815_VENDOR_IMPORT_LIB="$work/sdk/lib/VR815_DLL.lib" \
  -DVR815_VENDOR_DLL="$work/sdk/bin/VR815_DLL.dll" >"$work/configure.log"
cmake --build "$work/build" -j2 >"$work/build.log"

# Beside them only the compiler's runtime DLLs, which the program shares.
built=$(cd "$work/build/bin" && ls |
  grep -Ev '^(libstdc\+\+-6|libgcc_s_seh-1|libwinpthread-1)\.dll$' | tr '\n' ' ')
[ "$built" = "VR815_DLL.dll vr815-test.exe " ] ||
  fail "expected only vr815-test.exe and the maker's DLL, found: $built"
grep -q "$src/device_api" "$work/build/compile_commands.json" &&
  fail "the program was compiled against our library's folder"
grep -q "$work/sdk/lib/VR815_DLL.lib" "$work/build/build.ninja" ||
  fail "the program is not linked to the given import library"

set +e
"$wine_run" "$prefix" "$work/build/bin/vr815-test.exe" \
  COM77 </dev/null >"$work/run.out" 2>&1
status=$?
set -e
[ "$status" = 255 ] || fail "vr815-test.exe COM77 exited with $status, expected 255"
grep -q 'Frame format verified' "$work/run.out" ||
  fail "the frame check did not run (see $work/run.out)"

finish
