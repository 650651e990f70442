#include "link/port_diagnosis.h"

#include <dirent.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace quillon {

namespace {

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string ProcessName(const std::string& pid) {
  std::ifstream comm("/proc/" + pid + "/comm");
  std::string name;
  std::getline(comm, name);
  return name.empty() ? "pid " + pid : name;
}

std::string OwningGroup(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return "dialout";
  const group* g = getgrgid(st.st_gid);
  return g && g->gr_name ? g->gr_name : std::to_string(st.st_gid);
}

std::string Remedy(const std::string& path, int code) {
  switch (code) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return "the device is not plugged in, or the port's name is wrong";
    case EACCES:
    case EPERM: {
      const std::string group = OwningGroup(path);
      return "the user is not in the " + group + " group that may use the port: sudo usermod -aG " +
             group + " $USER, then log in again";
    }
    case EBUSY: {
      const std::string holder = FindDeviceHolder(path);
      if (holder.rfind("ModemManager", 0) == 0)
        return "held by " + holder +
               ", which probes adapters that speak AT commands: sudo systemctl stop "
               "ModemManager, or keep it off this adapter";
      return holder.empty() ? "another program holds the port: close it"
                            : "held by " + holder + ": close that program";
    }
    case EIO:
      return "the device went away (unplugged?) or the line failed";
    default:
      return {};
  }
}

}  // namespace

std::string FindDeviceHolder(const std::string& path) {
  const std::string device = RealPath(path);
  DIR* proc = opendir("/proc");
  if (!proc) return {};
  std::string found;
  while (const dirent* entry = readdir(proc)) {
    const std::string pid = entry->d_name;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string fdDir = "/proc/" + pid + "/fd";
    DIR* fds = opendir(fdDir.c_str());
    if (!fds) continue;
    while (const dirent* fd = readdir(fds)) {
      char target[PATH_MAX];
      const std::string link = fdDir + "/" + fd->d_name;
      const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
      if (n <= 0) continue;
      target[n] = '\0';
      if (device == target) {
        found = ProcessName(pid) + " (pid " + pid + ")";
        break;
      }
    }
    closedir(fds);
    if (!found.empty()) break;
  }
  closedir(proc);
  return found;
}

std::string DescribePortFailure(const std::string& operation, const std::string& path, int code) {
  std::string text = operation + " " + path + ": " + std::strerror(code);
  const std::string remedy = Remedy(path, code);
  if (!remedy.empty()) text += " - " + remedy;
  return text;
}

}  // namespace quillon
