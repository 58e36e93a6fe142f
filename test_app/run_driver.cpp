#include "run_driver.h"

#include <cstdio>
#include <string>

#include "command_line.h"
#include "console.h"
#include "device_sequence.h"
#include "frame_check.h"
#include "port_selection.h"

Machine platform_machine() {
  return {read_device_names, console_sleep_ms, console_wait_for_key};
}

int run_harness(int argc, const char* const* argv, const Machine& machine) {
  const RunArguments args = read_run_arguments(argc, argv);
  const std::string port =
      args.port_given ? args.port : SelectComPort(machine.device_names);

  std::printf("=== VR815 DLL Test ===\n");
  std::printf("Port=%s, Baud=%d\n", port.c_str(), static_cast<int>(args.baud));
  run_frame_check();
  const bool opened =
      run_device_sequence(port.c_str(), args.baud, machine.pause_ms);
  std::printf("\n");
  std::fflush(stdout);
  machine.wait_for_key();
  return opened ? 0 : -1;
}
