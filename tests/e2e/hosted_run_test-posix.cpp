// vr815-sim --run: the line's name handed to the hosted program, its exit
// status passed through, what the program inherits, and Ctrl-C or a stop
// signal ending both with nothing left running but what the program itself
// started. The harness hosted on each kind of line:
// line_kinds_test-posix.cpp.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expected_report.h"
#include "files.h"
#include "sim_process.h"

namespace vr815::test {
namespace {

TEST(HostedRun, TheLineNameTakesThePlaceOfBracesOrIsAppended) {
  // The program prints its arguments, each in <>; @ stands for the name.
  const struct {
    std::vector<std::string> args;
    std::string printed;
  } cases[] = {
      {{"a", "{}", "b"}, "<a><@><b>"},
      {{"a", "b"}, "<a><b><@>"},
      {{"{}", "{}"}, "<@><@>"},
      {{"{}x", ""}, "<{}x><><@>"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> program = {"sh", "-c", "printf '<%s>' \"$@\"",
                                        "sh"};
    program.insert(program.end(), c.args.begin(), c.args.end());
    const ProgramResult run =
        run_program(hosted_run({"--listen", "127.0.0.1:0"}, program, 5000));
    EXPECT_EQ(run.status, 0) << run.err;
    const size_t at = run.out.find("socket://127.0.0.1:");
    ASSERT_NE(at, std::string::npos) << run.out;
    const std::string name = run.out.substr(at, run.out.find('>', at) - at);
    std::string expected = c.printed;
    for (size_t p = expected.find('@'); p != std::string::npos;
         p = expected.find('@', p + name.size())) {
      expected.replace(p, 1, name);
    }
    EXPECT_EQ(run.out, expected);
  }
}

TEST(HostedRun, ExitsWithTheProgramsStatus) {
  const struct {
    const char* what;
    Invocation invocation;
    int status;
  } cases[] = {
      {"the harness after a failed open (-1)",
       hosted_run({"--hangup-after", "0"}, {VR815_TEST_PATH}), 255},
      {"an exit status", hosted_run({}, {"sh", "-c", "exit 7"}), 7},
      {"a signal", hosted_run({}, {"sh", "-c", "kill -TERM $$"}),
       128 + SIGTERM},
  };
  for (const auto& c : cases) {
    const ProgramResult run = run_program(c.invocation);
    EXPECT_EQ(run.status, c.status) << c.what << ": " << run.err;
  }
  const ProgramResult failed =
      run_program(hosted_run({"--hangup-after", "0"}, {VR815_TEST_PATH}));
  const std::string port = reported_port(failed.out);
  EXPECT_EQ(mask_handle(failed.out),
            expected_report(port, 115200, false, CallStatuses{}));
}

TEST(HostedRun, AProgramThatCannotStartIsOneLineAndStatus127) {
  for (const char* program : {"/nonexistent/vr815-test", "vr815-no-such"}) {
    const ProgramResult run =
        run_program(hosted_run({"--listen", "127.0.0.1:0"}, {program}, 5000));
    EXPECT_EQ(run.status, 127) << program;
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find(program), std::string::npos) << run.err;
  }
}

TEST(HostedRun, TheProgramInheritsTheStandardStreamsOnly) {
  // Besides its log and its line, the device holds a descriptor it
  // inherited itself, from the test.
  const std::string log = temp_file_path("vr815-hosted-log");
  const int inherited = open(log.c_str(), O_RDONLY);
  ASSERT_GE(inherited, 0);
  for (const std::vector<std::string>& line :
       {std::vector<std::string>{}, {"--listen", "127.0.0.1:0"}}) {
    std::vector<std::string> options = line;
    options.insert(options.end(), {"--log", log});
    const ProgramResult run = run_program(
        hosted_run(options, {"sh", "-c", "ls /proc/$$/fd; :", "sh"}, 5000));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "0\n1\n2\n") << "the program's descriptors";
  }
  close(inherited);
  std::remove(log.c_str());
}

// The device in a session of its own, so that a signal reaches its process
// group as Ctrl-C at a terminal reaches the foreground group. Afterwards the
// group is empty: nothing of the run is left.
TEST(HostedRun, CtrlCOrAStopSignalEndsBothWithNothingLeft) {
  const struct {
    const char* what;
    bool to_group;
    int signal;
    int status;
  } cases[] = {
      {"Ctrl-C", true, SIGINT, 128 + SIGINT},
      {"SIGTERM to the device", false, SIGTERM, 128 + SIGTERM},
      {"SIGHUP to the device", false, SIGHUP, 128 + SIGTERM},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Background run =
        start_background({VR815_SETSID, VR815_SIM_PATH, "--run", "sh", "-c",
                          "echo started; exec sleep 60"});
    ASSERT_GT(run.pid, 0);
    std::string line;
    ASSERT_TRUE(read_output_line(run, 5000, &line));
    ASSERT_EQ(line, "started");
    kill(c.to_group ? -run.pid : run.pid, c.signal);
    const pid_t group = run.pid;
    EXPECT_EQ(wait_background(&run, 3000), c.status);
    if (run.pid > 0) stop_background(&run, SIGKILL, 1000);
    EXPECT_EQ(kill(-group, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    kill(-group, SIGKILL);
  }
}

// What the program started is its own to end (child_process.h): a stop
// ends the program alone.
TEST(HostedRun, AStopEndsTheProgramNotWhatItStarted) {
  // What the device's end orphans comes to this process, which can see it.
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  Background run = start_background(
      {VR815_SIM_PATH, "--run", "sh", "-c", "sleep 60 & echo $!; wait"});
  ASSERT_GT(run.pid, 0);
  std::string line;
  ASSERT_TRUE(read_output_line(run, 5000, &line));
  Background started{static_cast<pid_t>(std::stol(line)), -1};
  kill(run.pid, SIGTERM);
  EXPECT_EQ(wait_background(&run, 3000), 128 + SIGTERM);
  // Still running, and this process's to reap.
  EXPECT_EQ(wait_background(&started, 100), -1);
  EXPECT_GT(started.pid, 0) << "it ended with the stop";
  stop_background(&started, SIGKILL, 1000);
  if (run.pid > 0) stop_background(&run, SIGKILL, 1000);
}

}  // namespace
}  // namespace vr815::test
