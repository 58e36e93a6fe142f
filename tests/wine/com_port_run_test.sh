#!/bin/sh
# The Windows vr815-test.exe under Wine, on COM ports that Wine maps to
# simulated devices (the native vr815-sim on pseudo-terminals), checked
# against the native vr815-test on the same kind of device.
#
#   com_port_run_test.sh WINE_RUN PREFIX WINDOWS_TEST NATIVE_BUILD WORK_DIR
#
# WINE_RUN is wine-run.sh, PREFIX the build tree's Wine prefix, WINDOWS_TEST
# the vr815-test.exe to try, NATIVE_BUILD a native build tree holding
# device_api/sim/vr815-sim and test_app/vr815-test, WORK_DIR a folder for
# the outputs. Exit status 77 (skipped) when the native build is missing.
#
# The ports, mapped through Wine's HKLM\Software\Wine\Ports key:
#   COM12  a device that answers everything
#   COM3   a silent device (every call must end in the reply timeout)
#   COM5   a device that hangs up at its third frame
# COM12 and COM3 list in a different order by text than by number.
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

sim=$native_build/device_api/sim/vr815-sim
native_test=$native_build/test_app/vr815-test
if [ ! -x "$sim" ] || [ ! -x "$native_test" ]; then
  echo "SKIP: no native build with vr815-sim and vr815-test at '$native_build'"
  echo "      (build the default preset first, or set VR815_NATIVE_BUILD_DIR)"
  exit 77
fi

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work"
cd "$work"

# --- the simulated devices --------------------------------------------------

sim_pids=""
start_sim() {  # NAME [OPTIONS...]: starts a sim, its pty path in NAME.pty
  name=$1
  shift
  "$sim" "$@" >"$name.pty" 2>"$name.sim-err" &
  sim_pids="$sim_pids $!"
  i=0
  while [ ! -s "$name.pty" ] && [ $i -lt 50 ]; do
    sleep 0.1
    i=$((i + 1))
  done
  if [ ! -s "$name.pty" ]; then
    echo "FAIL: vr815-sim $* did not start"
    exit 1
  fi
}

