// vr815-test as the operator meets it, over a stand-in library whose every
// open fails and a machine whose names the first argument chooses: the port
// selection dialogue end to end, and no serial port of the machine is ever
// opened. The library calls made are listed on standard error, one a line.
//
//   vr815-test-dialogue listed|none [vr815-test's arguments]
//
// listed: the machine offers COM4, LPT1 and COM1; none: no serial port.
#include <cstdio>
#include <cstring>
#include <string>

#include "fake_machine.h"
#include "fake_vr815_library.h"
#include "run_driver.h"

int main(int argc, char** argv) {
  Machine machine = platform_machine();
  if (argc >= 2 && std::strcmp(argv[1], "listed") == 0) {
    machine.device_names = vr815::test::listed_port_names;
  } else if (argc >= 2 && std::strcmp(argv[1], "none") == 0) {
    machine.device_names = vr815::test::no_port_names;
  } else {
    std::fprintf(stderr, "usage: %s listed|none [port [baud]]\n", argv[0]);
    return 2;
  }
  vr815::test::FakeScript script;
  script.null_handle = true;
  vr815::test::fake_library_load(script);
  // The machine's choice stands where the program's name stood.
  const int status = run_harness(argc - 1, argv + 1, machine);
  for (const std::string& call : vr815::test::fake_library_calls()) {
    if (call.rfind("vr815_", 0) == 0)
      std::fprintf(stderr, "%s\n", call.c_str());
  }
  return status;
}
