#include "link/serial_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <limits>

#include "link/com_error.h"
#include "link/port_diagnosis.h"
#include "link/read_rules.h"
#include "link/serial_termios2.h"

namespace quillon {

class TSerialPosix::Private {
 public:
  int fd = -1;
  std::string path;  // the device, for the messages of its failures
  TComTimeouts timeouts;

  void Require() const {
    if (fd < 0) throw EComPort(CE_PortNotOpen);
  }

  // Every failure names the operation, the device and the cause, not only the error number.
  [[noreturn]] void Fail(int errorNumber, const char* operation, int code) const {
    throw EComPort(errorNumber, code, DescribePortFailure(operation, path, code));
  }

  // Waits for the descriptor; returns the poll revents (0 on time-out).
  short WaitFor(short events, int waitMs, int errorNumber) const {
    pollfd p{fd, events, 0};
    for (;;) {
      const int r = poll(&p, 1, waitMs);
      if (r > 0) return p.revents;
      if (r == 0) return 0;
      if (errno != EINTR) Fail(errorNumber, "poll", errno);
    }
  }

  // Takes what the queue holds, up to count bytes; -1 when it is empty.
  int ReadSome(char* buffer, int count) const {
    for (;;) {
      const ssize_t r = ::read(fd, buffer, static_cast<size_t>(count));
      if (r > 0) return static_cast<int>(r);
      // A hang-up: raw mode never reads 0 bytes.
      if (r == 0) Fail(CE_ReadFailed, "read", EIO);
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return -1;
      Fail(CE_ReadFailed, "read", errno);
    }
  }
};

TSerialPosix::TSerialPosix() : d_(std::make_unique<Private>()) {}

TSerialPosix::~TSerialPosix() {
  Close();
}

std::string TSerialPosix::DevicePath(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  if (name.size() > 3 && (name[0] == 'C' || name[0] == 'c') && (name[1] == 'O' || name[1] == 'o') &&
      (name[2] == 'M' || name[2] == 'm')) {
    const std::string digits = name.substr(3);
    if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
        digits.size() < 6) {
      const int n = std::stoi(digits);
      if (n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
    }
  }
  return "/dev/" + name;
}

void TSerialPosix::Open(const std::string& name) {
  if (d_->fd >= 0) return;
  const std::string path = DevicePath(name);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int code = errno;
    throw EComPort(CE_OpenFailed, code, DescribePortFailure("open", path, code));
  }
  int err = 0;
  // TIOCEXCL keeps other users out but not root; the advisory lock covers root and other
  // programs that lock their ports the same way. A second opener sees "busy" either way.
  if (ioctl(fd, TIOCEXCL) != 0)
    err = errno;
  else if (flock(fd, LOCK_EX | LOCK_NB) != 0)
    err = (errno == EWOULDBLOCK) ? EBUSY : errno;
  if (err != 0) {
    ::close(fd);
    throw EComPort(CE_OpenFailed, err, DescribePortFailure("open", path, err));
  }
  d_->fd = fd;
  d_->path = path;
  // DTR and RTS inactive; pseudo-terminals have no modem lines, so a failure is expected there.
  int lines = TIOCM_DTR | TIOCM_RTS;
  (void)ioctl(fd, TIOCMBIC, &lines);
}

void TSerialPosix::Close() {
  if (d_->fd < 0) return;
  (void)tcflush(d_->fd, TCIOFLUSH);
  (void)ioctl(d_->fd, TIOCNXCL);
  ::close(d_->fd);  // releases the lock too
  d_->fd = -1;
}

bool TSerialPosix::IsOpen() const {
  return d_->fd >= 0;
}

// The kernel sizes its queues itself.
void TSerialPosix::SetQueueSizes(int, int) {
  d_->Require();
}

void TSerialPosix::SetLineSettings(const TLineSettings& settings) {
  d_->Require();
  const int err = ApplyLineSettingsToFd(d_->fd, settings);
  if (err != 0) d_->Fail(CE_SetStateFailed, "set line", err);
}

void TSerialPosix::SetTimeouts(const TComTimeouts& timeouts) {
  d_->Require();
  d_->timeouts = timeouts;
}

void TSerialPosix::Purge(bool input, bool output) {
  d_->Require();
  if (!input && !output) return;
  const int which = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
  if (tcflush(d_->fd, which) != 0) d_->Fail(CE_PurgeFailed, "purge", errno);
}

int TSerialPosix::Write(const char* data, int count) {
  d_->Require();
  if (count <= 0) return 0;
  const int64_t deadline = WriteDeadline(d_->timeouts, count, NowMs());
  int written = 0;
  while (written < count) {
    const ssize_t r = ::write(d_->fd, data + written, static_cast<size_t>(count - written));
    if (r > 0) {
      written += static_cast<int>(r);
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK) d_->Fail(CE_WriteFailed, "write", errno);
    const int64_t now = NowMs();
    if (deadline != kNoDeadline && now >= deadline) break;
    const short ev = d_->WaitFor(POLLOUT, MsUntil(deadline, now), CE_WriteFailed);
    if (ev & (POLLERR | POLLHUP | POLLNVAL)) d_->Fail(CE_WriteFailed, "write", EIO);
  }
  return written;
}

int TSerialPosix::Read(char* buffer, int count) {
  d_->Require();
  TReadSource source;
  source.Now = [this] { return NowMs(); };
  source.Take = [this](char* to, int max) { return std::max(0, d_->ReadSome(to, max)); };
  source.Wait = [this](int waitMs) {
    const short ev = d_->WaitFor(POLLIN, waitMs, CE_ReadFailed);
    if ((ev & (POLLERR | POLLHUP | POLLNVAL)) && !(ev & POLLIN))
      d_->Fail(CE_ReadFailed, "read", EIO);
  };
  return ReadUnderTimeouts(d_->timeouts, buffer, count, source);
}

int TSerialPosix::QueuedInputCount() {
  d_->Require();
  int n = 0;
  if (ioctl(d_->fd, FIONREAD, &n) != 0) d_->Fail(CE_ClearComFailed, "queue", errno);
  if (n > 0) return n;
  // A vanished device keeps the descriptor readable with nothing to read; report it instead of
  // letting an event loop spin on it.
  pollfd p{d_->fd, POLLIN, 0};
  if (poll(&p, 1, 0) > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
    d_->Fail(CE_ClearComFailed, "queue", EIO);
  return 0;
}

int TSerialPosix::ReadinessHandle() const {
  return d_->fd;
}

}  // namespace quillon
