#!/bin/sh
# vr815-test built against a maker's library (VR815_VENDOR_HEADER_DIR and
# friends) and run under Wine: a header with a stand-in DLL behind it, laid
# out as a maker's kit in a folder whose name holds blanks and parentheses.
# Shows that the program is compiled against that header only, linked to
# that import library, finds that DLL beside it, that nothing of our library
# is built, and that the run's report is the expected one, byte for byte.
#
#   vendor_library_check.sh SOURCE_DIR HEADER_DIR IMPORT_LIB DLL WINE_RUN
#                           PREFIX EXPECTED_REPORT WORK_DIR [OPTIONS...]
#
# HEADER_DIR holds the VR815_DLL.h to build against; IMPORT_LIB and DLL are
# the stand-in as a Windows build made it. WINE_RUN is wine-run.sh and
# PREFIX that build's Wine prefix. EXPECTED_REPORT is a native
# vr815-expected-report, given the port COM7 and OPTIONS for the run's
# expected report (the stand-ins answer the port COM7 only). Exit status 77
# (skipped) when it is missing.
set -eu

if [ $# -lt 8 ]; then
  echo "usage: $0 SOURCE_DIR HEADER_DIR IMPORT_LIB DLL WINE_RUN PREFIX EXPECTED_REPORT WORK_DIR [OPTIONS...]" >&2
  exit 2
fi
src=$1
header_dir=$2
import_lib=$3
dll=$4
wine_run=$5
prefix=$6
expected_report=$7
work=$8
shift 8
. "$(dirname "$0")/../support/checks.sh"

if [ ! -x "$expected_report" ]; then
  echo "SKIP: no native vr815-expected-report at '$expected_report'"
  echo "      (build the default preset first, or set VR815_NATIVE_BUILD_DIR)"
  exit 77
fi

rm -rf "$work"
kit="$work/maker kit (x64)"
mkdir -p "$kit/include" "$kit/lib" "$kit/bin"
cp "$header_dir/VR815_DLL.h" "$kit/include/"
cp "$import_lib" "$kit/lib/VR815_DLL.lib"
cp "$dll" "$kit/bin/VR815_DLL.dll"

if ! cmake -S "$src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DVR815_VENDOR_HEADER_DIR="$kit/include" \
  -DVR815_VENDOR_IMPORT_LIB="$kit/lib/VR815_DLL.lib" \
  -DVR815_VENDOR_DLL="$kit/bin/VR815_DLL.dll" >"$work/configure.log" 2>&1; then
  cat "$work/configure.log"
  exit 1
fi
if ! cmake --build "$work/build" -j2 >"$work/build.log" 2>&1; then
  cat "$work/build.log"
  echo "FAIL: vr815-test does not build against $header_dir/VR815_DLL.h"
  exit 1
fi

# Beside them only the compiler's runtime DLLs, which the program shares.
built=$(cd "$work/build/bin" && ls |
  grep -Ev '^(libstdc\+\+-6|libgcc_s_seh-1|libwinpthread-1)\.dll$' | tr '\n' ' ')
[ "$built" = "VR815_DLL.dll vr815-test.exe " ] ||
  fail "expected only vr815-test.exe and the maker's DLL, found: $built"
grep -q "$src/device_api" "$work/build/compile_commands.json" &&
  fail "the program was compiled against our library's folder"
grep -q "VR815_DLL.dll.a\|libVR815_DLL" "$work/build/build.ninja" &&
  fail "the program is linked to our library"

cd "$work"
set +e
printf '\r\n' | timeout 60 "$wine_run" "$prefix" build/bin/vr815-test.exe \
  COM7 >run.out 2>run.err
status=$?
set -e
[ "$status" = 0 ] || fail "vr815-test.exe COM7 exited with $status, expected 0"
check_report run COM7 "$@"

finish
