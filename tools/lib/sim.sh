# Starting simulated devices from shell scripts; sourced, POSIX sh.
#
#   sim_start SIM WORK NAME [OPTIONS...]
#       Starts the vr815-sim program SIM with the options in the background,
#       its output in WORK/NAME.sim-out and WORK/NAME.sim-err, sets sim_pid
#       to its process id and sim_port to the first line it prints: the port
#       it serves (a terminal's path, or whatever form the device names it
#       in), without a Windows line end. SIM may also be a runner whose
#       first options name the program: wine-run.sh, with PREFIX and
#       vr815-sim.exe. Returns 1 with a message on standard error when the
#       device ends first or names no port within 10 s (a start under Wine
#       takes seconds).
#   sim_stop_all
#       Stops every device started so far and waits for each; call it on
#       every exit path (trap ... EXIT). Of a device under Wine it stops the
#       runner only: the prefix's server ends the program (wine_stop_server).
#
# A device started here also gets SIGTERM when the script dies without
# calling sim_stop_all, as a test killed at its time limit does (CTest sends
# SIGKILL, and no trap runs): through setpriv (util-linux) where there is
# one.

sim_pids=""
sim_pid=""
sim_port=""

sim_start() {
  _sim_program=$1
  _sim_out=$2/$3.sim-out
  _sim_err=$2/$3.sim-err
  shift 3
  # Made here, not by the background job, which may open it later.
  : >"$_sim_out"
  if command -v setpriv >/dev/null 2>&1; then
    setpriv --pdeathsig TERM -- "$_sim_program" "$@" \
      >"$_sim_out" 2>"$_sim_err" </dev/null &
  else
    "$_sim_program" "$@" >"$_sim_out" 2>"$_sim_err" </dev/null &
  fi
  sim_pid=$!
  sim_pids="$sim_pids $sim_pid"
  _sim_tries=0
  # A line is there once its end is.
  while [ "$(wc -l <"$_sim_out")" -lt 1 ]; do
    if ! kill -0 "$sim_pid" 2>/dev/null; then
      echo "vr815-sim $* ended without naming its port:" >&2
      cat "$_sim_err" >&2
      return 1
    fi
    _sim_tries=$((_sim_tries + 1))
    if [ "$_sim_tries" -gt 100 ]; then
      echo "vr815-sim $* named no port within 10 s" >&2
      return 1
    fi
    sleep 0.1
  done
  sim_port=$(head -n 1 "$_sim_out" | tr -d '\r')
}

sim_stop_all() {
  for _sim_pid in $sim_pids; do kill -TERM "$_sim_pid" 2>/dev/null || true; done
  for _sim_pid in $sim_pids; do wait "$_sim_pid" 2>/dev/null || true; done
  sim_pids=""
}
