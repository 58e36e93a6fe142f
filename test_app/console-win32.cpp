#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "console.h"

void console_sleep_ms(int32_t ms) {
  if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

// The command interpreter's pause prints its own prompt, waits for a key and
// ends the line. It writes through its own process, so ours is flushed first.
void console_wait_for_key() {
  std::fflush(stdout);
  const int ignored = std::system("pause");
  (void)ignored;
}
