# Wine for the build's Windows programs; sourced, POSIX sh. Every function
# works on the Wine prefix that wine_env set, which is the build tree's own
# (never the user's ~/.wine).
#
#   wine_env PREFIX
#       Exports the environment: the prefix, Wine's debug output off, no
#       display, and the .NET and HTML engines disabled so that Wine never
#       offers to install them. $wine is the wine program (WINE, or wine).
#   wine_create_prefix
#       Creates the prefix on first use, once even when called in parallel.
#   wine_start_server
#       Starts the prefix's server and Wine's own background programs,
#       detached from the caller's output.
#   wine_stop_server
#       Stops the prefix's server, and with it every Windows program running
#       there, and waits until it has ended: then the prefix can be removed,
#       or a new server reads the registry afresh.
#   wine_map_ports COMn=DEVICE...
#       Maps COM ports to devices in HKLM\Software\Wine\Ports and restarts
#       the server, which reads the key when it starts.
#   wine_unmap_ports COMn...
#       Removes the mappings again.

wine_env() {
  WINEPREFIX=$1
  WINEDEBUG=-all
  WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
  unset DISPLAY WAYLAND_DISPLAY
  wine=${WINE:-wine}
}

wine_create_prefix() {
  [ -f "$WINEPREFIX/.created" ] && return 0
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.created" ]; then
      "$wine" wineboot -i >/dev/null 2>&1 </dev/null 9>&-
      touch "$WINEPREFIX/.created"
    fi
  ) 9>"$WINEPREFIX/.lock"
}

# Whichever program starts the server and Wine's background programs
# (services and devices) hands them its standard output and error, and a
# caller such as CTest would wait for those to close until the server ends:
# they are started here with neither. The server ends by itself a while
# after the last program; under the lock, a second caller finds it running
# and goes on. (Nothing started under the lock may inherit it: a background
# program holding it would stall every later caller.)
wine_start_server() {
  (
    flock 9
    if wineserver -p30 >/dev/null 2>&1 </dev/null 9>&-; then
      "$wine" cmd /c exit >/dev/null 2>&1 </dev/null 9>&- || true
    fi
  ) 9>"$WINEPREFIX/.lock"
}

wine_stop_server() {
  wineserver -k >/dev/null 2>&1 </dev/null || true
  wineserver -w >/dev/null 2>&1 </dev/null || true
}

# Imports registry text for the ports key, given as lines after its header.
_wine_ports_import() {
  _wine_reg_dir=$(mktemp -d)
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
    printf '%s\r\n' "$@"
  } >"$_wine_reg_dir/ports.reg"
  wine_start_server
  (cd "$_wine_reg_dir" && "$wine" reg import ports.reg >/dev/null 2>&1 </dev/null)
  _wine_status=$?
  rm -rf "$_wine_reg_dir"
  return $_wine_status
}

wine_map_ports() {
  for _wine_map in "$@"; do
    set -- "$@" "\"${_wine_map%%=*}\"=\"${_wine_map#*=}\""
    shift
  done
  _wine_ports_import "$@" || { echo "wine: cannot map the COM ports" >&2; return 1; }
  wine_stop_server
}

wine_unmap_ports() {
  for _wine_port in "$@"; do
    set -- "$@" "\"$_wine_port\"=-"
    shift
  done
  _wine_ports_import "$@"
}
