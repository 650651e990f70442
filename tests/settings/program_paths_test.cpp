// Where the program finds its files, from where it runs: beside the executable, or installed
// under a prefix with the user's files in the XDG configuration folder.
#include "settings/program_paths.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace quillon {
namespace {

struct TPathCase {
  const char* What;
  std::string Executable;
  std::map<std::string, std::string> Env;
  std::set<std::string> Files;
  TProgramPaths Expected;
};

TEST(ProgramPaths, BesideTheExecutableOrInstalled) {
  const std::string shared = "/usr/share/quillon/cmdprofile.xml";
  const std::vector<TPathCase> cases = {
      {"build folder",
       "/src/build/bin/quillon",
       {{"HOME", "/home/op"}},
       {"/src/build/bin/cmdprofile.xml"},
       {false, "", "/src/build/bin/", "/src/build/bin/Quillon.ini", "/src/build/bin/cmdprofile.xml",
        "/src/build/bin/cmdprofile.xml", "/src/build/bin/quillon"}},
      {"a bin folder without the shared profile is not an installation",
       "/opt/q/bin/quillon-cli",
       {{"HOME", "/home/op"}},
       {"/opt/q/bin/cmdprofile.xml"},
       {false, "", "/opt/q/bin/", "/opt/q/bin/Quillon.ini", "/opt/q/bin/cmdprofile.xml",
        "/opt/q/bin/cmdprofile.xml", "/opt/q/bin/quillon-cli"}},
      {"installed, HOME only",
       "/usr/bin/quillon",
       {{"HOME", "/home/op"}},
       {shared},
       {true, "/usr", "/home/op/.config/Quillon/", "/home/op/.config/Quillon/Quillon.ini", shared,
        shared, "/usr/share/quillon/translations/quillon"}},
      {"installed, XDG_CONFIG_HOME and a user profile",
       "/usr/bin/quillon-sim",
       {{"HOME", "/home/op"}, {"XDG_CONFIG_HOME", "/tmp/cfg"}},
       {shared, "/tmp/cfg/Quillon/cmdprofile.xml"},
       {true, "/usr", "/tmp/cfg/Quillon/", "/tmp/cfg/Quillon/Quillon.ini",
        "/tmp/cfg/Quillon/cmdprofile.xml", shared, "/usr/share/quillon/translations/quillon"}},
      {"a relative XDG_CONFIG_HOME is ignored",
       "/usr/bin/quillon",
       {{"HOME", "/home/op"}, {"XDG_CONFIG_HOME", "cfg"}},
       {shared},
       {true, "/usr", "/home/op/.config/Quillon/", "/home/op/.config/Quillon/Quillon.ini", shared,
        shared, "/usr/share/quillon/translations/quillon"}},
      {"another prefix",
       "/tmp/p/bin/quillon",
       {{"HOME", "/h"}},
       {"/tmp/p/share/quillon/cmdprofile.xml"},
       {true, "/tmp/p", "/h/.config/Quillon/", "/h/.config/Quillon/Quillon.ini",
        "/tmp/p/share/quillon/cmdprofile.xml", "/tmp/p/share/quillon/cmdprofile.xml",
        "/tmp/p/share/quillon/translations/quillon"}},
  };
  for (const TPathCase& c : cases) {
    const TProgramPaths p = ResolveProgramPaths(
        c.Executable,
        [&](const char* name) {
          auto it = c.Env.find(name);
          return it == c.Env.end() ? nullptr : it->second.c_str();
        },
        [&](const std::string& path) { return c.Files.count(path) > 0; });
    EXPECT_EQ(p.Installed, c.Expected.Installed) << c.What;
    EXPECT_EQ(p.Prefix, c.Expected.Prefix) << c.What;
    EXPECT_EQ(p.ConfigFolder, c.Expected.ConfigFolder) << c.What;
    EXPECT_EQ(p.SettingsFile, c.Expected.SettingsFile) << c.What;
    EXPECT_EQ(p.ProfileFile, c.Expected.ProfileFile) << c.What;
    EXPECT_EQ(p.SharedProfile, c.Expected.SharedProfile) << c.What;
    EXPECT_EQ(p.LanguageBase, c.Expected.LanguageBase) << c.What;
  }
}

}  // namespace
}  // namespace quillon
