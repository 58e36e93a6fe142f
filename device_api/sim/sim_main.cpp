// vr815-sim: the simulated device. Tells the name a host opens it by on the
// first line of standard output, then answers the protocol on that line
// until asked to stop. With --run it hosts a program instead: starts it
// with the name, answers while it runs and exits with its status.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "deadline.h"
#include "sim_options.h"
#include "sim_session.h"
#include "stop_request.h"
#include "transport.h"

namespace {

using vr815::Clock;
using vr815::IoResult;
using vr815::sim::Options;

/// Longest wait before the loop looks at a stop request again.
constexpr int kTickMs = 50;
/// The same while a hosted program runs: its end is the device's, and a
/// run should not be much longer with the device hosting it.
constexpr int kHostedTickMs = 5;
/// Longest time an answer may take to be written.
constexpr int kSendTimeoutMs = 1000;

struct Pending {
  Clock::time_point due;
  std::vector<uint8_t> bytes;
};

uint64_t now_ms() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(
          Clock::now().time_since_epoch())
          .count());
}

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
/// The log file, closed when the device ends.
using LogFile = std::unique_ptr<std::FILE, CloseFile>;

void log_frame(std::FILE* log, const std::string& line) {
  if (log == nullptr) return;
  std::fprintf(log, "%s\n", line.c_str());
  std::fflush(log);
}

/// Whether the hosted program, if any, has ended.
bool hosted_ended(vr815::sim::ChildProcess* hosted) {
  int status = 0;
  return hosted != nullptr && hosted->ended(&status);
}

/// Serves until a stop request, the hosted program's end, or with --once
/// the host's leaving.
int serve(vr815::sim::Transport& line, const Options& options, std::FILE* log,
          vr815::sim::ChildProcess* hosted) {
  vr815::sim::Session session = vr815::sim::new_session(options.settings);
  std::deque<Pending> queue;
  const int tick = hosted != nullptr ? kHostedTickMs : kTickMs;
  while (!vr815::sim::stop_requested() && !hosted_ended(hosted)) {
    while (!queue.empty() && queue.front().due <= Clock::now()) {
      const std::vector<uint8_t>& b = queue.front().bytes;
      line.send(b.data(), b.size(), kSendTimeoutMs);
      queue.pop_front();
    }
    const int wait =
        queue.empty() ? tick
                      : std::min(tick, vr815::remaining_ms(queue.front().due));
    uint8_t buf[512];
    size_t got = 0;
    const IoResult r = line.receive(buf, sizeof buf, wait, &got);
    const auto arrived = Clock::now();
    if (r == IoResult::LineError) {
      // The host left: what it had sent and not yet been answered goes too.
      session.pending.clear();
      queue.clear();
      if (options.once) return 0;
      continue;
    }
    if (r != IoResult::Ok) continue;
    for (const auto& e : vr815::sim::take_bytes(session, buf, got, now_ms())) {
      log_frame(log, e.log_line);
      if (e.hang_up) {
        line.hang_up();
        queue.clear();
        if (options.once) return 0;
        break;
      }
      if (!e.answer.empty()) {
        // Answers go out in the order they fall due: one held back by
        // --late lets the answers after it pass.
        const auto due = arrived + std::chrono::milliseconds(e.delay_ms);
        const auto later = std::upper_bound(
            queue.begin(), queue.end(), due,
            [](Clock::time_point t, const Pending& p) { return t < p.due; });
        queue.insert(later, {due, e.answer});
      }
    }
  }
  return 0;
}

/// Hosts the program on the open line: its exit status once it ended.
/// A stop request is passed on to it; after --once's host left, the device
/// no longer answers but still waits for it.
int host(vr815::sim::Transport& line, const Options& options, std::FILE* log,
         const std::string& name) {
  vr815::sim::ignore_interrupts();
  vr815::sim::StartedChild started = vr815::sim::start_child(options.run, name);
  if (started.child == nullptr) {
    std::fprintf(stderr, "vr815-sim: %s\n", started.error.c_str());
    return vr815::sim::kCannotStartStatus;
  }
  vr815::sim::ChildProcess& child = *started.child;
  serve(line, options, log, &child);
  int status = 0;
  while (!child.ended(&status)) {
    if (vr815::sim::stop_requested()) return child.stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(kHostedTickMs));
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const vr815::sim::ParsedOptions parsed = vr815::sim::parse_options(
      std::vector<std::string>(argv + 1, argv + argc));
  switch (parsed.outcome) {
    case vr815::sim::ParseOutcome::Error:
      std::fprintf(stderr, "vr815-sim: %s (try --help)\n",
                   parsed.error.c_str());
      return vr815::sim::kUsageStatus;
    case vr815::sim::ParseOutcome::Help:
      std::fputs(vr815::sim::usage_text(), stdout);
      return 0;
    case vr815::sim::ParseOutcome::Version:
      std::printf("vr815-sim %s\n", VR815_VERSION);
      return 0;
    case vr815::sim::ParseOutcome::Run:
      break;
  }
  const Options& options = parsed.options;
  LogFile log;
  if (!options.log_path.empty()) {
    log.reset(std::fopen(options.log_path.c_str(), "w"));
    if (log == nullptr) {
      std::fprintf(stderr, "vr815-sim: cannot open log file '%s'\n",
                   options.log_path.c_str());
      return vr815::sim::kCannotOpenStatus;
    }
  }
  vr815::sim::OpenedTransport opened = vr815::sim::open_transport(options);
  if (opened.transport == nullptr) {
    std::fprintf(stderr, "vr815-sim: %s\n", opened.error.c_str());
    return opened.exit_status;
  }
  vr815::sim::catch_stop_requests();
  int status = 0;
  if (!options.run.empty()) {
    // Standard output is the program's: the name reaches it as an argument.
    status = host(*opened.transport, options, log.get(), opened.name);
  } else {
    std::printf("%s\n", opened.name.c_str());
    std::fflush(stdout);
    status = serve(*opened.transport, options, log.get(), nullptr);
  }
  return status;
}
