#!/bin/sh
# The Linux packages as a user gets them: the tarball made by cpack from
# this build, unpacked into an empty folder, run from another folder with
# nothing of the build tree on any search path; the .deb as Debian's lintian
# judges it.
#
#   linux_package_test.sh CPACK CPACK_CONFIG VERSION EXPECTED_REPORT
#                         CONSUMER_SOURCE CMAKE GENERATOR CXX LINTIAN WORK_DIR
#
# EXPECTED_REPORT is this build's vr815-expected-report. LINTIAN is the
# lintian program, or empty to leave the .deb unjudged.
#
# Checks: the tree's layout, with manual pages for both programs and the
# changelog of this version; its programs find its library through their run
# path; its vr815-sim hosting its vr815-test on a loopback port gives the
# full report of a successful run; a program of a library user, configured
# with find_package(VR815_DLL) against the unpacked prefix, builds and runs;
# lintian reports no error in the .deb but the two that wait on the
# project's maintainer: the copyright file and the maintainer's address.
set -eu

if [ $# -ne 10 ]; then
  echo "usage: $0 CPACK CPACK_CONFIG VERSION EXPECTED_REPORT CONSUMER_SOURCE CMAKE GENERATOR CXX LINTIAN WORK_DIR" >&2
  exit 2
fi
cpack=$1
cpack_config=$2
version=$3
expected_report=$4
consumer=$5
cmake=$6
generator=$7
cxx=$8
lintian=$9
work=${10}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/packages.sh"
. "$here/../support/checks.sh"

unset LD_LIBRARY_PATH
rm -rf "$work"
mkdir -p "$work/unpacked" "$work/elsewhere"

make_package "$cpack" "$cpack_config" TGZ "$work/package"
case $(basename "$package") in
  vr815-$version-linux-*.tar.gz) ;;
  *) fail "package name $(basename "$package") does not carry version $version" ;;
esac
tar -xzf "$package" -C "$work/unpacked"
root=$(find "$work/unpacked" -mindepth 1 -maxdepth 1 -type d)

for file in bin/vr815-test bin/vr815-sim lib/libVR815_DLL.so include/VR815_DLL.h \
    lib/cmake/VR815_DLL/VR815_DLLConfig.cmake \
    lib/cmake/VR815_DLL/VR815_DLLConfigVersion.cmake \
    share/man/man1/vr815-test.1.gz share/man/man1/vr815-sim.1.gz \
    share/doc/vr815/changelog.gz; do
  [ -f "$root/$file" ] || fail "no $file in the package"
done
[ "$failures" -eq 0 ] || finish
gzip -dc "$root/share/doc/vr815/changelog.gz" | head -n 1 |
  grep -q "^vr815 ($version) " ||
  fail "the changelog's latest entry is not version $version"

# The programs load the tree's own library (relative run path).
found=$(ldd "$root/bin/vr815-test" | sed -n 's/^.*libVR815_DLL\.so => \([^ ]*\).*$/\1/p')
[ -n "$found" ] && found=$(readlink -f "$found")
[ "$found" = "$(readlink -f "$root/lib/libVR815_DLL.so")" ] ||
  fail "bin/vr815-test loads libVR815_DLL.so from '$found'"

sim_version=$("$root/bin/vr815-sim" --version) || true
[ "$sim_version" = "vr815-sim $version" ] ||
  fail "vr815-sim --version printed '$sim_version'"

# --- a whole run against the simulated device -------------------------------

cd "$work/elsewhere"

# The device hosts the program, the port's name appended to its arguments.
set +e
timeout 60 "$root/bin/vr815-sim" --listen 127.0.0.1:0 --run "$root/bin/vr815-test" \
  </dev/null >run.out 2>run.err
status=$?
set -e
[ "$status" = 0 ] || fail "vr815-sim --run vr815-test exited with $status (see $work/elsewhere/run.out)"
port=$(sed -n 's/^Port=\([^,]*\),.*$/\1/p' run.out)
echo "$port" | grep -Eq '^socket://127\.0\.0\.1:[0-9]+$' ||
  fail "vr815-test ran on '$port', not on a loopback port"
check_report run "$port"

# --- a program of the library's user ------------------------------------------

mkdir -p "$work/consumer"
cp "$consumer/CMakeLists.txt" "$consumer/main.cpp" "$work/consumer/"
if ! "$cmake" -S "$work/consumer" -B "$work/consumer/build" -G "$generator" \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$root" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF \
    >"$work/consumer.log" 2>&1 ||
   ! "$cmake" --build "$work/consumer/build" >>"$work/consumer.log" 2>&1; then
  cat "$work/consumer.log"
  fail "the program against find_package(VR815_DLL) does not build"
  finish
fi
grep -qx "VR815_DLL_DIR:PATH=$root/lib/cmake/VR815_DLL" \
  "$work/consumer/build/CMakeCache.txt" ||
  fail "find_package(VR815_DLL) did not take the unpacked package"
"$work/consumer/build/consumer" >consumer.out 2>&1 ||
  fail "the consumer program exited with $?"
printf '%s\n' 'READ_TEMP: A5 93 00 00 00 00 61 64' 'vr815_init: null' >consumer.expected
diff -u consumer.expected consumer.out || fail "the consumer program's output differs"

# --- the .deb as Debian judges it ---------------------------------------------

if [ -z "$lintian" ]; then
  echo "NOTE: no lintian; the .deb is not judged"
  finish
fi
make_package "$cpack" "$cpack_config" DEB "$work/deb"
"$lintian" "$package" >"$work/lintian.out" 2>&1 || true
errors=$(grep '^E: ' "$work/lintian.out" |
  grep -v -e ' no-copyright-file' -e ' malformed-contact Maintainer ' || true)
[ -z "$errors" ] || { cat "$work/lintian.out"; fail "lintian: $errors"; }

finish
