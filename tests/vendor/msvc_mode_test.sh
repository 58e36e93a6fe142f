#!/bin/sh
# The vendor mode through CMake's MSVC branch, with the clang-cl toolchain
# standing in for Visual Studio (tests/vendor/msvc): Visual Studio cannot run
# here, its compiler's command line and CMake's handling of it can.
#
#   1. The C++ runtime in every configuration: vr815-test configured Debug,
#      Release, RelWithDebInfo and MinSizeRel (Ninja) and with Ninja
#      Multi-Config, against a maker's DLL on the release runtime and one on
#      the debug runtime; every compile of the program's sources must take
#      the DLL's runtime (/MD or /MDd, never the static /MT, /MTd) with its
#      iterator debug level, and Debug still no optimisation and symbols.
#   2. The binding compiled against every stand-in maker's header and ours,
#      without a warning at the branch's /W4 /permissive-.
#   3. The configure presets Visual Studio offers, from the source package,
#      the toolchain named in the environment as Visual Studio's prompt
#      names its compiler and the kit in VR815_SDK: configured, built and
#      linked against a stand-in DLL built by the same toolchain, without a
#      warning; the program run under Wine, its report the expected one.
#
# What cannot be had here is said on lines of their own, "NOT TRIED: ...",
# each with why.
#
#   msvc_mode_test.sh CMAKE CPACK SOURCE_CPACK_CONFIG SOURCE TOOLCHAIN
#       RELEASE_DLL DEBUG_DLL WINE_RUN PREFIX EXPECTED_REPORT WORK_DIR
#       PRESETS [OPTIONS...]
#
# RELEASE_DLL and DEBUG_DLL are makers' DLLs that import the release and
# the debug runtime. PRESETS are the configure presets, separated by ';'.
# EXPECTED_REPORT is a native vr815-expected-report, given COM7 and OPTIONS
# for the report of a run on the winapi stand-in; without it, the runs'
# reports are not compared.
set -eu

