// quillon-cli paths: where the program finds its settings, profile and language files, so that
// a technician knows which file to edit or hand in.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/json_text.h"
#include "settings/program_paths.h"

namespace quillon::cli {

std::string PathsUsage() {
  return "usage: quillon-cli paths [--json]\n"
         "\n"
         "Shows where the program finds its files. Run from a build or unpacked folder,\n"
         "everything lies beside the programs. Installed (the programs in PREFIX/bin and\n"
         "PREFIX/share/quillon/cmdprofile.xml present), the settings are\n"
         "${XDG_CONFIG_HOME:-~/.config}/Quillon/Quillon.ini, the profile is cmdprofile.xml in\n"
         "that folder when there is one, else the shared one, and the language files lie in\n"
         "PREFIX/share/quillon/translations.\n"
         "\n"
         "  --json  print one JSON object\n"
         "\n"
         "JSON fields: installed, prefix (null when not installed), settings, profile,\n"
         "  sharedProfile, languageFiles (a pattern, ABBR standing for the language).\n";
}

int Paths(const Args& args) {
  bool json = false;
  for (const std::string& a : args) {
    if (a != "--json") return UsageError("paths", "unexpected argument '" + a + "'", PathsUsage());
    json = true;
  }
  // As quillon beside this program sees them: the language files are named after it.
  const TProgramPaths p = ResolveProgramPaths(
      ExecutableDir() + "quillon", [](const char* name) { return std::getenv(name); },
      [](const std::string& path) { return access(path.c_str(), F_OK) == 0; });
  const std::string languages = p.LanguageBase + ".ABBR.qm";
  if (json) {
    std::printf(
        "{\"installed\": %s, \"prefix\": %s, \"settings\": %s, \"profile\": %s, "
        "\"sharedProfile\": %s, \"languageFiles\": %s}\n",
        JsonBool(p.Installed), p.Installed ? JsonUtf8String(p.Prefix).c_str() : "null",
        JsonUtf8String(p.SettingsFile).c_str(), JsonUtf8String(p.ProfileFile).c_str(),
        JsonUtf8String(p.SharedProfile).c_str(), JsonUtf8String(languages).c_str());
  } else {
    std::printf("Installed: %s\n", p.Installed ? ("yes, prefix " + p.Prefix).c_str() : "no");
    std::printf("Settings: %s\nProfile: %s\nShared profile: %s\nLanguage files: %s\n",
                p.SettingsFile.c_str(), p.ProfileFile.c_str(), p.SharedProfile.c_str(),
                languages.c_str());
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace quillon::cli
