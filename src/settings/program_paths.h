// Where the running program finds its files. Run from a build or unpacked folder, everything
// lies beside the executable: the settings file Quillon.ini, the command profile cmdprofile.xml
// and the language files named after the executable. Installed (the executable in <prefix>/bin
// and <prefix>/share/quillon/cmdprofile.xml present), the settings are the user's
// ${XDG_CONFIG_HOME:-~/.config}/Quillon/Quillon.ini, the profile is the user's
// .../Quillon/cmdprofile.xml when there is one, else the shared one, and the language files are
// <prefix>/share/quillon/translations/quillon.<ABBR>.qm.
#pragma once

#include <functional>
#include <string>

namespace quillon {

struct TProgramPaths {
  bool Installed = false;
  std::string Prefix;         // installed: the prefix, e.g. "/usr"; else empty
  std::string ConfigFolder;   // folder of the settings file, with a trailing "/"
  std::string SettingsFile;   // Quillon.ini
  std::string ProfileFile;    // the command profile to load
  std::string SharedProfile;  // installed: <prefix>/share/quillon/cmdprofile.xml; else ProfileFile
  std::string LanguageBase;   // a language file is LanguageBase + "." + ABBR + ".qm"
};

// The paths for an executable at executablePath, with the environment read through getEnv
// (nullptr for a variable that is not set) and files looked for through exists.
TProgramPaths ResolveProgramPaths(const std::string& executablePath,
                                  const std::function<const char*(const char*)>& getEnv,
                                  const std::function<bool(const std::string&)>& exists);

// The user's home folder: HOME, or without it the password database's entry; no trailing "/".
std::string HomeFolder(const std::function<const char*(const char*)>& getEnv);
// ${VARIABLE:-~/belowHome}/ with a trailing "/", the XDG base directory rule: a variable that is
// unset or relative is ignored. E.g. XdgBaseFolder(getEnv, "XDG_DATA_HOME", ".local/share").
std::string XdgBaseFolder(const std::function<const char*(const char*)>& getEnv,
                          const char* variable, const char* belowHome);

// Records the executable's path from the first command-line element (resolved through
// /proc/self/exe when that is available). Call once at program entry.
void InitProgramPaths(const char* argv0);
// Full path of the executable.
std::string ExecutablePath();
// Folder of the executable, with a trailing "/".
std::string ExecutableDir();
// The paths of this run, for the executable recorded by InitProgramPaths and the process's
// environment, resolved at the first call.
const TProgramPaths& ProgramPaths();

}  // namespace quillon
