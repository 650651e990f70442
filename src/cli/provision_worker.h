// One provisioning worker as the parent sees it: a child process running
// `quillon-cli provision-unit` for one port, talking JSON lines on its stdout and reading "go" or
// "skip" on its stdin. The parent polls the descriptors of all its workers at once.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "cli/json_value.h"

namespace quillon::cli {

class TProvisionWorker {
 public:
  TProvisionWorker() = default;
  ~TProvisionWorker();
  TProvisionWorker(const TProvisionWorker&) = delete;
  TProvisionWorker& operator=(const TProvisionWorker&) = delete;

  // Starts program with the arguments (argv[0] being the program) in a process group of its
  // own, so that the terminal's Ctrl+C reaches only the parent, which decides when workers
  // stop; the worker also ends with a SIGTERM when the parent dies. False with a message when
  // no process could be made (an executable that cannot run ends the child with 127).
  bool Start(const std::string& program, const std::vector<std::string>& arguments,
             std::string& error);

  // Descriptors to poll for input: stdout and stderr while they are open.
  int OutFd() const { return out_; }
  int ErrFd() const { return err_; }

  // Reads what is there (never blocks); complete lines are kept for the two takers below.
  void ReadOut();
  void ReadErr();
  // The next complete line of stdout or stderr, without its end; nullopt when none is there.
  std::optional<std::string> NextOutLine();
  std::optional<std::string> NextErrLine();

  // Answers the identity question; a worker gone already is no error (SIGPIPE is ignored).
  void Answer(bool go);
  // No more answers: the worker reads EOF, which it takes as skip.
  void CloseInput();

  // Both outputs at their end (the worker closed them or died).
  bool OutputsClosed() const { return out_ < 0 && err_ < 0; }
  // Reaps the worker when it has ended (never blocks); its wait status, nullopt while it runs.
  std::optional<int> TryReap();
  // The worker was reaped and its outputs are closed (read to their end, or given up two
  // seconds after it ended while something it started still held them): its lines are all in.
  bool Ended();
  // SIGTERM to the worker and whatever it started (the second stop signal of the operator).
  // Its input stays open: end of input means skip, and a stopped unit has not been skipped.
  void Terminate();

  pid_t Pid() const { return pid_; }
  double Seconds() const;

 private:
  static void ReadInto(int& fd, std::string& buffer);
  static std::optional<std::string> TakeLine(std::string& buffer, bool closed);

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  std::string outBuffer_, errBuffer_;
  std::optional<int> status_;
  std::chrono::steady_clock::time_point started_, reaped_;
};

}  // namespace quillon::cli
