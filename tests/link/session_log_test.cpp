// The protocol log as text that leaves the program: time stamps of when each line was written,
// passwords masked, UTF-8, and the session log file turned over at its size bound.
#include "link/session_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <regex>
#include <sstream>

#include "support/temp_dir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;

TLogLine Line(const std::string& text, std::chrono::system_clock::time_point time = {}) {
  return {text, 0, time};
}

std::vector<std::string> FileLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream in(ReadFile(path));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class SessionLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  TempDir dir_;
};

TEST_F(SessionLogTest, LinesCarryTheirOwnTimeMaskedInUtf8) {
  // 2026-12-10 06:40:01.123 UTC, whenever the text is made.
  const auto at = std::chrono::system_clock::time_point(std::chrono::milliseconds(1796884801123));
  const TPasswordMasker masker({"1234", "MaStEr"});
  const struct {
    std::string Text;
    std::string Expected;
  } cases[] = {
      {">AT+SSRV=1234,1,10.0.0.1,", "2026-12-10 06:40:01.123 >AT+SSRV=*,1,10.0.0.1,"},
      {">AT+SAVE=master,", "2026-12-10 06:40:01.123 >AT+SAVE=*,"},
      {"]Команда",
       "2026-12-10 06:40:01.123 ]\xD0\x9A\xD0\xBE\xD0\xBC\xD0\xB0\xD0\xBD\xD0\xB4\xD0\xB0"},
      {"<", "2026-12-10 06:40:01.123 <"},
  };
  for (const auto& c : cases) EXPECT_EQ(LogLineText(Line(c.Text, at), masker), c.Expected);
  EXPECT_EQ(LogText({Line("<a", at), Line(">b", at + std::chrono::milliseconds(5))}, masker),
            "2026-12-10 06:40:01.123 <a\n2026-12-10 06:40:01.128 >b\n");
}

// Past the bound the file turns over: path.1 the newest older part, at most three files, none
// past the bound, and the newest lines in order across them.
TEST_F(SessionLogTest, TurnsOverAtItsBoundKeepingThreeFiles) {
  const std::string path = dir_.File("quillon-session.log");
  const size_t lineBytes = std::string("1970-01-01 00:00:00.000 >line 000\n").size();
  {
    TSessionLog log(path, 4 * lineBytes, 3);
    for (int i = 0; i < 30; ++i) {
      char text[16];
      std::snprintf(text, sizeof text, ">line %03d", i);
      ASSERT_TRUE(log.Write({Line(text)})) << log.Error();
    }
  }
  EXPECT_FALSE(fs::exists(path + ".3"));
  std::vector<std::string> all;
  for (const std::string& part : {path + ".2", path + ".1", path}) {
    ASSERT_TRUE(fs::exists(part)) << part;
    EXPECT_LE(fs::file_size(part), 4 * lineBytes) << part;
    for (const std::string& line : FileLines(part)) all.push_back(line.substr(24));
  }
  // Thirty lines of four to a file: the last three files hold lines 20 to 29 (2 + 4 + 4).
  ASSERT_EQ(all.size(), 10u);
  for (size_t i = 0; i < all.size(); ++i) {
    char expected[16];
    std::snprintf(expected, sizeof expected, ">line %03zu", 20 + i);
    EXPECT_EQ(all[i], expected);
  }

  // A new run appends to what is there and counts it against the bound.
  TSessionLog again(path, 4 * lineBytes, 3);
  ASSERT_TRUE(again.Write({Line(">line 030"), Line(">line 031"), Line(">line 032")}));
  EXPECT_EQ(FileLines(path).size(), 1u);
  EXPECT_EQ(FileLines(path + ".1").size(), 4u);
}

TEST_F(SessionLogTest, AFileThatCannotBeWrittenSaysWhy) {
  TSessionLog log(dir_.File("missing/quillon-session.log"));
  EXPECT_FALSE(log.Write({Line(">x")}));
  EXPECT_NE(log.Error().find("missing/quillon-session.log"), std::string::npos) << log.Error();
  fs::create_directory(dir_.File("missing"));
  EXPECT_TRUE(log.Write({Line(">x")}));
  EXPECT_TRUE(log.Error().empty());
}

}  // namespace
}  // namespace quillon
