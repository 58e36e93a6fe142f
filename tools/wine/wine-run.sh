#!/bin/sh
# Runs a Windows program of the build under Wine and returns its exit status.
#
#   wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
#   wine-run.sh PREFIX --create-prefix
#   wine-run.sh PREFIX --start-server
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
      "$wine" wineboot -i >/dev/null 2>&1 </dev/null 9>&-
      touch "$ready"
    fi
  ) 9>"$prefix/.lock"
fi
[ "$1" = --create-prefix ] && exit 0

# The server and Wine's own background programs (services and devices) are
# started here, detached from the caller's output: whichever program starts
# them hands them its standard output and error, and the caller (CTest)
# would wait for those to close until the server ends. The server ends by
# itself a while after the last program; under the lock, a second caller
# finds it running and goes on. (Nothing started under the lock may inherit
# it: a background program holding it would stall every later caller.)
(
  flock 9
  if wineserver -p30 >/dev/null 2>&1 </dev/null 9>&-; then
    "$wine" cmd /c exit >/dev/null 2>&1 </dev/null 9>&- || true
  fi
) 9>"$prefix/.lock"
[ "$1" = --start-server ] && exit 0

set +e
"$wine" "$@"
exit $?
