#include "sim/sim_pty_transport.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "sim/sim_line_settings.h"

namespace quillon {

namespace {

std::string ErrorText(const std::string& what) {
  return what + ": " + strerror(errno);
}

}  // namespace

TSimPtyTransport::~TSimPtyTransport() {
  Close();
}

bool TSimPtyTransport::Open(std::string& error) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) {
    error = ErrorText("posix_openpt");
    return false;
  }
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
    error = ErrorText("grantpt/unlockpt");
    Close();
    return false;
  }
  char name[PATH_MAX];
  if (ptsname_r(master_, name, sizeof name) != 0) {
    error = ErrorText("ptsname");
    Close();
    return false;
  }
  devicePath_ = name;
  slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) {
    error = ErrorText("open " + devicePath_);
    Close();
    return false;
  }
  // Raw: the line discipline must neither echo nor translate; the echo is the terminal's own.
  termios mode{};
  if (tcgetattr(slave_, &mode) == 0) {
    cfmakeraw(&mode);
    tcsetattr(slave_, TCSANOW, &mode);
  }
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  return true;
}

bool TSimPtyTransport::MakeLink(const std::string& linkPath, std::string& error) {
  struct stat info {};
  if (lstat(linkPath.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
    error = linkPath + " exists and is not a symbolic link";
    return false;
  }
  // Made under a temporary name and renamed over the old link: never a moment without one.
  std::string temporary = linkPath + ".tmp" + std::to_string(getpid());
  unlink(temporary.c_str());
  if (symlink(devicePath_.c_str(), temporary.c_str()) != 0) {
    error = ErrorText("symlink " + linkPath);
    return false;
  }
  if (rename(temporary.c_str(), linkPath.c_str()) != 0) {
    error = ErrorText("rename to " + linkPath);
    unlink(temporary.c_str());
    return false;
  }
  linkPath_ = linkPath;
  return true;
}

std::string TSimPtyTransport::LineSettings() const {
  return LineSettingsText(slave_);
}

ssize_t TSimPtyTransport::Read(char* buffer, size_t size) {
  if (master_ < 0) return -1;
  return read(master_, buffer, size);
}

ssize_t TSimPtyTransport::Write(const char* data, size_t size) {
  if (master_ < 0) return -1;
  return write(master_, data, size);
}

void TSimPtyTransport::RemoveLink() {
  if (linkPath_.empty()) return;
  // Another terminal may have taken the name over since; its link stays.
  char target[PATH_MAX];
  ssize_t length = readlink(linkPath_.c_str(), target, sizeof target - 1);
  if (length >= 0) {
    target[length] = '\0';
    if (devicePath_ == target) unlink(linkPath_.c_str());
  }
  linkPath_.clear();
}

void TSimPtyTransport::HangUp() {
  Close();
}

void TSimPtyTransport::Close() {
  RemoveLink();
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
  slave_ = master_ = -1;
}

}  // namespace quillon
