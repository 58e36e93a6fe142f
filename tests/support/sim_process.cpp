#include "sim_process.h"

#include <cstdio>
#include <fstream>

#include "files.h"

namespace vr815::test {

namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 2000;

std::vector<std::string> sim_command(const std::vector<std::string>& options) {
  std::vector<std::string> argv{VR815_SIM_PATH};
  argv.insert(argv.end(), options.begin(), options.end());
  return argv;
}

}  // namespace

SimProcess::SimProcess(const std::vector<std::string>& options, bool log) {
  std::vector<std::string> args = options;
  if (log) {
    log_path_ = temp_file_path("vr815-sim-log");
    args.push_back("--log");
    args.push_back(log_path_);
  }
  program_ = start_background(sim_command(args));
  if (program_.pid < 0) return;
  // The first line names the device's end of the line, whatever its form.
  std::string line;
  if (read_output_line(program_, kStartTimeoutMs, &line) && !line.empty()) {
    port_ = line;
  } else {
    stop();
  }
}

SimProcess::~SimProcess() {
  stop();
  if (!log_path_.empty()) std::remove(log_path_.c_str());
}

std::vector<std::string> SimProcess::log_lines() const {
  std::vector<std::string> lines;
  std::ifstream in(log_path_);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int SimProcess::stop(int signal) {
  if (program_.pid > 0) {
    status_ = stop_background(&program_, signal, kStopTimeoutMs);
  }
  return status_;
}

int SimProcess::wait_for_exit(int timeout_ms) {
  if (program_.pid > 0) {
    const int status = wait_background(&program_, timeout_ms);
    if (status < 0 && program_.pid > 0) return -1;
    status_ = status;
  }
  return status_;
}

SimRun run_sim(const std::vector<std::string>& options, int timeout_ms) {
  const ProgramResult run = run_program({sim_command(options), "", timeout_ms});
  return {run.status, run.out, run.err};
}

Invocation hosted_run(const std::vector<std::string>& options,
                      const std::vector<std::string>& program, int timeout_ms) {
  std::vector<std::string> argv = sim_command(options);
  argv.push_back("--run");
  argv.insert(argv.end(), program.begin(), program.end());
  return {argv, "\n", timeout_ms};
}

std::string reported_port(const std::string& report) {
  const size_t start = report.find("\nPort=");
  if (start == std::string::npos) return {};
  const size_t from = start + 6;
  return report.substr(from, report.find(", Baud=", from) - from);
}

}  // namespace vr815::test
