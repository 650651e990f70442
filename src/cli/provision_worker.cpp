#include "cli/provision_worker.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillon::cli {

namespace {

// A line longer than this is cut: a worker gone wrong cannot make the parent hold its output.
constexpr size_t kLongestLine = 1 << 20;

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

TProvisionWorker::~TProvisionWorker() {
  CloseFd(in_);
  CloseFd(out_);
  CloseFd(err_);
  if (pid_ > 0 && !status_) {
    kill(-pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
}

bool TProvisionWorker::Start(const std::string& program, const std::vector<std::string>& arguments,
                             std::string& error) {
  int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
      if (fd >= 0) close(fd);
    return false;
  }
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  started_ = std::chrono::steady_clock::now();
  pid_ = fork();
  if (pid_ < 0) {
    error = std::strerror(errno);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    return false;
  }
  if (pid_ == 0) {
    // The child: only async-signal-safe calls until exec.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  in_ = in[1];
  out_ = out[0];
  err_ = err[0];
  fcntl(out_, F_SETFL, O_NONBLOCK);
  fcntl(err_, F_SETFL, O_NONBLOCK);
  return true;
}

void TProvisionWorker::ReadInto(int& fd, std::string& buffer) {
  char chunk[4096];
  while (fd >= 0) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n > 0) {
      buffer.append(chunk, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    CloseFd(fd);  // end of file, or an error that will not go away
  }
}

void TProvisionWorker::ReadOut() {
  ReadInto(out_, outBuffer_);
}

void TProvisionWorker::ReadErr() {
  ReadInto(err_, errBuffer_);
}

std::optional<std::string> TProvisionWorker::TakeLine(std::string& buffer, bool closed) {
  size_t end = buffer.find('\n');
  if (end == std::string::npos) {
    if (buffer.size() < kLongestLine && !(closed && !buffer.empty())) return std::nullopt;
    end = std::min(buffer.size(), kLongestLine);
  }
  std::string line = buffer.substr(0, end);
  buffer.erase(0, std::min(buffer.size(), end + 1));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<std::string> TProvisionWorker::NextOutLine() {
  return TakeLine(outBuffer_, out_ < 0);
}

std::optional<std::string> TProvisionWorker::NextErrLine() {
  return TakeLine(errBuffer_, err_ < 0);
}

void TProvisionWorker::Answer(bool go) {
  if (in_ < 0) return;
  const char* text = go ? "go\n" : "skip\n";
  const ssize_t n = write(in_, text, std::strlen(text));
  (void)n;  // a worker that has gone reads no answer; its end is reported from its status
}

void TProvisionWorker::CloseInput() {
  CloseFd(in_);
}

std::optional<int> TProvisionWorker::TryReap() {
  if (status_ || pid_ <= 0) return status_;
  int status = 0;
  const pid_t done = waitpid(pid_, &status, WNOHANG);
  if (done == pid_) {
    status_ = status;
    reaped_ = std::chrono::steady_clock::now();
  }
  return status_;
}

void TProvisionWorker::Terminate() {
  // The whole group: whatever the worker started goes too, and lets go of the pipes.
  if (pid_ > 0 && !status_) kill(-pid_, SIGTERM);
}

bool TProvisionWorker::Ended() {
  if (!TryReap()) return false;
  if (OutputsClosed()) return true;
  // Something the worker started may hold its outputs open after it ended; a moment for the
  // last lines, then they are closed on this side.
  if (std::chrono::steady_clock::now() - reaped_ < std::chrono::seconds(2)) return false;
  ReadOut();
  ReadErr();
  CloseFd(out_);
  CloseFd(err_);
  return true;
}

double TProvisionWorker::Seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
}

}  // namespace quillon::cli
