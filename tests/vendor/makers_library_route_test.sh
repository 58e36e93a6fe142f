#!/bin/sh
# The lab engineer's route to a run on a maker's library, as
# docs/makers-library.md writes it, with the Windows toolchain standing in
# for Visual Studio: the source package made by cpack and unpacked into a
# fresh folder whose name holds blanks, parentheses, '&' and letters beyond
# ASCII; a maker's kit (a header with a stand-in DLL behind it) in a folder
# of its own; the page's configure and build commands run as written, the
# kit's folders put in, with nothing visible but CMake, Ninja and the
# compiler; the page's program run under Wine beside the kit's DLL. Its
# report must be the expected one, byte for byte; nothing of our library
# may be built, compiled against or linked.
#
#   makers_library_route_test.sh CPACK SOURCE_CPACK_CONFIG VERSION CXX
#       HEADER_DIR IMPORT_LIB DLL WINE_RUN PREFIX EXPECTED_REPORT WORK_DIR
#       [OPTIONS...]
#
# SOURCE_CPACK_CONFIG is the build's CPackSourceConfig.cmake; CXX the
# cross compiler, beside which the rest of the toolchain lies. HEADER_DIR
# holds the kit's VR815_DLL.h; IMPORT_LIB and DLL are the stand-in as the
# Windows build made it. WINE_RUN is wine-run.sh and PREFIX the build's Wine
# prefix. EXPECTED_REPORT is a native vr815-expected-report, given the port
# COM7 and OPTIONS for the run's expected report (the stand-ins answer the
# port COM7 only). Exit status 77 (skipped) when it is missing.
set -eu

if [ $# -lt 11 ]; then
  echo "usage: $0 CPACK SOURCE_CPACK_CONFIG VERSION CXX HEADER_DIR IMPORT_LIB DLL WINE_RUN PREFIX EXPECTED_REPORT WORK_DIR [OPTIONS...]" >&2
  exit 2
fi
cpack=$1
cpack_config=$2
version=$3
cxx=$4
header_dir=$5
import_lib=$6
dll=$7
wine_run=$8
prefix=$9
expected_report=${10}
work=${11}
shift 11
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/checks.sh"
. "$here/../support/packages.sh"

skip_without_expected_report

rm -rf "$work"
mkdir -p "$work"

# --- what the engineer has: the source package, a kit, the tools -----------

make_package "$cpack" "$cpack_config" ZIP "$work/package"
[ "$(basename "$package")" = "vr815-$version-source.zip" ] ||
  fail "the source package is named $(basename "$package")"
unpacked="$work/Lab PC (1) & Проверка 試験"
mkdir -p "$unpacked"
(cd "$unpacked" && unzip -q "$package")
src="$unpacked/vr815-$version-source"
[ -f "$src/CMakeLists.txt" ] || {
  fail "the source package does not unpack into vr815-$version-source"
  finish
}
page="$src/docs/makers-library.md"
grep -qF "vr815-$version-source" "$page" ||
  fail "the page does not name the folder vr815-$version-source"

kit="$work/kit/VR815 SDK"
mkdir -p "$kit/include" "$kit/lib" "$kit/bin"
cp "$header_dir/VR815_DLL.h" "$kit/include/"
cp "$import_lib" "$kit/lib/VR815_DLL.lib"
cp "$dll" "$kit/bin/VR815_DLL.dll"

# CMake, Ninja and the cross toolchain (every program named for its target
# beside the compiler), and nothing else.
tools="$work/tools"
mkdir -p "$tools" "$work/home"
ln -s "$(command -v cmake)" "$tools/cmake"
ln -s "$(command -v ninja)" "$tools/ninja"
target=$(basename "$cxx")
target=${target%%g++*}
for program in "$(dirname "$cxx")/$target"*; do
  ln -s "$program" "$tools/"
done

# --- the page's commands ------------------------------------------------------

# page_command PATTERN: the page's first indented command line that starts
# with PATTERN, its backslashes made slashes, one argument a line (quotes
# taken away as the command prompt takes them), the kit's folder in place of
# the page's.
page_command() {
  line=$(grep -m 1 "^ *$1" "$page" | sed 's/^ *//' | tr '\\' /)
  [ -n "$line" ] || { echo "FAIL: the page has no command '$1'"; exit 1; }
  printf '%s\n' "$line" | xargs -n 1 printf '%s\n' |
    while IFS= read -r arg; do
      case $arg in
        *"C:/VR815 SDK"*) arg="${arg%%C:/VR815 SDK*}$kit${arg#*C:/VR815 SDK}" ;;
      esac
      printf '%s\n' "$arg"
    done
}

