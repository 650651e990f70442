// quillon-cli started in the background with its output in files, so that a test can watch
// what it prints and signal it as an operator would (Ctrl+C).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace quillon::test {

// quillon-cli running in the background, its output in files, so a test can signal it.
class TBackgroundCli {
 public:
  // env: "NAME=VALUE" added to this process's environment.
  TBackgroundCli(const TempDir& dir, const std::vector<std::string>& args,
                 std::vector<std::string> env = {})
      : out_(dir.File("bg.out")), err_(dir.File("bg.err")) {
    std::vector<std::string> all = {"./quillon-cli"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e) envp.push_back(*e);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~TBackgroundCli() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  bool Started() const { return pid_ > 0; }
  std::string Out() const { return ReadFile(out_); }
  std::string Err() const { return ReadFile(err_); }
  void Signal(int sig) const { kill(pid_, sig); }

  // Waits up to seconds for the output to hold the text.
  bool WaitFor(const std::string& text, int seconds) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
      if (Out().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  // The exit code, or -1 when it has not ended within the seconds.
  int Wait(int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
  }

 private:
  std::string out_, err_;
  pid_t pid_ = -1;
};

}  // namespace quillon::test
