#!/bin/sh
# Runs a Windows program of the build under Wine and returns its exit status.
#
#   wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
#   wine-run.sh PREFIX --create-prefix
#
# PREFIX is the build tree's own Wine prefix (never the user's ~/.wine): it is
# created on first use, under a lock so that parallel tests create it once.
# No display is used, Wine's debug output is off, and the .NET and HTML
# engines are disabled so that Wine never offers to install them.
set -eu

if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX PROGRAM [ARGUMENTS...]" >&2
  exit 2
fi
prefix=$1
shift

WINEPREFIX=$prefix
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
unset DISPLAY WAYLAND_DISPLAY
wine=${WINE:-wine}

ready=$prefix/.created
if [ ! -f "$ready" ]; then
  mkdir -p "$prefix"
  (
    flock 9
    if [ ! -f "$ready" ]; then
      "$wine" wineboot -i >/dev/null 2>&1 </dev/null
      touch "$ready"
    fi
  ) 9>"$prefix/.lock"
fi
[ "$1" = --create-prefix ] && exit 0

# A server started here, detached from the program's output, keeps the
# caller (CTest) from waiting on a server that lingers after the program
# ends; it exits by itself a while after the last program. If one is running
# already this one just leaves.
wineserver -p30 >/dev/null 2>&1 </dev/null || true

set +e
"$wine" "$@"
exit $?
