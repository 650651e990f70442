#include "profile/bounded_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace quillon {

namespace {

TFileReadResult NotRegular() {
  return TFileReadResult{TFileReadStatus::Refused, "not a regular file", false};
}

TFileReadResult TooLarge(size_t limit) {
  return TFileReadResult{TFileReadStatus::Refused, "larger than " + SizeLimitText(limit), true};
}

TFileReadResult Status(TFileReadStatus status) {
  return TFileReadResult{status, {}, false};
}

// Reads at most limit + 1 bytes, so a file that grew after the size check is still caught.
bool ReadUpTo(int fd, size_t limit, std::string& out) {
  char buffer[65536];
  for (;;) {
    const size_t room = limit + 1 - out.size();
    const ssize_t n = read(fd, buffer, room < sizeof buffer ? room : sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out.append(buffer, static_cast<size_t>(n));
    if (out.size() > limit) return true;
  }
}

}  // namespace

std::string SizeLimitText(size_t bytes) {
  if (bytes >= (size_t{1} << 20) && bytes % (size_t{1} << 20) == 0)
    return std::to_string(bytes >> 20) + " MiB";
  if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + " bytes";
}

TFileReadResult ReadBoundedFile(const std::string& path, size_t maxBytes, std::string& data) {
  data.clear();
  struct stat st;
  if (stat(path.c_str(), &st) != 0)
    return Status(errno == ENOENT || errno == ENOTDIR ? TFileReadStatus::NotFound
                                                      : TFileReadStatus::Unreadable);
  if (!S_ISREG(st.st_mode)) return NotRegular();
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) return TooLarge(maxBytes);
  // Non-blocking, so that a FIFO put in the file's place after the check cannot stall the open.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return Status(errno == ENOENT ? TFileReadStatus::NotFound : TFileReadStatus::Unreadable);
  TFileReadResult result;
  if (fstat(fd, &st) != 0) {
    result = Status(TFileReadStatus::Unreadable);
  } else if (!S_ISREG(st.st_mode)) {
    result = NotRegular();
  } else {
    try {
      const int flags = fcntl(fd, F_GETFL);
      if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
      if (!ReadUpTo(fd, maxBytes, data))
        result = Status(TFileReadStatus::Unreadable);
      else if (data.size() > maxBytes)
        result = TooLarge(maxBytes);
      else
        result = Status(TFileReadStatus::Read);
    } catch (const std::bad_alloc&) {
      result = Status(TFileReadStatus::Unreadable);
    }
  }
  close(fd);
  if (result.Status != TFileReadStatus::Read) data.clear();
  return result;
}

}  // namespace quillon