cleanup() {
  for pid in $sim_pids; do kill "$pid" 2>/dev/null || true; done
  if [ -f unmap.reg ]; then
    "$wine_run" "$prefix" reg import unmap.reg >/dev/null 2>&1 || true
  fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

start_sim answering
start_sim silent --silent
start_sim hangup --hangup-after 3
start_sim native

pty() { head -n 1 "$1.pty"; }

# --- the COM port mapping ---------------------------------------------------

{
  printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
  printf '"COM12"="%s"\r\n' "$(pty answering)"
  printf '"COM3"="%s"\r\n' "$(pty silent)"
  printf '"COM5"="%s"\r\n' "$(pty hangup)"
} >map.reg
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n"COM12"=-\r\n"COM3"=-\r\n"COM5"=-\r\n' >unmap.reg

"$wine_run" "$prefix" reg import map.reg >/dev/null 2>&1 ||
  { echo "FAIL: wine reg import"; exit 1; }
# Wine reads the key when its server starts: restart it.
WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1 || true

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
"$wine_run" "$prefix" --start-server
com12_number=$(ls "$prefix/dosdevices" | sed -n 's/^[cC][oO][mM]\([0-9][0-9]*\)$/\1/p' |
  sort -n | grep -n '^12$' | cut -d: -f1)
[ -n "$com12_number" ] || { echo "FAIL: Wine did not map COM12"; exit 1; }

# First round, side by side: the dialogue run on COM12 against a native run
# on a device in the same state, the silent and the hanging-up device, and a
# port that does not exist.
run dialogue "$com12_number\r\n\r\n" "$wine_run" "$prefix" "$windows_test" &
r1=$!
run native '\n' "$native_test" "$(pty native)" &
r2=$!
run silent '\r\n' "$wine_run" "$prefix" "$windows_test" COM3 &
r3=$!
run hangup '\r\n' "$wine_run" "$prefix" "$windows_test" COM5 &
r4=$!
run missing '\r\n' "$wine_run" "$prefix" "$windows_test" COM77 &
r5=$!
wait $r1 $r2 $r3 $r4 $r5

# Second round: both devices now hold what the first runs set (delay 10 ns,
# width 100 ns, software triggering), so the reads show values other than 0.
run again '\r\n' "$wine_run" "$prefix" "$windows_test" COM12 &
r1=$!
run native_again '\n' "$native_test" "$(pty native)" &
r2=$!
wait $r1 $r2

# --- the checks -------------------------------------------------------------

for name in dialogue native silent hangup missing again native_again; do
  tr -d '\r' <"$name.out" >"$name.txt"
done

expect_status() {  # NAME STATUS
  rc=$(cat "$1.rc")
  [ "$rc" = "$2" ] || fail "$1: exit status $rc, expected $2 (see $work/$1.out)"
}

# The report from the banner to the end line, with the parts that must
# differ between the runs (the port, the handle's value) masked.
report() {
  sed -n '/=== VR815 DLL Test ===/,/^=== Test End ===$/p' "$1.txt" |
    sed -e 's/^.*\(=== VR815 DLL Test ===\)/\1/' \
        -e 's/^Port=[^,]*,/Port=<port>,/' \
        -e 's/handle=[0-9A-F]\{16\}$/handle=<handle>/'
}

same_report() {  # WINDOWS NATIVE
  report "$1" >"$1.report"
  report "$2" >"$2.report"
  if ! grep -q '^=== Test End ===$' "$1.report"; then
    fail "$1: the report does not reach '=== Test End ==='"
  elif ! diff -u "$2.report" "$1.report" >"$1.diff"; then
    fail "$1: the report differs from the native one:"
    cat "$1.diff"
  fi
}

# The handle: 16 upper-case hexadecimal digits on both builds.
for name in dialogue native again native_again silent hangup; do
  grep -Eq '^  \[ OK \] vr815_init, handle=[0-9A-F]{16}$' "$name.txt" ||
    fail "$name: no handle of 16 upper-case hexadecimal digits"
done

# 1. The dialogue: ports listed from 1 in ascending port number, COM3 and
# COM5 before COM12; answering COM12's number runs everything OK.
sed -n '/^Available COM ports:$/,/^Select port by number/p' dialogue.txt |
  sed -n 's/^  \[\([0-9]*\)\] COM\([0-9]*\)$/\1 \2/p' >listing
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
grep -q '^Port=COM12, Baud=115200$' dialogue.txt ||
  fail "dialogue: the run did not take COM12"
expect_status dialogue 0
if grep -q 'FAIL' dialogue.txt; then
  fail "dialogue: a step failed:"
  grep 'FAIL' dialogue.txt
fi
same_report dialogue native

# 2. Standard output is a file here: each frame's label and its dump share
# one line, in the order of stage 0.
grep '^  \[Frame\]' dialogue.txt | sed 's/: .*//' >frame_labels
printf '  [Frame] %s\n' 'READ_TEMP' 'READ_TIMING' 'SET_TRIGGER(Software)' \
  'SET_TRIG_FREQ(1kHz)' 'SET_CHANNEL(ch1,on)' 'SET_DELAY(ch1,10ns)' \
  'SET_PULSE_WIDTH(ch1,100ns)' 'SET_GLOBAL_OUTPUT(enable)' 'SOFTWARE_TRIG' \
  >frame_labels.expected
diff -u frame_labels.expected frame_labels >/dev/null ||
  fail "dialogue: frame labels missing or out of order"
if grep '^  \[Frame\]' dialogue.txt |
  grep -Evq '^  \[Frame\] [^:]+: [0-9A-F]{2}( [0-9A-F]{2})*$'; then
  fail "dialogue: a frame label without its dump on the same line"
fi

# 3. The 64-bit values read back print as natively.
expect_status again 0
grep -q '^  \[ OK \] delay=10 ns, width=100 ns, trigMode=2, trigFreq=1000.00 Hz$' \
  again.txt || fail "again: the timing read does not show what was set"
same_report again native_again

# 4. A silent device: every call after the open ends in the reply timeout,
# each within its bound (11 waits of 500 ms and 10 calls of at most 500 ms).
expect_status silent 0
fails=$(grep -c '^  \[FAIL\] .* (code=-100001)$' silent.txt || true)
[ "$fails" = 10 ] || fail "silent: $fails timeouts, expected 10"
[ "$(cat silent.ms)" -lt 25000 ] ||
  fail "silent: the run took $(cat silent.ms) ms"

# 5. A device that hangs up: the calls from then on report a line error.
expect_status hangup 0
grep -q '^  \[FAIL\] vr815_set_trigger (code=-100003)$' hangup.txt ||
  fail "hangup: the call after the hang-up is not a line error"
grep -q '^  \[ OK \] vr815_close$' hangup.txt ||
  fail "hangup: the sequence did not reach the close"

# 6. A port that does not exist: the open fails and the exit status is -1.
expect_status missing 255
grep -q '^  \[FAIL\] vr815_init returned NULL$' missing.txt ||
  fail "missing: no FAIL line for the open"
grep -q 'Test End' missing.txt && fail "missing: the sequence went on"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed; outputs in $work"
  exit 1
fi
echo "all checks passed"
