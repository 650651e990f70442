#include "configfiles/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace quillon {

namespace {

std::string SystemError(int code) {
  return std::strerror(code);
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Follows a chain of symbolic links to the path of the file they lead to (which need not
// exist yet). Gives up on a loop like the system does.
bool ResolveLinks(const std::string& path, std::string& resolved, int& code) {
  resolved = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(resolved.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::string target(PATH_MAX, '\0');
    const ssize_t n = readlink(resolved.c_str(), target.data(), target.size());
    if (n < 0) {
      code = errno;
      return false;
    }
    target.resize(static_cast<size_t>(n));
    resolved = (target.front() == '/') ? target : DirectoryOf(resolved) + "/" + target;
  }
  code = ELOOP;
  return false;
}

// Creates a fresh file beside the target, named so that it cannot collide with another writer.
int CreateTemporary(const std::string& target, std::string& tempPath) {
  const std::string dir = DirectoryOf(target);
  const size_t slash = target.rfind('/');
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  unsigned long salt =
      static_cast<unsigned long>(now.tv_nsec) ^ static_cast<unsigned long>(getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = dir + "/." + base + "." + std::to_string(getpid()) + "-" +
               std::to_string(salt + static_cast<unsigned long>(attempt) * 7919u) + ".tmp";
    // 0666 before the umask, as any newly created file.
    const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

void SyncDirectory(const std::string& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // best effort: some file systems refuse it for folders
  close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& data, std::string& error) {
  std::string target;
  int code = 0;
  if (path.empty()) {
    error = SystemError(ENOENT);
    return false;
  }
  if (!ResolveLinks(path, target, code)) {
    error = SystemError(code);
    return false;
  }
  struct stat old;
  const bool existed = stat(target.c_str(), &old) == 0;
  if (existed && S_ISDIR(old.st_mode)) {
    error = SystemError(EISDIR);
    return false;
  }

  std::string temp;
  const int fd = CreateTemporary(target, temp);
  if (fd < 0) {
    error = SystemError(errno);
    return false;
  }
  bool ok = true;
  if (existed) {
    fchmod(fd, old.st_mode & 07777);
    if (fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Only the owner or root may give a file away; the file then stays the writer's.
    }
  }
  ok = WriteAll(fd, data) && fsync(fd) == 0;
  if (!ok) code = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (ok && rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    code = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    error = SystemError(code);
    return false;
  }
  SyncDirectory(DirectoryOf(target));
  return true;
}

}  // namespace quillon