# run_page_command NAME PATTERN [VARIABLE=VALUE]: the page's command, in
# the source folder, with the environment of a prompt that offers CMake and
# the compiler only, and the variable given.
run_page_command() {
  name=$1
  page_command "$2" >"$work/$name.args"
  set -- CMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw64.cmake" ${3+"$3"}
  while IFS= read -r arg; do
    set -- "$@" "$arg"
  done <"$work/$name.args"
  (cd "$src" && env -i PATH="$tools" HOME="$work/home" "$@") \
    >"$work/$name.log" 2>&1
}

# check_built BUILD_DIR PROGRAM: beside the program only the maker's DLL
# and the compiler's runtime DLLs, which the program shares; nothing of our
# library compiled against or linked; every generated resource script
# plain ASCII, whatever the folders are called.
check_built() {
  built=$(cd "$(dirname "$src/$2")" && ls |
    grep -Ev '^(libstdc\+\+-6|libgcc_s_seh-1|libwinpthread-1)\.dll$' | tr '\n' ' ')
  [ "$built" = "VR815_DLL.dll vr815-test.exe " ] ||
    fail "expected only vr815-test.exe and the maker's DLL, found: $built"
  grep -qF "$src/device_api" "$1/compile_commands.json" &&
    fail "the program was compiled against our library's folder"
  grep -q "VR815_DLL.dll.a\|libVR815_DLL" "$1/build.ninja" &&
    fail "the program is linked to our library"
  find "$1" -name '*.rc' -exec env LC_ALL=C grep -l "$(printf '[^\t -~]')" {} + \
    >"$work/rc-beyond-ascii" || true
  [ -s "$work/rc-beyond-ascii" ] &&
    fail "resource scripts with letters beyond ASCII: $(cat "$work/rc-beyond-ascii")"
  return 0
}

# run_program NAME PROGRAM OPTIONS...: PROGRAM run under Wine on COM7, where
# the stand-in answers (the page runs it on COM3); its report must be the
# expected one for OPTIONS.
run_program() {
  name=$1
  run=$2
  shift 2
  set +e
  (cd "$src" && printf '\r\n' |
    timeout 60 "$wine_run" "$prefix" "$run" COM7 \
      >"$work/$name.out" 2>"$work/$name.err")
  status=$?
  set -e
  [ "$status" = 0 ] || fail "$run COM7 exited with $status, expected 0"
  check_report "$work/$name" COM7 "$@"
}

if ! run_page_command configure 'cmake -S '; then
  cat "$work/configure.log"
  fail "the page's configure command fails"
  finish
fi
if ! run_page_command build 'cmake --build build'; then
  cat "$work/build.log"
  fail "vr815-test does not build against $header_dir/VR815_DLL.h"
  finish
fi
build=$(sed -n '/^-B$/{n;p;q;}' "$work/configure.args")
build_dir="$src/$build"
program=$(page_command "$(printf '%s' "$build" | tr / .).bin.vr815-test\\.exe" |
  head -n 1)
check_built "$build_dir" "$program"
run_program run "$program" "$@"

# --- the page's presets, the kit named once in VR815_SDK ----------------------

grep -q '^ *setx VR815_SDK "C:\\VR815 SDK"$' "$page" ||
  fail "the page does not set VR815_SDK to the kit's folder"
if ! run_page_command preset_configure 'cmake --preset ' VR815_SDK="$kit"; then
  cat "$work/preset_configure.log"
  fail "the page's preset configure command fails"
  finish
fi
if ! run_page_command preset_build 'cmake --build --preset ' VR815_SDK="$kit"; then
  cat "$work/preset_build.log"
  fail "vr815-test does not build through the page's preset"
  finish
fi
preset=$(sed -n 3p "$work/preset_configure.args")
program=$(page_command "build.$preset.bin.vr815-test\.exe" | head -n 1)
if [ -z "$program" ]; then
  fail "the page does not run build\\$preset\\bin\\vr815-test.exe"
  finish
fi
check_built "$src/build/$preset" "$program"
run_program preset_run "$program" "$@"

finish
