#include <signal.h>

#include "stop_request.h"

namespace vr815::sim {

namespace {

volatile sig_atomic_t g_stop = 0;

void on_stop_signal(int) { g_stop = 1; }

}  // namespace

void catch_stop_requests() {
  struct sigaction sa {};
  sa.sa_handler = on_stop_signal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  // A host that leaves while an answer is written is not a reason to end.
  signal(SIGPIPE, SIG_IGN);
}

void ignore_interrupts() { signal(SIGINT, SIG_IGN); }

bool stop_requested() { return g_stop != 0; }

}  // namespace vr815::sim
