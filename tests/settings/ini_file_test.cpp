#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/temp_dir.h"

namespace quillon {
namespace {

TIniFile FromText(const std::string& text) {
  TIniFile ini("/nonexistent-quillon-dir/test.ini");
  ini.LoadFromString(text);
  return ini;
}

TEST(IniFileRead, WindowsProfileConventions) {
  const std::string longValue(2100, 'v');
  TIniFile ini = FromText(
      "Orphan=before any section\n"
      "; a comment line\n"
      "  [ Connection ]  \n"
      "  com  =   COM7   \n"
      "Parity=\"  Odd  \"\n"
      "StopBits='2'\n"
      "Mixed=\"abc'\n"
      "Lone=\"\n"
      "Empty=\n"
      "Inner=a\"b\"c\n"
      ";Hidden=1\n"
      "Dup=first\n"
      "DUP=second\n"
      "NoEquals\n"
      "Long=" +
      longValue +
      "\n"
      "Exact=" +
      std::string(2047, 'e') +
      "\n"
      "[connection]\n"
      "Later=ignored, the first section of a name wins\n"
      "[Device]\r\n"
      "Password = 1234 ; not a comment\r\n");

  struct Case {
    const char* section;
    const char* key;
    std::string expected;
  } cases[] = {
      {"CONNECTION", "COM", "COM7"},
      {"connection", "Parity", "  Odd  "},
      {"Connection", "StopBits", "2"},
      {"Connection", "Mixed", "\"abc'"},
      {"Connection", "Lone", "\""},
      {"Connection", "Empty", ""},
      {"Connection", "Inner", "a\"b\"c"},
      {"Connection", ";Hidden", "-"},
      {"Connection", "Hidden", "-"},
      {"Connection", "dup", "first"},
      {"Connection", "NoEquals", "-"},
      {"Connection", "Long", longValue.substr(0, 2047)},
      {"Connection", "Exact", std::string(2047, 'e')},
      {"Connection", "Later", "-"},
      {"Connection", "Orphan", "-"},
      {"Device", "password", "1234 ; not a comment"},
      {"Missing", "COM", "-"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ini.ReadString(c.section, c.key, "-"), c.expected) << c.section << "/" << c.key;
  EXPECT_TRUE(ini.ValueExists("connection", "EMPTY"));
  EXPECT_FALSE(ini.ValueExists("Connection", "NoEquals"));
  EXPECT_TRUE(ini.SectionExists("device"));
  EXPECT_FALSE(ini.SectionExists("RC"));
}

TEST(IniFileRead, Integers) {
  struct Case {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"123", 123},
      {"-5", -5},
      {"+7", 7},
      {"  42  ", 42},
      {"$FA", 250},
      {"x1f", 31},
      {"X1F", 31},
      {"0x1C200", 115200},
      {"0X1c200", 115200},
      {"-$10", -16},
      {"0xFFFFFFFF", -1},
      {"$80000000", INT32_MIN},
      {"0x000000001", 1},
      {"$100000000", -99},
      {"2147483647", INT32_MAX},
      {"2147483648", -99},
      {"-2147483648", INT32_MIN},
      {"-2147483649", -99},
      {"fast", -99},
      {"", -99},
      {"12abc", -99},
      {"1 2", -99},
      {"0x", -99},
      {"$", -99},
      {"0xG1", -99},
      {"\"17\"", 17},
  };
  for (const auto& c : cases) {
    TIniFile ini = FromText(std::string("[S]\nK=") + c.text + "\n");
    EXPECT_EQ(ini.ReadInteger("S", "K", -99), c.expected) << "'" << c.text << "'";
  }
  EXPECT_EQ(FromText("").ReadInteger("S", "K", 5), 5);
}

TEST(IniFileRead, Booleans) {
  struct Case {
    const char* line;
    bool fallback;
    bool expected;
  } cases[] = {
      {"K=1", false, true},    {"K=0", true, false},  {"K=0x1", false, true},
      {"K=$1", false, true},   {"K=-7", false, true}, {"K=yes", false, false},
      {"K=true", true, true},  {"K=", true, true},    {"Other=1", false, false},
      {"Other=1", true, true},
  };
  for (const auto& c : cases) {
    TIniFile ini = FromText(std::string("[S]\n") + c.line + "\n");
    EXPECT_EQ(ini.ReadBool("S", "K", c.fallback), c.expected) << c.line;
  }
}

TEST(IniFileRead, SectionKeysInFileOrder) {
  TIniFile ini = FromText(
      "[Interface]\nLanguage=1049\n"
      "[RC]\n"
      "Зажигание = AT+OUTS=1,1 \n"
      "; Disabled=AT+X\n"
      "Сирена=\"AT+OUTS=2,1\"\n"
      "Arm=AT+ARM\n"
      "arm=AT+SECOND\n"
      "\n"
      "Blank=\n"
      "[Device]\nRetryCount=3\n");
  using KV = std::pair<std::string, std::string>;
  std::vector<KV> expected = {
      {"Зажигание", "AT+OUTS=1,1"}, {"Сирена", "AT+OUTS=2,1"}, {"Arm", "AT+ARM"}, {"Blank", ""}};
  EXPECT_EQ(ini.ReadSectionValues("rc"), expected);
  EXPECT_EQ(ini.ReadSection("RC"),
            (std::vector<std::string>{"Зажигание", "Сирена", "Arm", "Blank"}));
  EXPECT_TRUE(ini.ReadSection("None").empty());
}

TEST(IniFileWrite, KeepsEverythingItDoesNotWrite) {
  TIniFile ini = FromText(
      "; Quillon settings\n"
      "[Connection]\n"
      "Speed = 9600\n"
      "Custom=keep me\n"
      "\n"
      "; interface below\n"
      "[Interface]\n"
      "Debug=1\n"
      "\n"
      "[RC]\n"
      "B=AT+B\n"
      "A=AT+A\n");
  ini.WriteInteger("connection", "SPEED", 115200);
  ini.WriteString("Connection", "COM", "COM3");
  ini.WriteBool("Interface", "PortPoll", true);
  ini.WriteBool("Interface", "Other", false);
  ini.WriteString("Device", "Password", "123");
  ini.WriteInteger("Device", "RetryCount", -2);
  EXPECT_EQ(ini.ToString(),
            "; Quillon settings\n"
            "[Connection]\n"
            "Speed = 115200\n"
            "Custom=keep me\n"
            "COM=COM3\n"
            "\n"
            "; interface below\n"
            "[Interface]\n"
            "Debug=1\n"
            "PortPoll=1\n"
            "Other=0\n"
            "\n"
            "[RC]\n"
            "B=AT+B\n"
            "A=AT+A\n"
            "\n"
            "[Device]\n"
            "Password=123\n"
            "RetryCount=-2\n");
}

TEST(IniFileWrite, KeepsLineEndsAndSectionWithoutKeys) {
  TIniFile crlf = FromText("[A]\r\nX=1\r\n[Empty]\r\n[C]\r\nY=2");
  crlf.WriteString("a", "x", "9");
  crlf.WriteString("Empty", "K", "v");
  EXPECT_EQ(crlf.ToString(), "[A]\r\nX=9\r\n[Empty]\r\nK=v\r\n[C]\r\nY=2");

  TIniFile fresh = FromText("");
  fresh.WriteString("S", "K", "v");
  EXPECT_EQ(fresh.ToString(), "[S]\nK=v\n");
}

TEST(IniFileWrite, ValuesReadBackAsWritten) {
  const std::string values[] = {"plain", "",       " lead", "trail ", "\"q\"", "'q'",
                                "\"",    "a\"b\"", "x=y",   "Тест",   ";semi"};
  for (const auto& v : values) {
    TIniFile ini = FromText("[S]\nK=old\n");
    ini.WriteString("S", "K", v);
    ini.WriteString("S", "New", v);
    TIniFile again = FromText(ini.ToString());
    EXPECT_EQ(again.ReadString("S", "K", "-"), v) << "'" << v << "'";
    EXPECT_EQ(again.ReadString("S", "New", "-"), v) << "'" << v << "'";
  }
  // A line break cannot be stored inside one line; it must not split the entry either.
  TIniFile ini = FromText("");
  ini.WriteString("S", "K", "a\r\nb");
  ini.WriteString("S", "L", "after");
  TIniFile again = FromText(ini.ToString());
  EXPECT_EQ(again.ReadString("S", "K", "-"), "a  b");
  EXPECT_EQ(again.ReadSection("S"), (std::vector<std::string>{"K", "L"}));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(IniFileDisk, CreatesOnlyOnSaveAndRoundTrips) {
  test::TempDir dir;
  std::string path = dir.path() + "/Quillon.ini";
  TIniFile ini(path);
  EXPECT_EQ(ini.LoadStatus(), TIniLoadStatus::NotFound);
  ini.WriteString("Connection", "COM", "COM2");
  EXPECT_FALSE(std::filesystem::exists(path));
  ini.UpdateFile();
  EXPECT_EQ(ReadFile(path), "[Connection]\nCOM=COM2\n");

  TIniFile loaded(path);
  EXPECT_EQ(loaded.LoadStatus(), TIniLoadStatus::Loaded);
  EXPECT_EQ(loaded.ReadString("connection", "com", ""), "COM2");
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Quillon.ini"}));
}

TEST(IniFileDisk, KeepsModeAndFollowsSymlink) {
  test::TempDir dir;
  std::string real = dir.path() + "/real.ini";
  std::string link = dir.path() + "/Quillon.ini";
  WriteFile(real, "[S]\nK=1\n");
  chmod(real.c_str(), 0640);
  ASSERT_EQ(symlink("real.ini", link.c_str()), 0);
  TIniFile ini(link);
  ini.WriteString("S", "K", "2");
  ini.UpdateFile();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFile(real), "[S]\nK=2\n");
  struct stat st;
  ASSERT_EQ(stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(IniFileDisk, FailureNamesTheFullPath) {
  test::TempDir dir;
  std::string blocker = dir.path() + "/not-a-folder";
  WriteFile(blocker, "plain file");
  std::string path = blocker + "/Quillon.ini";
  TIniFile ini(path);
  EXPECT_EQ(ini.LoadStatus(), TIniLoadStatus::NotFound);
  ini.WriteString("S", "K", "v");
  try {
    ini.UpdateFile();
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
  EXPECT_EQ(ReadFile(blocker), "plain file");

  // A relative name is reported with the folder it was resolved in.
  char cwd[PATH_MAX];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  TIniFile relative("no-such-folder-quillon/x.ini");
  try {
    relative.UpdateFile();
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Unable to write to " + std::string(cwd) + "/no-such-folder-quillon/x.ini");
  }
}

// A write that stops half-way (here: the file size limit, which binds root too) must leave
// the old file whole and no temporary file behind.
TEST(IniFileDisk, HalfWrittenSaveLeavesOldFileIntact) {
  test::TempDir dir;
  std::string path = dir.path() + "/Quillon.ini";
  const std::string old = "; keep\n[Connection]\nCOM=COM1\n";
  WriteFile(path, old);
  TIniFile ini(path);
  ini.WriteString("Connection", "COM", std::string(1500, 'x'));

  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto savedHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 512;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool threw = false;
  try {
    ini.UpdateFile();
  } catch (const std::runtime_error&) {
    threw = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, savedHandler);

  EXPECT_TRUE(threw);
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Quillon.ini"}));
}

TEST(IniFileDisk, ReadOnlyFolderLeavesOldFileIntact) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  test::TempDir dir;
  std::string path = dir.path() + "/Quillon.ini";
  WriteFile(path, "[S]\nK=1\n");
  TIniFile ini(path);
  ini.WriteString("S", "K", "2");
  chmod(dir.path().c_str(), 0555);
  EXPECT_THROW(ini.UpdateFile(), std::runtime_error);
  chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(ReadFile(path), "[S]\nK=1\n");
}

// Content that could not be read must not be replaced by the few keys the program writes.
TEST(IniFileDisk, UnreadableFileIsNeverReplaced) {
  test::TempDir dir;
  std::string path = dir.path() + "/Quillon.ini";
  std::filesystem::create_directory(path);
  TIniFile ini(path);
  EXPECT_EQ(ini.LoadStatus(), TIniLoadStatus::Unreadable);
  EXPECT_EQ(ini.ReadInteger("S", "K", 7), 7);
  ini.WriteString("S", "K", "v");
  EXPECT_THROW(ini.UpdateFile(), std::runtime_error);
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Quillon.ini"}));
}

}  // namespace
}  // namespace quillon
