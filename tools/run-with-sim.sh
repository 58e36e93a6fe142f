#!/bin/sh
# Builds everything with the default preset, starts the simulated device
# vr815-sim on a pseudo-terminal, runs vr815-test against it and stops the
# device again. Arguments go to vr815-sim (for example --fail SET_DELAY=5);
# standard input goes to vr815-test, which waits for a key at the end.
# Exit status: vr815-test's (255 when the device did not open), or 1 when
# the build or the simulated device failed.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/default"

for tool in cmake ninja c++; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "run-with-sim: $tool not found; on Debian or Ubuntu:" >&2
    echo "  apt-get install cmake ninja-build g++ libgtest-dev libgmock-dev" >&2
    exit 1
  fi
done

cd "$root"
cmake --preset default >/dev/null
cmake --build --preset default

work=$(mktemp -d)
sim_pid=
stop_sim() {
  if [ -n "$sim_pid" ]; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
  fi
  rm -rf "$work"
}
trap stop_sim EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"$build/device_api/sim/vr815-sim" "$@" >"$work/sim.out" </dev/null &
sim_pid=$!

# The first line the device prints is its terminal's path.
port=
tries=0
while [ -z "$port" ]; do
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
    echo "run-with-sim: vr815-sim did not start" >&2
    exit 1
  fi
  port=$(head -n 1 "$work/sim.out")
  if [ -z "$port" ]; then
    tries=$((tries + 1))
    if [ "$tries" -gt 50 ]; then
      echo "run-with-sim: vr815-sim gave no terminal within 5 s" >&2
      exit 1
    fi
    sleep 0.1
  fi
done
echo "run-with-sim: simulated device on $port"

status=0
"$build/test_app/vr815-test" "$port" || status=$?
exit "$status"
