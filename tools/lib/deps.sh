# The build's packages for the scripts people run; sourced, POSIX sh.
#
#   ensure_packages WHO ROOT TOOL...
#       Returns when every TOOL is on PATH and GoogleTest's CMake package is
#       installed. Otherwise, on Debian as root, installs the project's
#       packages with ROOT/.ci/install-deps; elsewhere it names the command
#       to run and exits with 1. WHO names the script in its messages.

ensure_packages() {
  _deps_who=$1
  _deps_root=$2
  shift 2
  _deps_missing=""
  for _deps_tool in "$@"; do
    command -v "$_deps_tool" >/dev/null 2>&1 ||
      { _deps_missing=$_deps_tool; break; }
  done
  # GoogleTest's CMake package: the one thing configuring cannot do without
  # that no command shows.
  if [ -z "$_deps_missing" ]; then
    _deps_missing=GoogleTest
    for _deps_config in /usr/lib/*/cmake/GTest/GTestConfig.cmake \
                        /usr/lib/cmake/GTest/GTestConfig.cmake; do
      [ -f "$_deps_config" ] && _deps_missing=""
    done
  fi
  [ -z "$_deps_missing" ] && return 0
  if [ -f /etc/debian_version ] && [ "$(id -u)" = 0 ]; then
    echo "$_deps_who: $_deps_missing is missing; installing the packages (.ci/install-deps)"
    "$_deps_root/.ci/install-deps" </dev/null
  else
    echo "$_deps_who: $_deps_missing is missing. Install the packages, then run this again:" >&2
    echo "  sudo .ci/install-deps" >&2
    exit 1
  fi
}