if [ $# -lt 12 ]; then
  echo "usage: $0 CMAKE CPACK SOURCE_CPACK_CONFIG SOURCE TOOLCHAIN RELEASE_DLL DEBUG_DLL WINE_RUN PREFIX EXPECTED_REPORT WORK_DIR PRESETS [OPTIONS...]" >&2
  exit 2
fi
cmake=$1
cpack=$2
cpack_config=$3
source=$4
toolchain=$5
release_dll=$6
debug_dll=$7
wine_run=$8
prefix=$9
expected_report=${10}
work=${11}
presets=${12}
shift 12
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/checks.sh"
. "$here/../support/packages.sh"

rm -rf "$work"
mkdir -p "$work"

for tool in clang-cl-14 lld-link-14 llvm-lib-14 llvm-rc-14; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done
for dir in /usr/lib/llvm-14/include/c++/v1 /usr/include/wine/wine/msvcrt \
    /usr/include/wine/wine/windows; do
  [ -d "$dir" ] || fail "no $dir (libc++-14-dev, libwine-dev)"
done
[ "$failures" = 0 ] || finish

# not_tried WHAT WHY: a part that cannot be had here, one line.
not_tried() {
  echo "NOT TRIED: $1: $2"
}

# no_warnings NAME LOG: the build's log holds no compiler warning.
no_warnings() {
  if grep -q 'warning:' "$2"; then
    grep 'warning:' "$2"
    fail "$1: the build warns"
  fi
}

# --- the runtime folder and a stand-in DLL, built by the toolchain --------

runtime="$work/runtime"
if ! "$cmake" -S "$here/msvc/runtime" -B "$runtime" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DVR815_STAND_IN=winapi -DVR815_STAND_IN_HEADER_DIR="$here/winapi/include" \
    >"$work/runtime.log" 2>&1 ||
   ! "$cmake" --build "$runtime" --parallel 2 >>"$work/runtime.log" 2>&1; then
  cat "$work/runtime.log"
  fail "the runtime folder and the stand-in DLL do not build"
  finish
fi
no_warnings "the runtime folder and the stand-in DLL" "$work/runtime.log"

# The stand-in maker's kit, as the presets take it from VR815_SDK.
kit="$work/kit"
mkdir -p "$kit/include" "$kit/lib" "$kit/bin"
cp "$here/winapi/include/VR815_DLL.h" "$kit/include/"
cp "$runtime/stand_in/VR815_DLL.lib" "$kit/lib/"
cp "$runtime/stand_in/VR815_DLL.dll" "$kit/bin/"

# configure NAME GENERATOR HEADER_DIR DLL [ARGS...]: the vendor mode
# configured into $work/NAME, without the runtime folder (compile only).
configure() {
  _name=$1
  _generator=$2
  _header_dir=$3
  _dll=$4
  shift 4
  if ! "$cmake" -S "$source" -B "$work/$_name" -G "$_generator" \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DVR815_VENDOR_HEADER_DIR="$_header_dir" \
      -DVR815_VENDOR_IMPORT_LIB="$kit/lib/VR815_DLL.lib" \
      -DVR815_VENDOR_DLL="$_dll" "$@" >"$work/$_name.log" 2>&1; then
    cat "$work/$_name.log"
    fail "$_name: the vendor mode does not configure"
    return 1
  fi
}

# compiles NINJA_FILE: one line for each compile of the program's sources,
# "OBJECT FLAGS DEFINES", from the build statements of NINJA_FILE.
compiles() {
  awk '
    /^build / {
      object = ""
      if ($2 ~ /^test_app\/CMakeFiles\/(vr815_harness|vr815_port_selection|vr815-test)\.dir\/.*\.cpp\.obj:$/)
        object = substr($2, 1, length($2) - 1)
      flags = ""; defines = ""
      next
    }
    object != "" && /^  FLAGS = / { flags = substr($0, 11) }
    object != "" && /^  DEFINES = / { defines = substr($0, 13) }
    object != "" && /^$/ { print object " " flags " " defines; object = "" }
  ' "$1"
}

# check_compiles NAME NINJA_FILE CONFIG RUNTIME_FLAG ITERATOR_LEVEL: every
# compile of the program's sources in NINJA_FILE takes RUNTIME_FLAG (MD or
# MDd) as its only runtime flag, and _ITERATOR_DEBUG_LEVEL=ITERATOR_LEVEL;
# in Debug, no optimisation and debug information. One failure for each
# fault, naming the objects that have it.
check_compiles() {
  _name=$1
  compiles "$2" >"$work/$_name.compiles"
  for _target in vr815_harness vr815_port_selection vr815-test; do
    grep -q "^test_app/CMakeFiles/$_target\.dir/" "$work/$_name.compiles" ||
      fail "$_name: no compile of $_target's sources in $2"
  done
  while read -r _object _line; do
    _object=${_object##*/}
    _runtime=$(printf ' %s \n' "$_line" | tr ' ' '\n' |
      grep -E '^[-/]M[DT]d?$' | tr -d '/-' | tr '\n' ' ' | sed 's/ $//')
    [ "$_runtime" = "$4" ] ||
      echo "compiled with runtime flags '$_runtime', expected /$4 alone: $_object"
    case " $_line " in
      *" -D_ITERATOR_DEBUG_LEVEL=$5 "*) ;;
      *) echo "compiled without _ITERATOR_DEBUG_LEVEL=$5: $_object" ;;
    esac
    if [ "$3" = Debug ]; then
      case " $_line " in
        *[-/]Od" "*) ;;
        *) echo "compiled optimised in Debug: $_object" ;;
      esac
      case " $_line " in
        *[-/]Zi" "* | *[-/]Z7" "*) ;;
        *) echo "compiled without debug information in Debug: $_object" ;;
      esac
    fi
  done <"$work/$_name.compiles" >"$work/$_name.faults"
  sed 's/: [^:]*$//' "$work/$_name.faults" | sort -u | while read -r _fault; do
    echo "$_fault: $(grep -F "$_fault: " "$work/$_name.faults" |
      sed 's/.*: //' | tr '\n' ' ')"
  done >"$work/$_name.faults.summary"
  while read -r _fault; do
    fail "$_name: $_fault"
  done <"$work/$_name.faults.summary"
}


# --- 1. the runtime in every configuration --------------------------------

