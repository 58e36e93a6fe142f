#!/bin/sh
# The Windows zip as a user gets it: made by cpack from this build, unpacked
# into an empty folder and run under Wine in a prefix of its own, with
# nothing of the build on any search path.
#
#   windows_package_test.sh MODE WINE_RUN PREFIX CPACK CPACK_CONFIG VERSION
#                           NATIVE_BUILD WORK_DIR
#
# WINE_RUN is wine-run.sh; NATIVE_BUILD a native build tree holding
# vr815-expected-report, which gives the report of a full run: without it
# the runs are skipped (77).
#
# MODE:
#   make-prefix    a fresh Wine prefix at PREFIX (the tests' fixture)
#   remove-prefix  its server stopped and the prefix removed
#   run-with-sim   the zip's contents, version resources and line ends;
#                  run-with-sim.cmd gives the full report, also twice at
#                  once, passes its arguments to the simulated device, and
#                  ends at once with 127 when vr815-test.exe cannot start
#   com-ports      vr815-sim.exe --port COM7 --run vr815-test.exe COM8 on
#                  the two ends of a virtual serial pair (socat) gives the
#                  full report; skipped (77) without socat
set -eu

if [ $# -ne 8 ]; then
  echo "usage: $0 MODE WINE_RUN PREFIX CPACK CPACK_CONFIG VERSION NATIVE_BUILD WORK_DIR" >&2
  exit 2
fi
mode=$1
wine_run=$2
prefix=$3
cpack=$4
cpack_config=$5
version=$6
native_build=$7
work=$8
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/packages.sh"
. "$here/../support/checks.sh"
. "$here/../../tools/lib/wine.sh"

unset WINEPATH
wine_env "$prefix"

case $mode in
  make-prefix)
    wine_stop_server
    rm -rf "$prefix"
    wine_create_prefix
    [ -f "$prefix/.created" ] || { echo "FAIL: no Wine prefix made"; exit 1; }
    exit 0 ;;
  remove-prefix)
    wine_stop_server
    rm -rf "$prefix"
    exit 0 ;;
  run-with-sim|com-ports) ;;
  *) echo "unknown mode $mode" >&2; exit 2 ;;
esac

expected_report=$native_build/tests/support/vr815-expected-report
skip_without_expected_report

if [ "$mode" = com-ports ] && ! command -v socat >/dev/null 2>&1; then
  echo "SKIP: no socat for the virtual serial pair"
  exit 77
fi

rm -rf "$work"
# Unpacked where a user may: a folder whose name holds blanks, parentheses,
# '&' and letters beyond ASCII.
unpacked="$work/Lab PC (1) & Проверка 試験"
mkdir -p "$unpacked"
make_package "$cpack" "$cpack_config" ZIP "$work/package"
[ "$(basename "$package")" = "vr815-$version-windows-x64.zip" ] ||
  fail "package name $(basename "$package") does not carry version $version"
(cd "$unpacked" && unzip -q "$package")
# One folder, named as README-windows.txt says.
root="$unpacked/vr815-$version-windows-x64"
[ "$(ls "$unpacked")" = "vr815-$version-windows-x64" ] ||
  { fail "the zip does not hold the one folder vr815-$version-windows-x64"; finish; }
grep -q "holds one folder, vr815-$version-windows-x64" "$root/README-windows.txt" ||
  fail "README-windows.txt does not name the zip's folder"
cd "$root"

# run NAME PROGRAM [ARGS...]: under Wine in the test prefix, from the
# unpacked folder; output in NAME.out, status in NAME.rc; bounded.
run() {
  name=$1
  shift
  set +e
  timeout 120 "$wine_run" "$prefix" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.out.err"
  echo $? >"$work/$name.rc"
  set -e
}
expect_status() {  # NAME STATUS
  [ "$(cat "$work/$1.rc")" = "$2" ] ||
    fail "$1: exit status $(cat "$work/$1.rc"), expected $2 (see $work/$1.out)"
}

