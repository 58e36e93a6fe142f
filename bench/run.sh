#!/usr/bin/env bash
# Benchmarks of vr815-test against the simulated device vr815-sim, printed
# as a markdown table:
#
#   - a whole run's wall time against its floor, the eleven 500 ms waits
#     (5.5 s), natively and under Wine;
#   - a whole run hosted by the device (vr815-sim --run vr815-test, and
#     run-with-sim.cmd under Wine) against a run of the harness alone on a
#     device already running, measured alike in the same run;
#   - a run against a silent device against its documented bound;
#   - a run whose open fails (start to exit, no waits);
#   - the time from the program's start to its banner;
#   - the peak memory of a whole run.
#
#   bench/run.sh [-n RUNS] [NATIVE_BUILD [WINDOWS_BUILD]]
#
# NATIVE_BUILD is a build of the default preset (default: build/default),
# WINDOWS_BUILD one of the windows-x64 preset (default: build/windows-x64);
# the Wine rows are left out when that build or Wine is missing. Whole runs
# are repeated RUNS times (default 5), the banner 20 times; the table shows
# medians. Uses only the shell's time, /usr/bin/time -v (package time), awk
# and, for the Wine rows, wine and wineserver (set up by tools/lib/wine.sh).
#
# For the Wine rows a COM port of the Windows build's Wine prefix is mapped
# to a simulated device and the prefix's Wine server is restarted: do not
# run this while that build's tests run.
set -euo pipefail
export LC_ALL=C

usage() {
  echo "usage: $0 [-n RUNS] [NATIVE_BUILD [WINDOWS_BUILD]]" >&2
  exit 2
}

runs=5
while getopts n: opt; do
  case $opt in
    n) runs=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -le 2 ] || usage
case $runs in '' | *[!0-9]* | 0) usage ;; esac

root=$(cd "$(dirname "$0")/.." && pwd)
native=$(cd "${1:-$root/build/default}" 2>/dev/null && pwd) || {
  echo "bench: no native build at '${1:-$root/build/default}'" >&2
  echo "  build it first: cmake --workflow --preset default" >&2
  exit 1
}
windows=${2:-$root/build/windows-x64}

test_program=$native/test_app/vr815-test
sim_program=$native/device_api/sim/vr815-sim
for f in "$test_program" "$sim_program"; do
  [ -x "$f" ] || { echo "bench: $f is missing; build the default preset" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "bench: /usr/bin/time is missing (package time)" >&2; exit 1; }

# The documented figures: eleven 500 ms waits, and a call bounded by
# VR815_CALL_TIMEOUT_MS (docs/protocol.md, Timing).
waits_s=5.5
calls=10
call_bound_s=0.5
banner_reps=20

. "$root/tools/lib/sim.sh"
. "$root/tools/lib/wine.sh"

