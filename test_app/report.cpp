#include "report.h"

#include <cstdio>

void print_step_header(int number, const char* title) {
  std::printf("\n[%d] %s\n", number, title);
}

void print_ok_line(const char* text) { std::printf("  [ OK ] %s\n", text); }

void print_fail_line(const char* name, int32_t status) {
  std::printf("  [FAIL] %s (code=%d)\n", name, static_cast<int>(status));
}

void report_status(const char* name, int32_t status) {
  if (status == 0) {
    print_ok_line(name);
  } else {
    print_fail_line(name, status);
  }
}