if [ "$mode" = run-with-sim ]; then
  for file in vr815-test.exe VR815_DLL.dll vr815-sim.exe \
      libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll \
      include/VR815_DLL.h lib/libVR815_DLL.dll.a \
      lib/cmake/VR815_DLL/VR815_DLLConfig.cmake \
      README-windows.txt run-with-sim.cmd; do
    [ -f "$file" ] || fail "no $file in the zip"
  done
  [ "$failures" -eq 0 ] || finish

  # Each module's version resource names the module and the version.
  for module in vr815-test.exe VR815_DLL.dll vr815-sim.exe; do
    strings -el "$module" >"$work/$module.strings"
    for pair in "OriginalFilename $module" "FileVersion $version" \
        "ProductVersion $version"; do
      key=${pair%% *}
      grep -A1 -x "$key" "$work/$module.strings" | tail -n 1 |
        grep -qx "${pair#* }" || fail "$module: no $pair in its version resource"
    done
  done

  # What a Windows user opens has Windows line ends throughout.
  cr=$(printf '\r')
  for file in README-windows.txt run-with-sim.cmd; do
    if grep -qv "$cr\$" "$file"; then fail "$file: a line without CRLF"; fi
  done

  # The simulated device has no pseudo-terminal on Windows: without a line
  # to serve on it says so on one line and ends with status 2.
  run no_line vr815-sim.exe
  expect_status no_line 2
  [ ! -s "$work/no_line.out" ] && [ "$(wc -l <"$work/no_line.out.err")" -eq 1 ] ||
    fail "no_line: not one line on standard error alone (see $work/no_line.out.err)"

  # A whole run against the simulated device.
  run full cmd /c run-with-sim.cmd
  expect_status full 0
  port=$(tr -d '\r' <"$work/full.out" | sed -n 's/^Port=\([^,]*\),.*$/\1/p')
  echo "$port" | grep -Eq '^socket://127\.0\.0\.1:[0-9]+$' ||
    fail "full: the run was not on a loopback port but on '$port'"
  check_report "$work/full" "$port"

  # Two at once, as from two consoles: each has a device of its own, and
  # neither disturbs the other.
  run twin1 cmd /c run-with-sim.cmd &
  twin1=$!
  run twin2 cmd /c run-with-sim.cmd &
  twin2=$!
  wait $twin1 $twin2
  for twin in twin1 twin2; do
    expect_status $twin 0
    twin_port=$(tr -d '\r' <"$work/$twin.out" | sed -n 's/^Port=\([^,]*\),.*$/\1/p')
    check_report "$work/$twin" "$twin_port"
  done

  # Its arguments reach the simulated device.
  run failing cmd /c run-with-sim.cmd --fail SET_DELAY=5
  expect_status failing 0
  grep -q '^  \[FAIL\] vr815_set_delay (code=5).\{0,1\}$' "$work/failing.out" ||
    fail "failing: --fail SET_DELAY=5 did not reach the simulated device"

  # vr815-test.exe that cannot start: the device says so on one line and
  # ends at once with 127, which the script passes on.
  mkdir "$work/broken"
  cp ./*.exe ./*.dll run-with-sim.cmd "$work/broken/"
  cp README-windows.txt "$work/broken/vr815-test.exe"
  (cd "$work/broken" && run broken cmd /c run-with-sim.cmd)
  expect_status broken 127
  [ ! -s "$work/broken.out" ] && [ "$(wc -l <"$work/broken.out.err")" -eq 1 ] ||
    fail "broken: not one line on standard error alone (see $work/broken.out.err)"
  finish
fi

# --- com-ports: the simulated device on a serial port of its own ------------

socat_pid=
mapped=
cleanup() {
  [ -n "$socat_pid" ] && kill "$socat_pid" 2>/dev/null || true
  if [ -n "$mapped" ]; then
    wine_unmap_ports COM7 COM8 || true
    wine_stop_server
  fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

socat -d -d "pty,raw,echo=0,link=$work/tty-sim" "pty,raw,echo=0,link=$work/tty-test" \
  2>"$work/socat.err" &
socat_pid=$!
i=0
while { [ ! -e "$work/tty-sim" ] || [ ! -e "$work/tty-test" ]; } && [ $i -lt 50 ]; do
  sleep 0.1
  i=$((i + 1))
done
[ -e "$work/tty-test" ] || { cat "$work/socat.err"; echo "FAIL: no serial pair"; exit 1; }

mapped=yes
wine_map_ports "COM7=$work/tty-sim" "COM8=$work/tty-test" || exit 1
# Wine's own services start here, not within the run's bounded time.
wine_start_server

# The device on COM7 hosts the harness on COM8; its own name comes after
# the baud rate, where the harness ignores it.
run serial ./vr815-sim.exe --port COM7 --run ./vr815-test.exe COM8 115200
expect_status serial 0
check_report "$work/serial" COM8
finish
