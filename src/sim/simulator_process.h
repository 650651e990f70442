// Starts quillon-sim as a child process (for the demonstration mode) and stops it again. The
// child ends with its parent even when the parent is killed. Start and destroy from the
// program's main thread: the child is tied to the thread that started it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace quillon {

class TSimulatorProcess {
 public:
  TSimulatorProcess();
  ~TSimulatorProcess();
  TSimulatorProcess(const TSimulatorProcess&) = delete;
  TSimulatorProcess& operator=(const TSimulatorProcess&) = delete;

  // quillon-sim beside the running executable.
  static std::string DefaultExecutable();
  void SetExecutable(const std::string& path) { executable_ = path; }
  // The child's stderr (its --trace) goes to this file, emptied at start; empty: inherited.
  void SetErrorFile(const std::string& path) { errorFile_ = path; }

  // Starts the simulator with the arguments (plus --exit-with-parent) and waits up to
  // timeoutMs for the device path it announces. On failure the child is gone again and
  // error says why.
  bool Start(const std::vector<std::string>& arguments, int timeoutMs, std::string& error);
  // SIGTERM, then SIGKILL when it has not ended within a short wait; reaped either way.
  void Stop();

  bool Running();
  pid_t Pid() const { return pid_; }
  const std::string& DevicePath() const { return devicePath_; }

 private:
  bool ReadDevicePath(int fd, int timeoutMs, std::string& error);
  // Waits up to timeoutMs for the child to end; true when it has been reaped.
  bool WaitForExit(int timeoutMs);

  std::string executable_;
  std::string errorFile_;
  pid_t pid_ = -1;
  std::string devicePath_;
};

}  // namespace quillon