configs="Debug Release RelWithDebInfo MinSizeRel"
for runtime_kind in release debug; do
  if [ $runtime_kind = release ]; then
    dll=$release_dll flag=MD level=0
  else
    dll=$debug_dll flag=MDd level=2
  fi
  for config in $configs; do
    name=flags-$runtime_kind-$config
    configure "$name" Ninja "$kit/include" "$dll" \
      -DCMAKE_BUILD_TYPE="$config" || continue
    check_compiles "$name" "$work/$name/build.ninja" "$config" $flag $level
  done
  name=flags-$runtime_kind-multi
  if configure "$name" "Ninja Multi-Config" "$kit/include" "$dll" \
      "-DCMAKE_CONFIGURATION_TYPES=$(echo $configs | tr ' ' ';')"; then
    for config in $configs; do
      check_compiles "$name-$config" "$work/$name/CMakeFiles/impl-$config.ninja" \
        "$config" $flag $level
    done
  fi
done
not_tried "a program on the debug runtime (/MDd)" \
  "Wine has no vcruntime140d.dll or ucrtbased.dll to link against and load; its configurations are checked by their compile flags alone"

# --- 2. the binding against every header ------------------------------------

# The two files that call the library (winapi's comes with the presets).
for header in ours cpp_linkage fixed_width; do
  header_dir="$here/$header/include"
  [ $header = ours ] && header_dir="$source/device_api"
  name=binding-$header
  configure "$name" Ninja "$header_dir" "$release_dll" \
    -DCMAKE_BUILD_TYPE=Release || continue
  if ! "$cmake" --build "$work/$name" --parallel 2 --target \
      test_app/CMakeFiles/vr815_harness.dir/device_sequence.cpp.obj \
      test_app/CMakeFiles/vr815_harness.dir/frame_check.cpp.obj \
      >"$work/$name.build.log" 2>&1; then
    cat "$work/$name.build.log"
    fail "$name: the binding does not compile against $header_dir/VR815_DLL.h"
    continue
  fi
  no_warnings "$name" "$work/$name.build.log"
done

# --- 3. the presets, built, linked and run ----------------------------------

not_tried "Visual Studio's compiler, standard library and runtime DLLs" \
  "not installable here; clang-cl, libc++ and Wine's ucrtbase.dll and vcruntime140.dll stand in, for the program and the stand-in DLL alike"

make_package "$cpack" "$cpack_config" TGZ "$work/package"
mkdir -p "$work/source"
tar -xzf "$package" -C "$work/source"
copy=$(find "$work/source" -mindepth 1 -maxdepth 1 -type d)
[ -f "$copy/CMakePresets.json" ] || {
  fail "the source package holds no CMakePresets.json"
  finish
}

[ -x "$expected_report" ] ||
  not_tried "the runs' reports" \
    "no native vr815-expected-report at '$expected_report' to compare them with (build the default preset first)"

for preset in $(echo "$presets" | tr ';' ' '); do
  log="$work/preset-$preset"
  if ! (cd "$copy" && VR815_SDK="$kit" CMAKE_TOOLCHAIN_FILE="$toolchain" \
      VR815_MSVC_RUNTIME_DIR="$runtime" \
      "$cmake" --preset "$preset" >"$log.configure.log" 2>&1); then
    cat "$log.configure.log"
    fail "--preset $preset does not configure"
    continue
  fi
  build="$copy/build/$preset"
  grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang-cl' "$build/CMakeCache.txt" ||
    fail "--preset $preset: the compiler is not the toolchain's from CMAKE_TOOLCHAIN_FILE"
  config=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
  check_compiles "preset-$preset" "$build/build.ninja" "$config" MD 0
  # The MSVC branch's warnings.
  grep -q '/W4 /permissive-' "$work/preset-$preset.compiles" ||
    fail "--preset $preset: the compiles do not take the MSVC branch's /W4 /permissive-"
  if ! (cd "$copy" && "$cmake" --build --preset "$preset" --parallel 2 \
      >"$log.build.log" 2>&1); then
    cat "$log.build.log"
    fail "--preset $preset: vr815-test does not build or link"
    continue
  fi
  no_warnings "--preset $preset" "$log.build.log"
  program="$build/bin/vr815-test.exe"
  [ -f "$build/bin/VR815_DLL.dll" ] ||
    fail "--preset $preset: the maker's DLL is not beside the program"
  set +e
  printf '\r\n' | (cd "$build/bin" && timeout 60 "$wine_run" "$prefix" \
    "$program" COM7) >"$log.out" 2>"$log.err"
  status=$?
  set -e
  [ "$status" = 0 ] ||
    fail "--preset $preset: vr815-test.exe COM7 exited with $status, expected 0"
  if [ -x "$expected_report" ]; then
    check_report "$log" COM7 "$@"
  fi
done

finish
