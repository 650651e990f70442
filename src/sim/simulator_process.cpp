#include "sim/simulator_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "settings/program_paths.h"

namespace quillon {

namespace {

int64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecChild(const char* path, char* const* argv, int outFd, int errFd,
                            pid_t parent) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(127);  // the parent died before the request took effect
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  if (dup2(outFd, STDOUT_FILENO) < 0) _exit(127);
  if (errFd >= 0 && dup2(errFd, STDERR_FILENO) < 0) _exit(127);
  execv(path, argv);
  _exit(127);
}

}  // namespace

TSimulatorProcess::TSimulatorProcess() : executable_(DefaultExecutable()) {}

TSimulatorProcess::~TSimulatorProcess() {
  Stop();
}

std::string TSimulatorProcess::DefaultExecutable() {
  return ExecutableDir() + "quillon-sim";
}

bool TSimulatorProcess::Start(const std::vector<std::string>& arguments, int timeoutMs,
                              std::string& error) {
  Stop();
  std::vector<std::string> all = {executable_};
  all.insert(all.end(), arguments.begin(), arguments.end());
  all.push_back("--exit-with-parent");
  std::vector<char*> argv;
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    error = std::string("pipe: ") + strerror(errno);
    return false;
  }
  int err = -1;
  if (!errorFile_.empty()) {
    err = open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (err < 0) {
      error = errorFile_ + ": " + strerror(errno);
      close(out[0]);
      close(out[1]);
      return false;
    }
  }
  pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) ExecChild(executable_.c_str(), argv.data(), out[1], err, parent);
  close(out[1]);
  if (err >= 0) close(err);
  if (pid_ < 0) {
    error = std::string("fork: ") + strerror(errno);
    close(out[0]);
    return false;
  }
  bool ok = ReadDevicePath(out[0], timeoutMs, error);
  close(out[0]);
  if (!ok) Stop();
  return ok;
}

bool TSimulatorProcess::ReadDevicePath(int fd, int timeoutMs, std::string& error) {
  std::string line;
  int64_t deadline = NowMs() + timeoutMs;
  while (true) {
    size_t end = line.find('\n');
    if (end != std::string::npos) {
      devicePath_ = line.substr(0, end);
      return !devicePath_.empty();
    }
    int64_t left = deadline - NowMs();
    if (left <= 0) {
      error = "the simulator did not announce its device in time";
      return false;
    }
    pollfd wait{fd, POLLIN, 0};
    int ready = poll(&wait, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    char buffer[256];
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      error = "the simulator ended without announcing its device (" + executable_ + ")";
      return false;
    }
    line.append(buffer, static_cast<size_t>(count));
  }
}

bool TSimulatorProcess::WaitForExit(int timeoutMs) {
  int64_t deadline = NowMs() + timeoutMs;
  while (true) {
    pid_t done = waitpid(pid_, nullptr, WNOHANG);
    if (done == pid_ || (done < 0 && errno == ECHILD)) return true;
    if (NowMs() >= deadline) return false;
    timespec pause{0, 5 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
}

void TSimulatorProcess::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    if (!WaitForExit(1000)) {
      kill(pid_, SIGKILL);
      while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
  }
  pid_ = -1;
  devicePath_.clear();
}

bool TSimulatorProcess::Running() {
  if (pid_ <= 0) return false;
  pid_t done = waitpid(pid_, nullptr, WNOHANG);
  if (done == pid_ || (done < 0 && errno == ECHILD)) {
    pid_ = -1;
    return false;
  }
  return true;
}

}  // namespace quillon
