// Starting and stopping quillon-sim as a child: never a process left behind.
#include "sim/simulator_process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/program_paths.h"
#include "sim/pty_client.h"
#include "sim/sim_fixture_profile.h"

namespace quillon {
namespace {

bool ProcessGone(pid_t pid) {
  return kill(pid, 0) != 0 && errno == ESRCH;
}

class SimulatorProcessTest : public ::testing::Test {
 protected:
  SimulatorProcessTest() { InitProgramPaths(nullptr); }
  std::vector<std::string> Arguments() const { return {"--profile", SimFixtureProfileFile()}; }
};

TEST_F(SimulatorProcessTest, StartsAnnouncesAndStops) {
  pid_t pid = -1;
  {
    TSimulatorProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(Arguments(), 5000, error)) << error;
    pid = sim.Pid();
    EXPECT_TRUE(sim.Running());
    struct stat info {};
    ASSERT_EQ(stat(sim.DevicePath().c_str(), &info), 0) << sim.DevicePath();
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    sim.Stop();
    EXPECT_TRUE(ProcessGone(pid)) << "stopped and reaped";
    EXPECT_FALSE(sim.Running());
    EXPECT_EQ(sim.DevicePath(), "");

    ASSERT_TRUE(sim.Start(Arguments(), 5000, error)) << error;
    pid = sim.Pid();
  }
  EXPECT_TRUE(ProcessGone(pid)) << "the destructor stops it too";
}

TEST_F(SimulatorProcessTest, FailedStartsLeaveNothing) {
  TSimulatorProcess sim;
  std::string error;
  sim.SetExecutable("/nonexistent/quillon-sim");
  EXPECT_FALSE(sim.Start(Arguments(), 2000, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(sim.Running());

  sim.SetExecutable(TSimulatorProcess::DefaultExecutable());
  error.clear();
  int64_t start = MonotonicMs();
  EXPECT_FALSE(sim.Start({"--bogus"}, 5000, error));
  EXPECT_LT(MonotonicMs() - start, 4000) << "an early exit is noticed without the time-out";
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(sim.Pid(), -1);
}

// A parent that is killed outright takes its simulator along. The test runs in a child that
// adopts orphans, so that it can reap the simulator when it ends.
TEST_F(SimulatorProcessTest, EndsWhenItsParentIsKilled) {
  pid_t keeper = fork();
  ASSERT_GE(keeper, 0);
  if (keeper == 0) {
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    int report[2];
    if (pipe(report) != 0) _exit(10);
    pid_t parent = fork();
    if (parent == 0) {
      TSimulatorProcess sim;
      std::string error;
      if (!sim.Start(Arguments(), 5000, error)) _exit(11);
      pid_t pid = sim.Pid();
      if (write(report[1], &pid, sizeof pid) != sizeof pid) _exit(12);
      while (true) pause();
    }
    pid_t simPid = -1;
    if (read(report[0], &simPid, sizeof simPid) != sizeof simPid) _exit(13);
    kill(parent, SIGKILL);
    waitpid(parent, nullptr, 0);
    int64_t deadline = MonotonicMs() + 2000;
    while (MonotonicMs() < deadline) {
      if (waitpid(simPid, nullptr, WNOHANG) == simPid) _exit(0);
      usleep(10000);
    }
    kill(simPid, SIGKILL);
    waitpid(simPid, nullptr, 0);
    _exit(1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(keeper, &status, 0), keeper);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the simulator outlived its parent; 1x: set-up failed";
}

}  // namespace
}  // namespace quillon
