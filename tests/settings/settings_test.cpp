#include "settings/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "profile/command_profile.h"
#include "settings/ini_file.h"
#include "settings/program_paths.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using Ids = std::vector<std::string>;

CommandProfile ProfileWithPages(const Ids& ids) {
  CommandProfile profile;
  for (const auto& id : ids) {
    TDevPage page;
    page.Id = id;
    page.Name = "Page " + id;
    profile.Pages.push_back(page);
  }
  return profile;
}

struct Loaded {
  TSettings settings;
  bool trueCustomer = true;
};

Loaded LoadText(const std::string& text, const CommandProfile& profile = CommandProfile()) {
  TIniFile ini("/nonexistent-quillon-dir/Quillon.ini");
  ini.LoadFromString(text);
  Loaded loaded;
  LoadSettings(ini, profile, loaded.settings, loaded.trueCustomer);
  return loaded;
}

TEST(LoadSettings, DefaultsWithoutFile) {
  TIniFile ini("/nonexistent-quillon-dir/Quillon.ini");
  TSettings s;
  s.Debug = s.PortPoll = true;
  bool trueCustomer = true;
  LoadSettings(ini, ProfileWithPages({"gsm", "nav", "io"}), s, trueCustomer);
  EXPECT_EQ(s.COM, "COM1");
  EXPECT_EQ(s.Speed, 115200);
  EXPECT_EQ(s.DataBits, 8);
  EXPECT_EQ(s.Parity, "None");
  EXPECT_EQ(s.StopBits, "1");
  EXPECT_EQ(s.Timeout, 250);
  EXPECT_EQ(s.TimeoutInterval, 250);
  EXPECT_EQ(s.TimeoutEcho, 250);
  EXPECT_EQ(s.Password, "");
  EXPECT_EQ(s.MasterPassword, "");
  EXPECT_EQ(s.EffectivePassword, "");
  EXPECT_EQ(s.EnabledPages, (Ids{"gsm", "nav", "io"}));
  EXPECT_EQ(s.ReadColorText, 0);
  EXPECT_EQ(s.WriteColorText, 0);
  EXPECT_EQ(s.ReadErrorColorText, 255);
  EXPECT_EQ(s.WriteErrorColorText, 255);
  EXPECT_EQ(s.GeneralErrorColorText, 8421504);
  EXPECT_EQ(s.RetryCount, 3);
  EXPECT_EQ(s.ConnectMethod, 0);
  EXPECT_EQ(s.Language, 0);
  EXPECT_FALSE(s.Debug);
  EXPECT_FALSE(s.PortPoll);
  EXPECT_FALSE(trueCustomer);
  EXPECT_EQ(s.MapHost, "");
  EXPECT_FALSE(s.FastAnswer);
  EXPECT_FALSE(s.SessionLog);
  EXPECT_EQ(s.Ledger, "");

  EXPECT_TRUE(LoadText("").settings.EnabledPages.empty()) << "empty profile, no pages";
}

TEST(LoadSettings, ClampsAndEncodings) {
  struct Case {
    const char* text;
    int32_t TSettings::*field;
    int32_t expected;
  } cases[] = {
      {"[Device]\nRetryCount=0", &TSettings::RetryCount, 1},
      {"[Device]\nRetryCount=-5", &TSettings::RetryCount, 1},
      {"[Device]\nRetryCount=500", &TSettings::RetryCount, 500},
      {"[Device]\nRetryCount=many", &TSettings::RetryCount, 3},
      {"[Device]\nConnectMethod=-3", &TSettings::ConnectMethod, 0},
      {"[Device]\nConnectMethod=7", &TSettings::ConnectMethod, 1},
      {"[Device]\nConnectMethod=1", &TSettings::ConnectMethod, 1},
      {"[Connection]\nSpeed=0x1C200", &TSettings::Speed, 115200},
      {"[Connection]\nSpeed=fast", &TSettings::Speed, 115200},
      {"[Connection]\nSpeed=19200", &TSettings::Speed, 19200},
      {"[Connection]\nSpeed=99999999999", &TSettings::Speed, 115200},
      {"[Connection]\nTimeout=$FA", &TSettings::Timeout, 250},
      {"[Connection]\nTimeout=20", &TSettings::Timeout, 20},
      {"[Connection]\nTimeoutEcho=x64", &TSettings::TimeoutEcho, 100},
      {"[connection]\ndatabits=7", &TSettings::DataBits, 7},
      {"[Interface]\nLanguage=12345", &TSettings::Language, 12345},
      {"[Interface]\nGeneralErrorColorText=$FF000000", &TSettings::GeneralErrorColorText,
       -16777216},
      {"[Interface]\nReadColorText=\"255\"", &TSettings::ReadColorText, 255},
  };
  for (const auto& c : cases) EXPECT_EQ(LoadText(c.text).settings.*c.field, c.expected) << c.text;
}

