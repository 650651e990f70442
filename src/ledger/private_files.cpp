#include "ledger/private_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace quillon {

namespace {

std::string Reason(const std::string& path) {
  return path + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Makes the name at path refer to the temporary file, unless something is there already.
int LinkIntoPlace(const std::string& temporary, const std::string& path) {
  if (::link(temporary.c_str(), path.c_str()) == 0) return 0;
  // File systems without hard links (some network and FUSE ones) may still rename without
  // replacing.
  if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS || errno == EMLINK) {
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
      return 0;
  }
  return errno;
}

}  // namespace

std::string FolderOfPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

bool MakePrivateFolders(const std::string& folder, std::string& error) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty() || path == "/" || path == ".") return true;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;
    error = Reason(path);
    return false;
  }
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && !MakePrivateFolders(path.substr(0, slash + 1), error))
    return false;
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    error = Reason(path);
    return false;
  }
  return true;
}

bool CreatePrivateFile(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (errno == EEXIST) return true;
    error = Reason(path);
    return false;
  }
  const bool ok = ::fchmod(fd, 0600) == 0;  // the umask may have taken bits the mode needs
  if (!ok) error = Reason(path);
  ::close(fd);
  return ok;
}

bool PublishPrivateFile(const std::string& path, const std::string& bytes, bool& created,
                        std::string& error) {
  created = false;
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600
  if (fd < 0) {
    error = Reason(path);
    return false;
  }
  const bool written = ::fchmod(fd, 0600) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (!written) error = Reason(temporary);
  ::close(fd);
  int linked = written ? LinkIntoPlace(temporary, path) : 0;
  ::unlink(temporary.c_str());  // gone already when it was renamed into place
  if (!written) return false;
  if (linked == EEXIST) return true;
  if (linked != 0) {
    errno = linked;
    error = Reason(path);
    return false;
  }
  created = true;
  // The new name lasts only once its folder is on disk too.
  const int folder = ::open(FolderOfPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

}  // namespace quillon
