# Shared by the package tests (sourced): making and unpacking a package,
# failures, and the report comparison with the golden transcript.

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; outputs in $work"
    exit 1
  fi
  echo "all checks passed"
}

# make_package CPACK CPACK_CONFIG GENERATOR FOLDER: the package of the
# current build, made into FOLDER; its path in $package.
make_package() {
  "$1" --config "$2" -G "$3" -B "$4" >"$4.log" 2>&1 ||
    { cat "$4.log"; echo "FAIL: cpack -G $3"; exit 1; }
  package=$(find "$4" -maxdepth 1 -type f -name 'vr815-*' | head -n 1)
  [ -n "$package" ] || { echo "FAIL: cpack made no package in $4"; exit 1; }
}

# The report from the banner to the end line, line ends as on Linux, with
# the handle's value masked (it differs from run to run) and the frames'
# bytes too: the golden transcript was taken over a stand-in library whose
# frames carry no header and checksum. The harness checks the frames itself
# ("Frame format verified"); the package tests see that line and each
# frame's label, in order.
report() {
  tr -d '\r' <"$1" |
    sed -n '/=== VR815 DLL Test ===/,/^=== Test End ===$/p' |
    sed -e 's/^.*\(=== VR815 DLL Test ===\)/\1/' \
        -e 's/handle=[0-9A-F]\{16\}$/handle=<handle>/' \
        -e 's/^\(  \[Frame\] [^:]*:\) [0-9A-F ]*$/\1 <bytes>/'
}

# expect_full_report OUTPUT PORT: OUTPUT holds the report of a run on PORT
# with every step OK against a freshly started simulated device: the golden
# transcript, with that port, and the timing read showing the device's
# power-on values (the transcript's device already held 10 ns and 100 ns).
expect_full_report() {
  report "$golden" |
    sed -e "s|^Port=[^,]*,|Port=$2,|" \
        -e 's|^  \[ OK \] delay=.*$|  [ OK ] delay=0 ns, width=0 ns, trigMode=0, trigFreq=1000.00 Hz|' \
        >"$1.expected"
  report "$1" >"$1.report"
  if ! tr -d '\r' <"$1" | grep -q '^  \[ OK \] vr815_init, handle=[0-9A-F]\{16\}$'; then
    fail "$1: no handle of 16 upper-case hexadecimal digits"
  fi
  if ! diff -u "$1.expected" "$1.report" >"$1.diff"; then
    fail "$1: not the full report of a successful run:"
    cat "$1.diff"
  fi
}

# wait_for_line FILE PID: the first line of FILE, written by process PID,
# in $line; fails when PID ends or 10 s pass without it.
wait_for_line() {
  line=
  i=0
  while [ $i -lt 100 ]; do
    line=$(head -n 1 "$1" 2>/dev/null | tr -d '\r')
    [ -n "$line" ] && return 0
    kill -0 "$2" 2>/dev/null || break
    sleep 0.1
    i=$((i + 1))
  done
  echo "FAIL: no first line in $1"
  cat "$1" "$1.err" 2>/dev/null
  exit 1
}
