#!/bin/sh
# The Windows vr815-test.exe under Wine, on COM ports that Wine maps to
# simulated devices (the native vr815-sim on pseudo-terminals); its reports,
# and the native vr815-test's on the same kind of device, compared with the
# expected report (tests/support's vr815-expected-report).
#
#   com_port_run_test.sh WINE_RUN PREFIX WINDOWS_TEST NATIVE_BUILD WORK_DIR
#
# WINE_RUN is wine-run.sh, PREFIX the build tree's Wine prefix, WINDOWS_TEST
# the vr815-test.exe to try, NATIVE_BUILD a native build tree holding
# vr815-sim, vr815-test and vr815-expected-report, WORK_DIR a folder for the
# outputs. Exit status 77 (skipped) when the native build is missing.
#
# The ports, mapped through Wine's HKLM\Software\Wine\Ports key:
#   COM12  a device that answers everything
#   COM3   a silent device (every call must end in the reply timeout)
#   COM5   a device that hangs up at its third frame
# COM12 and COM3 list in a different order by text than by number. Beside
# them, the Windows program opens a native device listening on TCP by its
# socket:// name.
set -eu

if [ $# -ne 5 ]; then
  echo "usage: $0 WINE_RUN PREFIX WINDOWS_TEST NATIVE_BUILD WORK_DIR" >&2
  exit 2
fi
wine_run=$1
prefix=$2
windows_test=$3
native_build=$4
work=$5

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tools/lib/sim.sh"
. "$here/../../tools/lib/wine.sh"
. "$here/../support/checks.sh"

sim=$native_build/device_api/sim/vr815-sim
native_test=$native_build/test_app/vr815-test
expected_report=$native_build/tests/support/vr815-expected-report
if [ ! -x "$sim" ] || [ ! -x "$native_test" ] || [ ! -x "$expected_report" ]; then
  echo "SKIP: no native build with vr815-sim, vr815-test and"
  echo "      vr815-expected-report at '$native_build'"
  echo "      (build the default preset first, or set VR815_NATIVE_BUILD_DIR)"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work"
cd "$work"

wine_env "$prefix"
mapped=
cleanup() {
  sim_stop_all
  [ -z "$mapped" ] || wine_unmap_ports COM12 COM3 COM5 || true
}
trap cleanup EXIT
trap 'exit 1' INT TERM

sim_start "$sim" . answering || exit 1
answering=$sim_port
sim_start "$sim" . silent --silent || exit 1
silent=$sim_port
sim_start "$sim" . hangup --hangup-after 3 || exit 1
hangup=$sim_port
sim_start "$sim" . native || exit 1
native=$sim_port
sim_start "$sim" . tcp --listen 127.0.0.1:0 || exit 1
tcp=$sim_port

mapped=yes
wine_map_ports "COM12=$answering" "COM3=$silent" "COM5=$hangup" || exit 1

# --- the runs ----------------------------------------------------------------

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# run NAME INPUT PROGRAM [ARGS...]: output in NAME.out, status in NAME.rc,
# duration in NAME.ms; bounded so that a hanging call fails the test.
run() {
  name=$1
  input=$2
  shift 2
  start=$(now_ms)
  set +e
  printf "$input" | timeout 60 "$@" >"$name.out" 2>"$name.err"
  echo $? >"$name.rc"
  set -e
  echo $(($(now_ms) - start)) >"$name.ms"
}

# The dialogue lists the ports and reads the answer at once; the prompt
# reaches a file only when the program ends, so the answer cannot wait for
# the list. It is worked out beforehand from the COM devices that Wine's
# server made for the mapping (Wine adds its own for the machine's serial
# ports, e.g. COM1): the position of COM12 in ascending port order. The
# listing itself is checked afterwards.
wine_start_server
com12_number=$(ls "$prefix/dosdevices" | sed -n 's/^[cC][oO][mM]\([0-9][0-9]*\)$/\1/p' |
  sort -n | grep -n '^12$' | cut -d: -f1)
[ -n "$com12_number" ] || { echo "FAIL: Wine did not map COM12"; exit 1; }

# First round, side by side: the dialogue run on COM12 against a native run
# on a device in the same state, the silent and the hanging-up device, a
# port that does not exist, and the device on TCP.
run dialogue "$com12_number\r\n\r\n" "$wine_run" "$prefix" "$windows_test" &
r1=$!
run native '\n' "$native_test" "$native" &
r2=$!
run silent '\r\n' "$wine_run" "$prefix" "$windows_test" COM3 &
r3=$!
run hangup '\r\n' "$wine_run" "$prefix" "$windows_test" COM5 &
r4=$!
run missing '\r\n' "$wine_run" "$prefix" "$windows_test" COM77 &
r5=$!
run tcp '\r\n' "$wine_run" "$prefix" "$windows_test" "$tcp" &
r6=$!
wait $r1 $r2 $r3 $r4 $r5 $r6

# Second round: both devices now hold what the first runs set (delay 10 ns,
# width 100 ns, software triggering), so the reads show values other than 0.
run again '\r\n' "$wine_run" "$prefix" "$windows_test" COM12 &
r1=$!
run native_again '\n' "$native_test" "$native" &
r2=$!
wait $r1 $r2

# --- the checks -------------------------------------------------------------

tr -d '\r' <dialogue.out >dialogue.txt

expect_status() {  # NAME STATUS
  rc=$(cat "$1.rc")
  [ "$rc" = "$2" ] || fail "$1: exit status $rc, expected $2 (see $work/$1.out)"
}

# 1. The dialogue: ports listed from 1 in ascending port number, COM3 and
# COM5 before COM12; answering COM12's number runs everything OK.
sed -n 's/^  \[\([0-9]*\)\] COM\([0-9]*\)$/\1 \2/p' dialogue.txt >listing
if ! awk 'BEGIN { ok = 1 }
          $1 != NR || (NR > 1 && $2 <= last) { ok = 0 }
          { last = $2 }
          END { exit !(ok && NR > 0) }' listing; then
  fail "dialogue: the list is not numbered from 1 in ascending port order:"
  cat listing
fi
for port in 3 5 12; do
  grep -q " $port\$" listing || fail "dialogue: COM$port is not listed"
done
expect_status dialogue 0
check_report dialogue COM12
expect_status native 0
check_report native "$native"

# 2. The settings the first runs made read back as natively (the 64-bit
# values among them).
set_up="25.50 10 100 2 1000.00"
expect_status again 0
check_report again COM12 --readings $set_up
check_report native_again "$native" --readings $set_up

# 3. A silent device: every call after the open ends in the reply timeout,
# each within its bound (11 waits of 500 ms and 10 calls of at most VR815_CALL_TIMEOUT_MS).
expect_status silent 0
check_report silent COM3 --fail-from 0=-100001
[ "$(cat silent.ms)" -lt 25000 ] ||
  fail "silent: the run took $(cat silent.ms) ms"

# 4. A device that hangs up at its third frame: that call and every later
# one report a line error; the sequence reaches the close.
expect_status hangup 0
check_report hangup COM5 --fail-from 2=-100003

# 5. A port that does not exist: the open fails and the exit status is -1.
expect_status missing 255
check_report missing COM77 --not-opened

# 6. Over TCP, the same full report as on a COM port.
expect_status tcp 0
check_report tcp "$tcp"

finish
