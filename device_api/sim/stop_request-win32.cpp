#include <windows.h>

#include <atomic>

#include "stop_request.h"

namespace vr815::sim {

namespace {

std::atomic<bool> g_stop{false};

BOOL WINAPI on_console_event(DWORD) {
  g_stop = true;
  return TRUE;
}

}  // namespace

void catch_stop_requests() { SetConsoleCtrlHandler(on_console_event, TRUE); }

bool stop_requested() { return g_stop; }

}  // namespace vr815::sim
