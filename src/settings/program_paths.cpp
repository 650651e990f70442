#include "settings/program_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string>

namespace quillon {

namespace {

std::string& StoredPath() {
  static std::string path;  // set once at program entry
  return path;
}

std::unique_ptr<TProgramPaths>& StoredPaths() {
  static std::unique_ptr<TProgramPaths> paths;  // resolved once, on first use
  return paths;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string HomeFolder(const std::function<const char*(const char*)>& getEnv) {
  const char* home = getEnv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  const passwd* user = getpwuid(getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/tmp";
}

std::string XdgBaseFolder(const std::function<const char*(const char*)>& getEnv,
                          const char* variable, const char* belowHome) {
  const char* xdg = getEnv(variable);
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/";
  return HomeFolder(getEnv) + "/" + belowHome + "/";
}

TProgramPaths ResolveProgramPaths(const std::string& executablePath,
                                  const std::function<const char*(const char*)>& getEnv,
                                  const std::function<bool(const std::string&)>& exists) {
  TProgramPaths paths;
  const std::string folder = FolderOf(executablePath);  // ends in "/"
  // <prefix>/bin/ → <prefix>
  const std::string binSuffix = "/bin/";
  if (folder.size() >= binSuffix.size() &&
      folder.compare(folder.size() - binSuffix.size(), binSuffix.size(), binSuffix) == 0) {
    const std::string prefix = folder.substr(0, folder.size() - binSuffix.size());
    const std::string share = prefix + "/share/quillon/";
    if (exists(share + "cmdprofile.xml")) {
      paths.Installed = true;
      paths.Prefix = prefix.empty() ? "/" : prefix;
      paths.ConfigFolder = XdgBaseFolder(getEnv, "XDG_CONFIG_HOME", ".config") + "Quillon/";
      paths.SettingsFile = paths.ConfigFolder + "Quillon.ini";
      paths.SharedProfile = share + "cmdprofile.xml";
      const std::string userProfile = paths.ConfigFolder + "cmdprofile.xml";
      paths.ProfileFile = exists(userProfile) ? userProfile : paths.SharedProfile;
      paths.LanguageBase = share + "translations/quillon";
      return paths;
    }
  }
  paths.ConfigFolder = folder;
  paths.SettingsFile = folder + "Quillon.ini";
  paths.ProfileFile = folder + "cmdprofile.xml";
  paths.SharedProfile = paths.ProfileFile;
  // The language files are named after the executable, its extension replaced.
  paths.LanguageBase = executablePath;
  return paths;
}

void InitProgramPaths(const char* argv0) {
  StoredPaths().reset();
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
  return FolderOf(StoredPath());
}

const TProgramPaths& ProgramPaths() {
  if (!StoredPaths()) {
    StoredPaths() = std::make_unique<TProgramPaths>(ResolveProgramPaths(
        StoredPath(), [](const char* name) { return std::getenv(name); }, FileExists));
  }
  return *StoredPaths();
}

}  // namespace quillon
