#include "support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillon::test {

namespace {

int64_t NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

[[noreturn]] void RunChild(const std::string& program, const std::vector<std::string>& args,
                           const TRunOptions& options, int in, int out, int err) {
  // A group of its own, so that the time limit also ends what the program started.
  setpgid(0, 0);
  dup2(in, STDIN_FILENO);
  dup2(out, STDOUT_FILENO);
  dup2(err, STDERR_FILENO);
  for (const std::string& e : options.Env) {
    const size_t eq = e.find('=');
    if (eq == std::string::npos)
      unsetenv(e.c_str());
    else
      setenv(e.substr(0, eq).c_str(), e.c_str() + eq + 1, 1);
  }
  if (!options.WorkDir.empty() && chdir(options.WorkDir.c_str()) != 0) _exit(127);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execvp(program.c_str(), argv.data());
  const std::string message = "cannot run " + program + ": " + std::strerror(errno) + "\n";
  (void)!write(STDERR_FILENO, message.data(), message.size());
  _exit(127);
}

// Feeds the input and collects both outputs until the program closes them or time runs out.
bool Collect(int in, int out, int err, const std::string& input, int64_t deadline,
             TProgramRun& run) {
  size_t written = 0;
  if (input.empty()) {
    close(in);
    in = -1;
  }
  while (out >= 0 || err >= 0) {
    pollfd fds[3] = {{out, POLLIN, 0}, {err, POLLIN, 0}, {in, POLLOUT, 0}};
    const int64_t left = deadline - NowMs();
    if (left <= 0) break;
    if (poll(fds, 3, static_cast<int>(left)) < 0 && errno != EINTR) break;
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        (i == 0 ? run.Out : run.Err).append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        (i == 0 ? out : err) = -1;
      }
    }
    if (in >= 0 && fds[2].revents != 0) {
      const ssize_t n = write(in, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<size_t>(n);
      if (n < 0 || written == input.size()) {
        close(in);
        in = -1;
      }
    }
  }
  for (int fd : {in, out, err})
    if (fd >= 0) close(fd);
  return out < 0 && err < 0;
}

}  // namespace

TProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                       const TRunOptions& options) {
  TProgramRun run;
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0) return run;
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return run;
  // A program that stops reading its input must not kill the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  const pid_t pid = fork();
  if (pid == 0) RunChild(program, args, options, in[0], out[1], err[1]);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  if (pid < 0) {
    close(in[1]);
    close(out[0]);
    close(err[0]);
    return run;
  }
  const int64_t deadline = NowMs() + options.TimeoutSeconds * 1000LL;
  bool finished = Collect(in[1], out[0], err[0], options.Input, deadline, run);
  int status = 0;
  while (finished) {
    if (waitpid(pid, &status, WNOHANG) == pid) break;
    if (NowMs() >= deadline) {
      finished = false;
      break;
    }
    usleep(10000);
  }
  if (!finished) {
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    run.Code = 124;
    return run;
  }
  run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

}  // namespace quillon::test
