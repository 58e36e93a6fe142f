#include "command_line.h"

#include "number_text.h"

RunArguments read_run_arguments(int argc, const char* const* argv) {
  RunArguments args;
  if (argc >= 2 && argv[1] != nullptr) {
    args.port_given = true;
    args.port = argv[1];
  }
  if (argc >= 3 && argv[2] != nullptr) {
    args.baud = read_int32_saturating(argv[2]);
  }
  return args;
}
