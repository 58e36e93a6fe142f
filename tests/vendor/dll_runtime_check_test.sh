#!/bin/sh
# The configure-time check of the maker's DLL: vr815-test configured in the
# vendor mode against makers' DLLs on each kind of C++ runtime, with one
# toolchain. A DLL the program can share frames with is taken and named; any
# other is refused before anything is built, with a message that names what
# the DLL uses and what to do instead; without a DLL, configure says that
# nothing could be checked.
#
#   dll_runtime_check_test.sh CMAKE SOURCE WORK TOOLCHAIN FAMILY
#       MSVC_RELEASE_DLL MSVC_DEBUG_DLL MINGW_DLL STATIC_DLL
#
# TOOLCHAIN is a toolchain file, of the compiler FAMILY: mingw for
# MinGW-w64's, msvc for one that takes CMake's MSVC branch. The DLLs are fixtures that import the C++ runtime DLL of their
# kind (or none).
set -eu

if [ $# -ne 9 ]; then
  echo "usage: $0 CMAKE SOURCE WORK TOOLCHAIN FAMILY MSVC_RELEASE_DLL MSVC_DEBUG_DLL MINGW_DLL STATIC_DLL" >&2
  exit 2
fi
cmake=$1
source=$2
work=$3
toolchain=$4
family=$5
msvc_release_dll=$6
msvc_debug_dll=$7
mingw_dll=$8
static_dll=$9
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/checks.sh"

rm -rf "$work"
mkdir -p "$work"
: >"$work/VR815_DLL.lib"

# configure NAME DLL: the vendor mode configured against DLL (none: no DLL
# given) into $work/NAME; its status in $status, its output, one line, in
# $work/NAME.txt.
configure() {
  name=$1
  given=$2
  [ "$given" = none ] && given=""
  set +e
  "$cmake" -S "$source" -B "$work/$name" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Debug \
    -DVR815_VENDOR_HEADER_DIR="$source/device_api" \
    -DVR815_VENDOR_IMPORT_LIB="$work/VR815_DLL.lib" \
    -DVR815_VENDOR_DLL="$given" \
    >"$work/$name.log" 2>&1
  status=$?
  set -e
  # CMake wraps its messages: one line, blanks squeezed, to look in.
  tr '\n' ' ' <"$work/$name.log" | tr -s ' ' >"$work/$name.txt"
}

# expect NAME DLL taken|refused TEXT...: configuring against DLL is taken
# or refused, and its output holds each TEXT.
expect() {
  name=$1
  dll=$2
  outcome=$3
  shift 3
  configure "$name" "$dll"
  if [ "$outcome" = taken ] && [ "$status" != 0 ]; then
    cat "$work/$name.log"
    fail "$name: configuring against $dll fails"
  elif [ "$outcome" = refused ] && [ "$status" = 0 ]; then
    fail "$name: configuring against $dll is taken, expected a refusal"
  fi
  for text in "$@"; do
    grep -qF -- "$text" "$work/$name.txt" ||
      fail "$name: the output does not say '$text' (see $work/$name.log)"
  done
}

expect none none taken \
  "VR815_VENDOR_DLL not given: which C++ runtime the maker's DLL uses could not be checked"

release="Visual Studio's C++ runtime DLL, release (/MD)"
debug="Visual Studio's C++ runtime DLL, debug (/MDd)"
mingw="MinGW-w64's C++ runtime DLL (libstdc++)"
static_text="uses no C++ runtime DLL (a static runtime, /MT) (it imports:"
static_todo="Ask the maker for a build of the DLL on the shared C++ runtime (/MD)"
expect static "$static_dll" refused "$static_text" "$static_todo"
if [ "$family" = mingw ]; then
  expect mingw "$mingw_dll" taken \
    "The maker's DLL uses $mingw: vr815-test is built on it"
  expect msvc_release "$msvc_release_dll" refused "uses $release" \
    "Build vr815-test with Visual Studio 2022 instead"
  expect msvc_debug "$msvc_debug_dll" refused "uses $debug" \
    "Build vr815-test with Visual Studio 2022 instead"
else
  expect msvc_release "$msvc_release_dll" taken \
    "The maker's DLL uses $release: vr815-test is built on it"
  expect msvc_debug "$msvc_debug_dll" taken \
    "The maker's DLL uses $debug: vr815-test is built on it"
  expect mingw "$mingw_dll" refused "uses $mingw" \
    "Build vr815-test with MinGW-w64 instead"
fi

finish
