# Making a package of the build, for the tests that unpack one (sourced).

# make_package CPACK CPACK_CONFIG GENERATOR FOLDER: the package of the
# current build, made into FOLDER; its path in $package.
make_package() {
  "$1" --config "$2" -G "$3" -B "$4" >"$4.log" 2>&1 ||
    { cat "$4.log"; echo "FAIL: cpack -G $3"; exit 1; }
  package=$(find "$4" -maxdepth 1 -type f -name 'vr815[-_]*' | head -n 1)
  [ -n "$package" ] || { echo "FAIL: cpack made no package in $4"; exit 1; }
}
