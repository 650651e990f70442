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

#include "profile/fixed_texts.h"

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

// The node's group, when it is one meant for serial ports and may read and write the node.
std::string SerialGroupOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return {};
  if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) return {};
  const group* g = getgrgid(st.st_gid);
  if (!g || !g->gr_name) return {};
  static const char* const kSerialGroups[] = {"dialout", "uucp", "plugdev"};
  for (const char* name : kSerialGroups)
    if (std::strcmp(g->gr_name, name) == 0) return name;
  return {};
}

std::string Remedy(const std::string& path, int code) {
  switch (code) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return Text(TText::PortAbsent);
    case EACCES:
    case EPERM:
      return PortAccessRemedy(path);
    case EBUSY: {
      const std::string holder = FindDeviceHolder(path);
      if (holder.rfind("ModemManager", 0) == 0)
        return Text(TText::PortHeldByModemManager, {holder});
      return holder.empty() ? Text(TText::PortHeldByUnknown) : Text(TText::PortHeldBy, {holder});
    }
    case EIO:
      return Text(TText::PortWentAway);
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

std::string PortAccessRemedy(const std::string& path) {
  const std::string group = SerialGroupOf(path);
  return group.empty() ? Text(TText::PortAskAdministrator, {path})
                       : Text(TText::PortGroupAccess, {group});
}

bool PortFailureNeedsOperator(int code) {
  return code == EACCES || code == EPERM;
}

std::string PortFailureCause(const std::string& path, int code) {
  const std::string remedy = Remedy(path, code);
  return remedy.empty() ? std::string(std::strerror(code)) : remedy;
}

std::string DescribePortFailure(const std::string& operation, const std::string& path, int code) {
  std::string text = operation + " " + path + ": " + std::strerror(code);
  const std::string remedy = Remedy(path, code);
  if (!remedy.empty()) text += " - " + remedy;
  return text;
}

}  // namespace quillon
