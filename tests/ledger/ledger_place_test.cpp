// Where the ledger lives: beside the program in a build folder, in the user's data folder when
// installed, or where the command line or the settings say; and the warning for a network
// file system.
#include "ledger/ledger_place.h"

#include <gtest/gtest.h>

#include <map>

#include "settings/program_paths.h"
#include "support/temp_dir.h"
#include "support/utf8_literal.h"

namespace quillon {
namespace {

TEST(LedgerPlace, DefaultOptionAndSetting) {
  TProgramPaths build;
  build.ConfigFolder = "/src/build/bin/";
  TProgramPaths installed;
  installed.Installed = true;
  installed.ConfigFolder = "/home/op/.config/Quillon/";
  const std::map<std::string, std::string> home = {{"HOME", "/home/op"}};
  const std::map<std::string, std::string> xdg = {{"HOME", "/home/op"}, {"XDG_DATA_HOME", "/data"}};
  const std::map<std::string, std::string> relativeXdg = {{"HOME", "/home/op"},
                                                          {"XDG_DATA_HOME", "data"}};
  struct Case {
    const char* what;
    const TProgramPaths& paths;
    std::map<std::string, std::string> env;
    std::optional<std::string> option;
    std::string setting;
    TLedgerPlace expected;
  } cases[] = {
      {"build folder", build, home, std::nullopt, "", {false, "/src/build/bin/ledger.sqlite"}},
      {"installed",
       installed,
       home,
       std::nullopt,
       "",
       {false, "/home/op/.local/share/Quillon/ledger.sqlite"}},
      {"installed, XDG_DATA_HOME",
       installed,
       xdg,
       std::nullopt,
       "",
       {false, "/data/Quillon/ledger.sqlite"}},
      {"a relative XDG_DATA_HOME is ignored",
       installed,
       relativeXdg,
       std::nullopt,
       "",
       {false, "/home/op/.local/share/Quillon/ledger.sqlite"}},
      {"setting off", installed, home, std::nullopt, "-", {true, ""}},
      {"setting absolute",
       installed,
       home,
       std::nullopt,
       "/srv/line1.sqlite",
       {false, "/srv/line1.sqlite"}},
      {"setting relative to the settings folder",
       installed,
       home,
       std::nullopt,
       "l.sqlite",
       {false, "/home/op/.config/Quillon/l.sqlite"}},
      {"setting in the home folder",
       installed,
       home,
       std::nullopt,
       "~/l.sqlite",
       {false, "/home/op/l.sqlite"}},
      {"a setting is Windows-1251, the path UTF-8",
       build,
       home,
       std::nullopt,
       "/srv/линия",
       {false, test::U8(u8"/srv/линия")}},
      {"the option wins",
       installed,
       home,
       std::string("run.sqlite"),
       "/srv/l.sqlite",
       {false, "run.sqlite"}},
      {"the option turns it off", installed, home, std::string("-"), "/srv/l.sqlite", {true, ""}},
      {"an empty option is the default place",
       build,
       home,
       std::string(""),
       "-",
       {false, "/src/build/bin/ledger.sqlite"}},
  };
  for (const Case& c : cases) {
    const TLedgerPlace place = ResolveLedgerPlace(
        c.paths,
        [&](const char* name) {
          auto it = c.env.find(name);
          return it == c.env.end() ? nullptr : it->second.c_str();
        },
        c.option, c.setting);
    EXPECT_EQ(place.Off, c.expected.Off) << c.what;
    EXPECT_EQ(place.Path, c.expected.Path) << c.what;
  }
}

TEST(LedgerPlace, NetworkFileSystems) {
  const std::pair<unsigned long, const char*> cases[] = {
      {0x6969, "NFS"},         {0xFF534D42, "CIFS"},         {0xFE534D42, "SMB2"},
      {0x517B, "SMB"},         {0x01021997, "9P"},           {0x00C36400, "Ceph"},
      {0xEF53, ""} /* ext4 */, {0x01021994, ""} /* tmpfs */, {0x58465342, ""} /* xfs */,
  };
  for (const auto& [type, name] : cases) EXPECT_EQ(NetworkFileSystemName(type), name) << type;

  // Real paths: the test's folder is local, and so is a file that does not exist yet in it.
  test::TempDir dir;
  EXPECT_EQ(NetworkFileSystemName(dir.path()), "");
  EXPECT_EQ(NetworkFileSystemName(dir.File("not/yet/ledger.sqlite")), "");
  EXPECT_EQ(NetworkFileSystemName("relative.sqlite"), "");
}

}  // namespace
}  // namespace quillon
