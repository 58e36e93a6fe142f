# Checks for the tests written in shell; sourced, POSIX sh.
#
#   fail MESSAGE...
#       Reports a failed check and counts it; the test goes on.
#   finish
#       Ends the test: status 1 when a check failed (naming $work, where
#       the outputs are), 0 otherwise.
#   skip_without_expected_report
#       Ends the test as skipped (77) when $expected_report, the native
#       build's vr815-expected-report, is missing: the Windows tests take
#       their expected reports from the native build.
#   check_report NAME PORT [OPTIONS...]
#       NAME.out holds a run of vr815-test; its report, from the banner on,
#       line ends as on Linux and the handle masked, must start with the
#       report that $expected_report (the vr815-expected-report program)
#       gives for PORT and the options. The final key prompt after it is
#       worded by the platform, and is not compared. Leaves NAME.expected,
#       NAME.report and NAME.diff beside it.

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
  exit 0
}

skip_without_expected_report() {
  [ -x "$expected_report" ] && return 0
  echo "SKIP: no native vr815-expected-report at '$expected_report'"
  echo "      (build the default preset first, or set VR815_NATIVE_BUILD_DIR)"
  exit 77
}

check_report() {
  _check_name=$1
  shift
  "$expected_report" "$@" >"$_check_name.expected"
  _check_banner=$(head -n 1 "$_check_name.expected")
  # Whatever the run printed before the banner (a script's own lines, a
  # port dialogue's prompt) is not part of the report.
  tr -d '\r' <"$_check_name.out" | sed -n "/$_check_banner/,\$p" |
    sed "s/^.*\($_check_banner\)/\1/" |
    "$expected_report" --mask-handle >"$_check_name.report"
  if ! head -c "$(wc -c <"$_check_name.expected")" "$_check_name.report" |
      diff -u "$_check_name.expected" - >"$_check_name.diff"; then
    fail "$_check_name: the report differs from the expected one:"
    cat "$_check_name.diff"
  fi
}
