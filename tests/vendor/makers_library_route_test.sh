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

# run_page_command NAME PATTERN: the page's command, in the source folder,
# with the environment of a prompt that offers CMake and the compiler only.
run_page_command() {
  name=$1
  page_command "$2" >"$work/$name.args"
  set --
  while IFS= read -r arg; do
    set -- "$@" "$arg"
  done <"$work/$name.args"
  (cd "$src" && env -i PATH="$tools" HOME="$work/home" \
    CMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw64.cmake" \
    "$@") >"$work/$name.log" 2>&1
}

if ! run_page_command configure 'cmake -S '; then
  cat "$work/configure.log"
  fail "the page's configure command fails"
  finish
fi
if ! run_page_command build 'cmake --build '; then
  cat "$work/build.log"
  fail "vr815-test does not build against $header_dir/VR815_DLL.h"
  finish
fi
build_dir="$src/$(sed -n '/^-B$/{n;p;q;}' "$work/configure.args")"
program=$(page_command 'build.*vr815-test\.exe' | head -n 1)

# Beside the program only the maker's DLL and the compiler's runtime DLLs,
# which the program shares.
built=$(cd "$(dirname "$src/$program")" && ls |
  grep -Ev '^(libstdc\+\+-6|libgcc_s_seh-1|libwinpthread-1)\.dll$' | tr '\n' ' ')
[ "$built" = "VR815_DLL.dll vr815-test.exe " ] ||
  fail "expected only vr815-test.exe and the maker's DLL, found: $built"
grep -qF "$src/device_api" "$build_dir/compile_commands.json" &&
  fail "the program was compiled against our library's folder"
grep -q "VR815_DLL.dll.a\|libVR815_DLL" "$build_dir/build.ninja" &&
  fail "the program is linked to our library"

# The page runs it on COM3; the stand-in answers COM7.
cd "$src"
set +e
printf '\r\n' | timeout 60 "$wine_run" "$prefix" "$program" COM7 \
  >"$work/run.out" 2>"$work/run.err"
status=$?
set -e
[ "$status" = 0 ] || fail "$program COM7 exited with $status, expected 0"
check_report "$work/run" COM7 "$@"

finish