work=$(mktemp -d)
wine_mapped=
cleanup() {
  sim_stop_all
  if [ -n "$wine_mapped" ]; then
    wine_unmap_ports "$wine_mapped" || true
    wine_stop_server
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# start_sim VAR [OPTIONS...]: starts a simulated device, stopped on exit,
# and sets VAR to the port it names.
start_sim() {
  local var=$1
  shift
  sim_start "$sim_program" "$work" "$var" "$@" || exit 1
  printf -v "$var" '%s' "$sim_port"
}

# wall COMMAND...: seconds the command takes, to the millisecond, with no
# input (the final key press ends at once) and its output dropped.
wall() {
  local TIMEFORMAT=%3R
  { time { "$@" </dev/null >/dev/null 2>&1 || true; }; } 2>&1
}

# repeat N COMMAND...: wall times of N runs, one a line.
repeat() {
  local n=$1 i
  shift
  for ((i = 0; i < n; i++)); do wall "$@"; done
}

# first_line_ms COMMAND...: milliseconds from the exec of the command to its
# first line reaching a reader on a pipe.
first_line_ms() {
  { { echo "$EPOCHREALTIME" >"$work/t0"; exec "$@" </dev/null 2>/dev/null; } |
    { IFS= read -r _; echo "$EPOCHREALTIME" >"$work/t1"; cat >/dev/null; }; } || true
  awk -v a="$(<"$work/t0")" -v b="$(<"$work/t1")" \
    'BEGIN { printf "%.2f\n", (b - a) * 1000 }'
}

# Median, least and greatest of numbers on standard input.
median() { sort -g | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2); print (NR % 2 ? v[m] : (v[m] + v[m + 1]) / 2) }'; }
spread() { sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END { print lo "-" hi }'; }

ms_over() { awk -v t="$1" -v f="$2" 'BEGIN { printf "%.0f", (t - f) * 1000 }'; }
verdict() { awk -v v="$1" -v aim="$2" 'BEGIN { print (v < aim ? "met" : "missed") }'; }

rows=()
row() { rows+=("| $1 | $2 | $3 | $4 |"); }

# --- native ------------------------------------------------------------------

start_sim port
repeat "$runs" "$test_program" "$port" >"$work/native"
native_s=$(median <"$work/native")
native_over=$(ms_over "$native_s" "$waits_s")
row "Whole run, native (median of $runs; range $(spread <"$work/native") s)" \
  "$native_s s: overhead $native_over ms over the ${waits_s} s of waits" \
  "overhead < 20 ms" "$(verdict "$native_over" 20)"

# The device hosting the run on a pseudo-terminal of its own, against the
# runs above on one already running.
repeat "$runs" "$sim_program" --run "$test_program" >"$work/hosted"
hosted_s=$(median <"$work/hosted")
hosted_over=$(ms_over "$hosted_s" "$native_s")
row "Whole run hosted, native: vr815-sim --run vr815-test (median of $runs; range $(spread <"$work/hosted") s)" \
  "$hosted_s s: $hosted_over ms over vr815-test against a running device" \
  "< 20 ms" "$(verdict "$hosted_over" 20)"

rss_kb=$(/usr/bin/time -v "$test_program" "$port" </dev/null 2>&1 >/dev/null |
  awk -F': ' '/Maximum resident set size/ { print $2 }')
rss_mib=$(awk -v k="$rss_kb" 'BEGIN { printf "%.1f", k / 1024 }')
row "Peak memory of a whole run, native (max RSS)" "$rss_mib MiB ($rss_kb KiB)" \
  "< 4 MiB" "$(verdict "$rss_kb" 4096)"

start_sim silent --silent
silent_s=$(wall "$test_program" "$silent")
silent_bound=$(awk -v w="$waits_s" -v c="$calls" -v b="$call_bound_s" 'BEGIN { print w + c * b }')
row "Whole run, silent device, native" \
  "$silent_s s (every call ends in the reply timeout)" \
  "bound ${silent_bound} s (waits + $calls calls x ${call_bound_s} s)" \
  "$(awk -v t="$silent_s" -v b="$silent_bound" 'BEGIN { print (t <= b ? "within" : "beyond") }')"

repeat "$runs" "$test_program" bench-no-such-port >"$work/failed"
row "Run whose open fails, native (start to exit, median of $runs)" \
  "$(awk -v t="$(median <"$work/failed")" 'BEGIN { printf "%.0f ms", t * 1000 }')" "-" "-"

for ((i = 0; i < banner_reps; i++)); do
  first_line_ms "$test_program" bench-no-such-port >>"$work/banner"
  first_line_ms /usr/bin/printf '=== VR815 DLL Test ===\n' >>"$work/floor"
done
banner_ms=$(median <"$work/banner")
floor_ms=$(median <"$work/floor")
row "Start to banner, native (exec to first line on a pipe, median of $banner_reps)" \
  "$banner_ms ms; /usr/bin/printf, measured alike: $floor_ms ms" \
  "< 5 ms" "$(verdict "$banner_ms" 5)"

# --- Wine ----------------------------------------------------------------------

windows_test=$windows/bin/vr815-test.exe
if [ -f "$windows_test" ] && [ -d "$windows/wine-prefix" ] &&
   command -v wine >/dev/null && command -v wineserver >/dev/null; then
  wine_env "$windows/wine-prefix"
  # A port number no test of that build uses.
  wine_port=COM97
  start_sim wine_sim
  wine_mapped=$wine_port
  wine_map_ports "$wine_port=$wine_sim"
  wine_start_server  # Wine's own services, started once
  repeat "$runs" "$wine" "$windows_test" "$wine_port" >"$work/wine"
  wine_s=$(median <"$work/wine")
  row "Whole run, Wine (median of $runs; range $(spread <"$work/wine") s)" \
    "$wine_s s: overhead $(ms_over "$wine_s" "$waits_s") ms over the ${waits_s} s of waits" \
    "-" "-"

  # run-with-sim.cmd as in the zip, beside the programs and DLLs, against
  # vr815-test.exe alone on a device already listening on TCP, the line the
  # script's device serves on.
  mkdir "$work/zip"
  cp "$windows/bin/vr815-test.exe" "$windows/bin/vr815-sim.exe" \
    "$windows/bin/VR815_DLL.dll" "$windows/bin/libstdc++-6.dll" \
    "$windows/bin/libgcc_s_seh-1.dll" "$windows/bin/libwinpthread-1.dll" \
    "$windows/packaging/run-with-sim.cmd" "$work/zip/"
  start_sim wine_tcp --listen 127.0.0.1:0
  (cd "$work/zip" && repeat "$runs" "$wine" vr815-test.exe "$wine_tcp") >"$work/wine_tcp"
  (cd "$work/zip" && repeat "$runs" "$wine" cmd /c run-with-sim.cmd) >"$work/wine_hosted"
  wine_tcp_s=$(median <"$work/wine_tcp")
  wine_hosted_s=$(median <"$work/wine_hosted")
  wine_hosted_over=$(ms_over "$wine_hosted_s" "$wine_tcp_s")
  row "Whole run hosted, Wine: run-with-sim.cmd (median of $runs; range $(spread <"$work/wine_hosted") s)" \
    "$wine_hosted_s s: $wine_hosted_over ms over vr815-test.exe against a running device on TCP ($wine_tcp_s s)" \
    "< 100 ms" "$(verdict "$wine_hosted_over" 100)"

  repeat "$runs" "$wine" "$windows_test" COM98 >"$work/wine_failed"
  repeat "$runs" "$wine" cmd /c exit >"$work/wine_cmd"
  row "Run whose open fails, Wine (start to exit, median of $runs)" \
    "$(awk -v t="$(median <"$work/wine_failed")" 'BEGIN { printf "%.0f ms", t * 1000 }'); wine cmd /c exit alone: $(awk -v t="$(median <"$work/wine_cmd")" 'BEGIN { printf "%.0f ms", t * 1000 }')" \
    "-" "-"
else
  row "Whole run, Wine" "not measured: no windows-x64 build at $windows, or no Wine" "-" "-"
fi

# --- the table ---------------------------------------------------------------

cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) x ${cpu:-unknown CPU}, Linux $(uname -r)."
echo
echo "| measure | figure | aim or bound | |"
echo "|---|---|---|---|"
printf '%s\n' "${rows[@]}"
