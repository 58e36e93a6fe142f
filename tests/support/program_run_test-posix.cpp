// What the tests start ends with the test that started it, however that
// dies.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "program_run.h"
#include "sim_process.h"

namespace {

using vr815::test::SimProcess;

// CTest kills a test at its time limit with SIGKILL: the sim it started ends
// with it, as after a stop signal.
TEST(ProgramRun, EndsWithTheTestThatStartedIt) {
  // The sim, orphaned, comes to this process, which can then see it end.
  ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t test = fork();
  if (test == 0) {
    // The test that dies: it starts a sim, tells its pid and waits.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    SimProcess sim;
    const pid_t pid = sim.pid();
    (void)!write(report[1], &pid, sizeof pid);
    pause();
    _exit(0);
  }
  close(report[1]);
  pid_t sim = -1;
  const ssize_t n = read(report[0], &sim, sizeof sim);
  close(report[0]);
  kill(test, SIGKILL);
  waitpid(test, nullptr, 0);
  ASSERT_EQ(n, static_cast<ssize_t>(sizeof sim));
  ASSERT_GT(sim, 0);

  vr815::test::Background orphan{sim, -1};
  EXPECT_EQ(vr815::test::wait_background(&orphan, 3000), 0)
      << "-1: the sim still runs";
  vr815::test::stop_background(&orphan, SIGKILL, 0);
}

}  // namespace
