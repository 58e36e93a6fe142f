// vr815-test as the operator meets it, over a stand-in library whose every
// open fails and a name source of the test's: the port selection dialogue
// end to end, and no serial port of the machine is ever opened. The library
// calls made are listed on standard error, one a line.
#include <cstdio>
#include <string>

#include "fake_vr815_library.h"
#include "run_driver.h"

int main(int argc, char** argv) {
  vr815::test::FakeScript script;
  script.null_handle = true;
  vr815::test::fake_library_load(script);
  const int status = run_harness(argc, argv, console_waits());
  for (const std::string& call : vr815::test::fake_library_calls()) {
    if (call.rfind("vr815_", 0) == 0)
      std::fprintf(stderr, "%s\n", call.c_str());
  }
  return status;
}
