#!/bin/sh
# Runs a Windows program of the build under Wine and returns its exit status.
#
#   wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
#   wine-run.sh PREFIX --create-prefix
#   wine-run.sh PREFIX --start-server
#
# PREFIX is the build tree's own Wine prefix (never the user's ~/.wine): it is
# created on first use, under a lock so that parallel tests create it once.
# The environment is tools/lib/wine.sh's: no display, no debug output.
set -eu

if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX PROGRAM [ARGUMENTS...]" >&2
  exit 2
fi
. "$(cd "$(dirname "$0")/../lib" && pwd)/wine.sh"
wine_env "$1"
shift

wine_create_prefix
[ "$1" = --create-prefix ] && exit 0
wine_start_server
[ "$1" = --start-server ] && exit 0

set +e
"$wine" "$@"
exit $?
