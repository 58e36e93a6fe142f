#include "run_driver.h"

int main(int argc, char** argv) {
  return run_harness(argc, argv, platform_machine());
}
