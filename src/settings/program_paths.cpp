#include "settings/program_paths.h"

#include <unistd.h>

#include <climits>
#include <string>

namespace quillon {

namespace {

std::string& StoredPath() {
  static std::string path;  // set once at program entry
  return path;
}

}  // namespace

void InitProgramPaths(const char* argv0) {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) {
    StoredPath().assign(buf, static_cast<size_t>(n));
    return;
  }
  StoredPath() = argv0 ? argv0 : "";
}

std::string ExecutablePath() {
  return StoredPath();
}

std::string ExecutableDir() {
  const std::string& path = StoredPath();
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace quillon
