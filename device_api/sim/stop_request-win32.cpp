#include <windows.h>

#include <atomic>

#include "stop_request.h"

namespace vr815::sim {

namespace {

std::atomic<bool> g_stop{false};
std::atomic<bool> g_ignore_interrupts{false};

BOOL WINAPI on_console_event(DWORD event) {
  const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  if (!(interrupt && g_ignore_interrupts)) g_stop = true;
  return TRUE;
}

}  // namespace

void catch_stop_requests() { SetConsoleCtrlHandler(on_console_event, TRUE); }

void ignore_interrupts() { g_ignore_interrupts = true; }

bool stop_requested() { return g_stop; }

}  // namespace vr815::sim
