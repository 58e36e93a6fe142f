// vr815-expected-report: prints the report vr815-test gives for a run, up
// to the final wait's prompt, which platforms word differently. For tests
// written in shell.
//
//   vr815-expected-report PORT [--baud N] [--not-opened]
//                         [--fail-from CALL=CODE] [--fail CALL=CODE]
//                         [--readings T D W M F]
//   vr815-expected-report --mask-handle < REPORT
//
// --fail-from: every call from CALL (0 for the temperature read, up to 9
// for the software trigger) fails with CODE, as after a hang-up or with a
// silent device. --fail: only CALL fails with CODE, as a refused call does.
// --readings: the reads' values as printed (default vr815-sim's at
// power-on). The handle shows as <handle>; --mask-handle copies a report
// from standard input with its handle shown so. Exit status 2 for a bad
// command line.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>

#include "expected_report.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: vr815-expected-report PORT [--baud N] [--not-opened] "
               "[--fail-from CALL=CODE] [--fail CALL=CODE] "
               "[--readings T D W M F]\n"
               "       vr815-expected-report --mask-handle < REPORT\n");
  return 2;
}

/// Reads CALL=CODE; false when it is not that or CALL is no call.
bool call_and_code(const std::string& text, size_t& call, int32_t& code) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  call = std::strtoul(text.c_str(), nullptr, 10);
  code = std::atoi(text.c_str() + eq + 1);
  return call < vr815::test::kCalls;
}

}  // namespace

int main(int argc, char** argv) {
  using vr815::test::kCalls;
  if (argc < 2) return usage();
  if (argc == 2 && std::string(argv[1]) == "--mask-handle") {
    const std::string report{std::istreambuf_iterator<char>(std::cin), {}};
    std::fputs(vr815::test::mask_handle(report).c_str(), stdout);
    return 0;
  }
  vr815::test::RunOutcome run;
  run.port = argv[1];
  run.key_prompt = "";
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    const int left = argc - i - 1;
    if (option == "--baud" && left >= 1) {
      run.baud = std::atoi(argv[++i]);
    } else if (option == "--not-opened") {
      run.opened = false;
    } else if (option == "--fail-from" && left >= 1) {
      size_t first = 0;
      int32_t code = 0;
      if (!call_and_code(argv[++i], first, code)) return usage();
      for (size_t call = first; call < kCalls; ++call) {
        run.statuses[call] = code;
      }
    } else if (option == "--fail" && left >= 1) {
      size_t call = 0;
      int32_t code = 0;
      if (!call_and_code(argv[++i], call, code)) return usage();
      run.statuses[call] = code;
    } else if (option == "--readings" && left >= 5) {
      run.readings = {argv[i + 1], argv[i + 2], argv[i + 3], argv[i + 4],
                      argv[i + 5]};
      i += 5;
    } else {
      return usage();
    }
  }
  std::fputs(vr815::test::expected_report(run).c_str(), stdout);
  return 0;
}
