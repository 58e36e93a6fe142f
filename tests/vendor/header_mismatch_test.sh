#!/bin/sh
# What a build of the harness against a maker's header catches, and what it
# cannot: the harness's two files that call the library compiled against a
# header written from the library's documentation, and against that header
# with one declaration changed as a maker's might differ. A case that must
# fail must fail for that declaration, with the text given.
#
#   header_mismatch_test.sh CXX SOURCE_DIR WORK_DIR
set -eu

if [ $# -ne 3 ]; then
  echo "usage: $0 CXX SOURCE_DIR WORK_DIR" >&2
  exit 2
fi
cxx=$1
src=$2
work=$3
. "$src/tests/support/checks.sh"

rm -rf "$work"
mkdir -p "$work"

# One declaration a line, so that a case replaces one line.
base_header() {
  cat <<'EOF'
#include <cstdint>
#include <vector>
extern "C" {
void* vr815_init(const char* port, int baud);
int vr815_close(void* device);
int vr815_read_temperature(void* device, float* celsius);
int vr815_read_timing_config(void* device, int channel, long long* delay_ns, long long* width_ns, int* trig_mode, double* trig_freq_hz);
int vr815_set_trigger(void* device, int mode);
int vr815_set_trigger_freq(void* device, double hz);
int vr815_set_output_channel(void* device, int channel, int enable);
int vr815_set_delay(void* device, int channel, long long delay_ns);
int vr815_set_pulse_width(void* device, int channel, long long width_ns);
int vr815_set_global_output(void* device, int enable);
int vr815_software_trigger(void* device);
}
struct VR815DDG {
  static void BuildFrame(uint8_t cmd, uint16_t param, const uint8_t* data, int len, std::vector<uint8_t>& frame);
  static void BuildFrameU32(uint8_t cmd, uint16_t param, const std::vector<uint32_t>& words, std::vector<uint8_t>& frame);
  static void DumpFrame(const std::vector<uint8_t>& frame, const char* label);
};
EOF
}

# check NAME EXPECT FUNCTION DECLARATION [TEXT]: the base header with the
# line declaring FUNCTION replaced by DECLARATION (deleted when it is "-"),
# compiled with the harness; EXPECT is builds or fails, and a failure's
# messages must hold TEXT.
check() {
  name=$1
  expect=$2
  function=$3
  declaration=$4
  text=${5:-}
  dir="$work/$name"
  mkdir -p "$dir"
  base_header | while IFS= read -r line; do
    case $line in
      *" $function("*)
        [ "$declaration" = - ] || printf '%s\n' "$declaration" ;;
      *) printf '%s\n' "$line" ;;
    esac
  done >"$dir/VR815_DLL.h"
  if "$cxx" -std=c++17 -fsyntax-only -I"$dir" -I"$src/test_app" \
      "$src/test_app/device_sequence.cpp" "$src/test_app/frame_check.cpp" \
      >"$dir/compile.log" 2>&1; then
    got=builds
  else
    got=fails
  fi
  if [ "$got" != "$expect" ]; then
    fail "$name: the harness $got, expected: $expect"
    cat "$dir/compile.log"
  elif [ -n "$text" ] && ! grep -qF "$text" "$dir/compile.log"; then
    fail "$name: the build fails without the message '$text'"
    cat "$dir/compile.log"
  fi
}

writes="writes to a parameter that the library's documentation makes an input"

check as_documented builds - -
check missing_function fails vr815_set_delay - vr815_set_delay
check renamed_function fails vr815_set_delay \
  'int vr815_set_delay_ns(void* device, int channel, long long delay_ns);' \
  vr815_set_delay
check one_argument_more fails vr815_set_delay \
  'int vr815_set_delay(void* device, int channel, long long delay_ns, int unit);' \
  "another number of arguments"
check pointer_for_a_value fails vr815_set_delay \
  'int vr815_set_delay(void* device, int* channel, long long delay_ns);' \
  "takes a pointer where the library's documentation has a value"
check reference_for_a_value fails vr815_set_output_channel \
  'int vr815_set_output_channel(void* device, int& channel, int enable);' \
  "$writes"
check const_reference_for_a_value builds vr815_set_delay \
  'int vr815_set_delay(void* device, const int& channel, const long long& delay_ns);'
check out_parameter_by_reference fails vr815_read_temperature \
  'int vr815_read_temperature(void* device, float& celsius);' \
  "is not a pointer"
check frame_not_an_array fails BuildFrame \
  '  static void BuildFrame(uint8_t cmd, uint16_t param, const uint8_t* data, int len, uint8_t* frame);' \
  "not of the type the harness holds"
check frames_of_two_kinds fails BuildFrameU32 \
  '  static void BuildFrameU32(uint8_t cmd, uint16_t param, const std::vector<uint32_t>& words, std::vector<char>& frame);' \
  "must fill the same kind of frame"
# Numbers convert into each other: swapped integers build unnoticed.
check swapped_integers builds vr815_set_delay \
  'int vr815_set_delay(void* device, long long delay_ns, int channel);'

finish
