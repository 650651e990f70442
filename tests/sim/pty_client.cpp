#include "sim/pty_client.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace quillon {

int64_t MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

TPtyClient::~TPtyClient() {
  Close();
}

bool TPtyClient::Open(const std::string& path) {
  Close();
  fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) return false;
  termios mode{};
  tcgetattr(fd_, &mode);
  cfmakeraw(&mode);
  cfsetspeed(&mode, B115200);
  tcsetattr(fd_, TCSANOW, &mode);
  lastError_ = 0;
  hungUp_ = false;
  return true;
}

void TPtyClient::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool TPtyClient::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t count = write(fd_, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      lastError_ = errno;
      return false;
    }
    done += static_cast<size_t>(count);
  }
  return true;
}

// Waits up to waitMs for bytes and appends what one read brings. Returns 0 when nothing came in
// time, 1 otherwise (bytes read, an interrupted call or a hang-up, which sets hungUp_).
int TPtyClient::ReadOnce(std::string& text, int waitMs) {
  pollfd wait{fd_, POLLIN, 0};
  int ready = poll(&wait, 1, waitMs);
  if (ready == 0) return 0;
  if (ready < 0) return 1;
  char buffer[512];
  ssize_t count = read(fd_, buffer, sizeof buffer);
  if (count > 0) {
    text.append(buffer, static_cast<size_t>(count));
  } else if (!(count < 0 && errno == EINTR)) {
    lastError_ = count < 0 ? errno : 0;
    hungUp_ = true;
  }
  return 1;
}

std::string TPtyClient::ReadUntil(const std::string& ending, int timeoutMs) {
  std::string text;
  int64_t deadline = MonotonicMs() + timeoutMs;
  while (!hungUp_) {
    if (!ending.empty() && text.find(ending) != std::string::npos) break;
    int64_t left = deadline - MonotonicMs();
    if (left <= 0) break;
    ReadOnce(text, static_cast<int>(left));
  }
  return text;
}

std::string TPtyClient::ReadQuiet(int quietMs, int timeoutMs) {
  std::string text;
  int64_t deadline = MonotonicMs() + timeoutMs;
  while (!hungUp_) {
    int64_t left = deadline - MonotonicMs();
    if (left <= 0) break;
    if (ReadOnce(text, static_cast<int>(left < quietMs ? left : quietMs)) == 0) break;
  }
  return text;
}

std::string TPtyClient::Request(const std::string& request, int timeoutMs) {
  Purge();
  if (!Write(request + "\r")) return "";
  return ReadUntil(">", timeoutMs);
}

void TPtyClient::Purge() {
  if (fd_ >= 0) tcflush(fd_, TCIFLUSH);
}

}  // namespace quillon