TEST(LoadSettings, EnabledPagesForms) {
  CommandProfile profile = ProfileWithPages({"1", "2", "Сервис"});
  struct Case {
    const char* text;
    Ids expected;
  } cases[] = {
      {"[Interface]\nEnabledPages=*", {"1", "2", "Сервис"}},
      {"[Interface]\nEnabledPages = \"*\" ", {"1", "2", "Сервис"}},
      {"[Interface]\nEnabledPages=", {}},
      {"[Interface]\nEnabledPages=2", {"2"}},
      {"[Interface]\nEnabledPages=*,1", {"*", "1"}},
      {"[Interface]\nEnabledPages=9, 2 ,Сервис", {"9", "2", "Сервис"}},
      {"[Interface]\nEnabledPages=\"a,b\",1,", {"a,b", "1"}},
      {"[Interface]\nEnabledPages=,1", {"", "1"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LoadText(c.text, profile).settings.EnabledPages, c.expected) << c.text;
}

TEST(LoadSettings, PasswordsAndFlags) {
  struct Case {
    const char* text;
    const char* effective;
  } cases[] = {
      {"[Device]\nPassword=111\nMasterPassword=999", "999"},
      {"[Device]\nPassword=\nMasterPassword=999", "999"},
      {"[Device]\nPassword=111", "111"},
      {"[Device]\n", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LoadText(c.text).settings.EffectivePassword, c.effective) << c.text;

  Loaded on = LoadText("[Interface]\nDebug=1\nTrueCustomer=0x1\n[Device]\nPortPoll=$1\n");
  EXPECT_TRUE(on.settings.Debug);
  EXPECT_TRUE(on.trueCustomer);
  EXPECT_TRUE(on.settings.PortPoll);
  Loaded bad = LoadText("[Interface]\nDebug=yes\nTrueCustomer=on\n[Device]\nPortPoll=true\n");
  EXPECT_FALSE(bad.settings.Debug);
  EXPECT_FALSE(bad.trueCustomer);
  EXPECT_FALSE(bad.settings.PortPoll);
}

TEST(LoadSettings, LaterKeys) {
  Loaded on = LoadText(
      "[Interface]\nMapHost = maps.example.org \nSessionLog=$1\nLedger= /srv/линия.sqlite\n"
      "[Connection]\nFastAnswer=1\n");
  EXPECT_EQ(on.settings.MapHost, "maps.example.org");
  EXPECT_EQ(on.settings.Ledger, "/srv/линия.sqlite");
  EXPECT_EQ(LoadText("[Interface]\nLedger=-\n").settings.Ledger, "-");
  EXPECT_TRUE(on.settings.FastAnswer);
  EXPECT_TRUE(on.settings.SessionLog);
  Loaded bad = LoadText("[Interface]\nSessionLog=yes\n[Connection]\nFastAnswer=on\n");
  EXPECT_FALSE(bad.settings.FastAnswer);
  EXPECT_FALSE(bad.settings.SessionLog);
}

// Network addresses only, each once, newest first, at most five; the dialog puts a confirmed
// one first.
TEST(LoadSettings, RecentPorts) {
  Loaded l = LoadText(
      "[Connection]\nRecentPorts=rfc2217://a:1,COM3,tcp://b:2,rfc2217://a:1,tcp://c:3,"
      "tcp://d:4,tcp://e:5,tcp://f:6\n");
  EXPECT_EQ(l.settings.RecentPorts,
            (Ids{"rfc2217://a:1", "tcp://b:2", "tcp://c:3", "tcp://d:4", "tcp://e:5"}));
  RememberRecentPort(l.settings.RecentPorts, "tcp://d:4");
  EXPECT_EQ(l.settings.RecentPorts,
            (Ids{"tcp://d:4", "rfc2217://a:1", "tcp://b:2", "tcp://c:3", "tcp://e:5"}));
  RememberRecentPort(l.settings.RecentPorts, "tcp://new:7");
  EXPECT_EQ(l.settings.RecentPorts,
            (Ids{"tcp://new:7", "tcp://d:4", "rfc2217://a:1", "tcp://b:2", "tcp://c:3"}));
  EXPECT_TRUE(LoadText("").settings.RecentPorts.empty());
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(SaveSettings, WritesEveryKeyOfANewFile) {
  test::TempDir dir;
  std::string path = dir.path() + "/Quillon.ini";
  TIniFile ini(path);
  TSettings s;
  bool trueCustomer = false;
  LoadSettings(ini, ProfileWithPages({"gsm", "nav"}), s, trueCustomer);
  s.Password = "1234";
  SaveSettings(ini, s);
  EXPECT_EQ(ReadFile(path),
            "[Connection]\n"
            "COM=COM1\n"
            "Speed=115200\n"
            "DataBits=8\n"
            "Parity=None\n"
            "StopBits=1\n"
            "Timeout=250\n"
            "TimeoutInterval=250\n"
            "TimeoutEcho=250\n"
            "FastAnswer=0\n"
            "RecentPorts=\n"
            "\n"
            "[Device]\n"
            "Password=1234\n"
            "MasterPassword=\n"
            "RetryCount=3\n"
            "ConnectMethod=0\n"
            "PortPoll=0\n"
            "\n"
            "[Interface]\n"
            "EnabledPages=gsm,nav\n"
            "ReadColorText=0\n"
            "WriteColorText=0\n"
            "ReadErrorColorText=255\n"
            "WriteErrorColorText=255\n"
            "GeneralErrorColorText=8421504\n"
            "Language=0\n"
            "MapHost=\n"
            "SessionLog=0\n"
            "Ledger=\n");
}

TEST(SaveSettings, RoundTripKeepsForeignContent) {
  test::TempDir dir;
  std::string path = dir.path() + "/Quillon.ini";
  std::ofstream(path, std::ios::binary) << "; настройки\r\n"
                                           "[Connection]\r\n"
                                           "COM = COM4\r\n"
                                           "Speed=$E100\r\n"
                                           "Extra=unknown key\r\n"
                                           "[Interface]\r\n"
                                           "Debug=1\r\n"
                                           "TrueCustomer=1\r\n"
                                           "EnabledPages=*\r\n"
                                           "[RC]\r\n"
                                           "Сирена=AT+OUTS=2,1\r\n"
                                           "Arm=AT+ARM\r\n"
                                           "[Device]\r\n"
                                           "RetryCount=0\r\n";
  CommandProfile profile = ProfileWithPages({"1", "2"});
  {
    TIniFile ini(path);
    TSettings s;
    bool trueCustomer = false;
    LoadSettings(ini, profile, s, trueCustomer);
    EXPECT_EQ(s.Speed, 57600);
    EXPECT_EQ(s.RetryCount, 1);
    s.COM = "COM9";
    s.Debug = false;  // never written: the file keeps its own value
    s.MasterPassword = "777";
    s.MapHost = "maps.example.org";
    s.FastAnswer = true;
    s.Ledger = "-";
    s.RecentPorts = {"rfc2217://[::1]:2000", "tcp://gw:4001"};
    SaveSettings(ini, s);
  }
  std::string saved = ReadFile(path);
  EXPECT_NE(saved.find("; настройки\r\n[Connection]\r\nCOM = COM9\r\nSpeed=57600\r\n"
                       "Extra=unknown key\r\n"),
            std::string::npos)
      << saved;
  EXPECT_NE(saved.find("[RC]\r\nСирена=AT+OUTS=2,1\r\nArm=AT+ARM\r\n[Device]\r\n"),
            std::string::npos)
      << saved;
  EXPECT_NE(saved.find("EnabledPages=1,2\r\n"), std::string::npos) << "* becomes the list";

  TIniFile again(path);
  Loaded reread;
  LoadSettings(again, ProfileWithPages({"1", "2", "3"}), reread.settings, reread.trueCustomer);
  EXPECT_EQ(reread.settings.COM, "COM9");
  EXPECT_EQ(reread.settings.EffectivePassword, "777");
  EXPECT_EQ(reread.settings.EnabledPages, (Ids{"1", "2"})) << "a later page stays disabled";
  EXPECT_EQ(reread.settings.RetryCount, 1);
  EXPECT_EQ(reread.settings.MapHost, "maps.example.org");
  EXPECT_TRUE(reread.settings.FastAnswer);
  EXPECT_EQ(reread.settings.RecentPorts, (Ids{"rfc2217://[::1]:2000", "tcp://gw:4001"}));
  EXPECT_FALSE(reread.settings.SessionLog);
  EXPECT_EQ(reread.settings.Ledger, "-");
  EXPECT_TRUE(reread.settings.Debug);
  EXPECT_TRUE(reread.trueCustomer);
  using KV = std::pair<std::string, std::string>;
  EXPECT_EQ(again.ReadSectionValues("RC"),
            (std::vector<KV>{{"Сирена", "AT+OUTS=2,1"}, {"Arm", "AT+ARM"}}));
}

// Ids are saved as they are, joined with ","; only ids that would not read back as one item
// are quoted.
TEST(SaveSettings, EnabledPagesReadBackAsSaved) {
  struct Case {
    Ids ids;
    const char* stored;
  } cases[] = {
      {{}, "EnabledPages=\n"},
      {{"1", "2"}, "EnabledPages=1,2\n"},
      {{"a,b", "c"}, "EnabledPages=\"a,b\",c\n"},
      {{"c", "a,b"}, "EnabledPages=c,\"a,b\"\n"},
      {{"a,b"}, "EnabledPages=\"\"a,b\"\"\n"},
      {{"x", "", "y"}, "EnabledPages=x,,y\n"},
      {{"x", ""}, "EnabledPages=x,\"\"\n"},
      {{"Связь"}, "EnabledPages=Связь\n"},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    std::string path = dir.path() + "/Quillon.ini";
    TIniFile ini(path);
    TSettings s;
    s.EnabledPages = c.ids;
    SaveSettings(ini, s);
    EXPECT_NE(ReadFile(path).find(c.stored), std::string::npos) << c.stored;
    TIniFile again(path);
    TSettings back;
    bool trueCustomer;
    LoadSettings(again, CommandProfile(), back, trueCustomer);
    EXPECT_EQ(back.EnabledPages, c.ids) << c.stored;
  }
}

TEST(SaveSettings, FailureLeavesOldFileAndNamesPath) {
  test::TempDir dir;
  std::string blocker = dir.path() + "/file";
  std::ofstream(blocker) << "x";
  std::string path = blocker + "/Quillon.ini";
  TIniFile ini(path);
  TSettings s;
  try {
    SaveSettings(ini, s);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
  EXPECT_EQ(ReadFile(blocker), "x");
}

// A FIFO would block the reader, /dev/zero never ends, a huge file takes memory: each is
// refused, reads as defaults, says why once, and is never written over.
TEST(SettingsFile, OnlyRegularFilesWithinTheSizeLimitAreRead) {
  test::TempDir dir;
  const std::string fifo = dir.path() + "/fifo.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string zero = dir.path() + "/zero.ini";
  ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
  const std::string big = dir.path() + "/big.ini";
  std::ofstream(big) << "[Connection]\nSpeed=9600\n" << std::string(TIniFile::kMaxFileSize, ';');
  const std::string fine = dir.path() + "/fine.ini";
  std::ofstream(fine) << "[Connection]\nSpeed=9600\n" << std::string(1000, ';');
  const std::string link = dir.path() + "/link.ini";
  ASSERT_EQ(symlink(fine.c_str(), link.c_str()), 0);

  struct Case {
    std::string file;
    bool refused;
    std::string why;
  };
  const Case cases[] = {
      {fifo, true, "это не обычный файл"},
      {zero, true, "это не обычный файл"},
      {dir.path(), true, "это не обычный файл"},
      {big, true, "размер больше 1 MiB"},
      {fine, false, ""},
      {link, false, ""},
  };
  for (const auto& c : cases) {
    TIniFile ini(c.file);
    TSettings s;
    bool trueCustomer = false;
    LoadSettings(ini, CommandProfile(), s, trueCustomer);
    EXPECT_EQ(s.Speed, c.refused ? 115200 : 9600) << c.file;
    EXPECT_EQ(ini.LoadStatus(), c.refused ? TIniLoadStatus::Unreadable : TIniLoadStatus::Loaded)
        << c.file;
    EXPECT_EQ(SettingsRefusalNotice(ini),
              c.refused ? "Файл настроек " + c.file + " не прочитан: " + c.why +
                              "; действуют настройки по умолчанию, файл не будет перезаписан"
                        : "")
        << c.file;
    if (c.refused) {
      EXPECT_THROW(SaveSettings(ini, s), std::runtime_error) << c.file;
    }
  }
  struct stat st;
  ASSERT_EQ(stat(big.c_str(), &st), 0);
  EXPECT_GT(static_cast<size_t>(st.st_size), TIniFile::kMaxFileSize);
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(SettingsFile, LivesBesideTheExecutable) {
  InitProgramPaths("quillon_settings_tests");
  EXPECT_EQ(SettingsFilePath(), ExecutableDir() + "Quillon.ini");
  EXPECT_EQ(SettingsFilePath().front(), '/');
  EXPECT_EQ(OpenSettingsFile()->FileName(), SettingsFilePath());
}

}  // namespace
}  // namespace quillon
