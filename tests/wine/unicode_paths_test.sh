#!/bin/sh
# vr815-sim.exe and vr815-test.exe under Wine, every path of their command
# lines in a folder named in Cyrillic or in CJK letters, in the C.UTF-8
# locale, whose ANSI code page under Wine (1252, as for English) holds
# neither: a program that read its command line in that code page could open
# none of them.
#
#   unicode_paths_test.sh WINE_RUN PREFIX BIN_DIR NATIVE_BUILD WORK_DIR
#
# WINE_RUN is wine-run.sh, PREFIX the build tree's Wine prefix, BIN_DIR the
# folder of the Windows programs and their DLLs, NATIVE_BUILD a native build
# tree holding vr815-expected-report, WORK_DIR a folder for the outputs.
# Exit status 77 (skipped) without the native build or without socat.
#
# In each folder: a copy of the programs and the two ends of a virtual
# serial pair (socat), named in the folder's letters too. vr815-sim.exe,
# started from there, acts as the device on one end (--port), writes its
# log there (--log) and hosts vr815-test.exe from there (--run), the other
# end its argument; the report must be the full one, and the log hold the
# frames.
set -eu

if [ $# -ne 5 ]; then
  echo "usage: $0 WINE_RUN PREFIX BIN_DIR NATIVE_BUILD WORK_DIR" >&2
  exit 2
fi
wine_run=$1
prefix=$2
bin=$3
native_build=$4
work=$5

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tools/lib/wine.sh"
. "$here/../support/checks.sh"

expected_report=$native_build/tests/support/vr815-expected-report
skip_without_expected_report
if ! command -v socat >/dev/null 2>&1; then
  echo "SKIP: no socat for the virtual serial pairs"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work"
cd "$work"

LC_ALL=C.UTF-8
export LC_ALL
wine_env "$prefix"
socat_pids=
cleanup() {
  for pid in $socat_pids; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A path as Windows programs under Wine name it (drive Z: is /).
windows_path() {
  printf 'Z:%s' "$1" | tr / '\\'
}

# prepare FOLDER PORT: the programs in FOLDER, and the ends of a serial pair
# there, FOLDER/PORT-a and FOLDER/PORT-b.
prepare() {
  mkdir "$work/$1"
  cp "$bin"/vr815-sim.exe "$bin"/vr815-test.exe "$bin"/*.dll "$work/$1/"
  # Bounded, so that a test killed at its time limit leaves no pair for long.
  timeout 300 socat "pty,raw,echo=0,link=$work/$1/$2-a" \
    "pty,raw,echo=0,link=$work/$1/$2-b" 2>"$work/$1/socat.err" &
  socat_pids="$socat_pids $!"
  i=0
  while [ ! -e "$work/$1/$2-b" ] && [ $i -lt 50 ]; do
    sleep 0.1
    i=$((i + 1))
  done
  [ -e "$work/$1/$2-a" ] && [ -e "$work/$1/$2-b" ] ||
    { cat "$work/$1/socat.err"; echo "FAIL: no serial pair in $1"; exit 1; }
}

# The second folder's name holds a blank, which the hosted program's command
# line must quote.
cyrillic="Кириллица"
cjk="漢字 フォルダ"
prepare "$cyrillic" "порт"
prepare "$cjk" "端口"
wine_start_server

# run NAME FOLDER PORT: the device on FOLDER/PORT-a hosting the harness on
# FOLDER/PORT-b, both programs and the log in FOLDER; output in NAME.out,
# status in NAME.rc.
run() {
  dir=$(windows_path "$work/$2")
  set +e
  printf '\r\n' | timeout 60 "$wine_run" "$prefix" "$work/$2/vr815-sim.exe" \
    --port "$dir\\$3-a" --log "$dir\\sim.log" \
    --run "$dir\\vr815-test.exe" "$dir\\$3-b" 115200 \
    >"$1.out" 2>"$1.err"
  echo $? >"$1.rc"
  set -e
}

run cyrillic "$cyrillic" "порт" &
r1=$!
run cjk "$cjk" "端口" &
r2=$!
wait $r1 $r2

# check NAME FOLDER PORT
check() {
  rc=$(cat "$1.rc")
  [ "$rc" = 0 ] || fail "$1: exit status $rc (see $work/$1.err)"
  check_report "$1" "$(windows_path "$work/$2")\\$3-b"
  [ -s "$work/$2/sim.log" ] || fail "$1: the device logged no frame"
}
check cyrillic "$cyrillic" "порт"
check cjk "$cjk" "端口"

finish
