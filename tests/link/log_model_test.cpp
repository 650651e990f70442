#include "link/log_model.h"

#include <gtest/gtest.h>

#include "profile/text_utils.h"
#include "settings/settings.h"

namespace quillon {
namespace {

using Texts = std::vector<std::string>;

class LogModel : public ::testing::Test {
 protected:
  LogModel() : log_(settings_) {
    settings_.ReadColorText = 0x000001;
    settings_.WriteColorText = 0x000002;
    settings_.ReadErrorColorText = 0x000003;
    settings_.WriteErrorColorText = 0x000004;
    settings_.GeneralErrorColorText = 0x808080;
    log_.SetListener([this](const std::vector<TLogLine>& appended, size_t dropped) {
      ++calls_;
      appended_ += appended.size();
      dropped_ += dropped;
    });
  }

  Texts Shown() const {
    Texts texts;
    for (const auto& line : log_.Lines()) texts.push_back(line.Text);
    return texts;
  }

  TSettings settings_;
  TLogModel log_;
  int calls_ = 0;
  size_t appended_ = 0;
  size_t dropped_ = 0;
};

TEST_F(LogModel, PrefixesAndColoursByKind) {
  struct Case {
    int kind;
    const char* prefix;
    int32_t color;
  } cases[] = {
      {0, "<", 0x000001},  {1, ">", 0x000002}, {2, "E<", 0x000003},
      {3, "E>", 0x000004}, {4, "]", 0x808080},
  };
  for (const auto& c : cases) log_.WriteLog("Device disconnected", c.kind);
  ASSERT_EQ(log_.Lines().size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(log_.Lines()[i].Text, std::string(cases[i].prefix) + "Device disconnected");
    EXPECT_EQ(log_.Lines()[i].Color, cases[i].color);
  }
  // Colours are taken at each call: a confirmed settings dialog applies at once.
  settings_.ReadColorText = 0x00FF00;
  log_.WriteLog("x", 0);
  EXPECT_EQ(log_.Lines().back().Color, 0x00FF00);
}

TEST_F(LogModel, LinesAndControlCharacters) {
  struct Case {
    std::string text;
    Texts expected;
  } cases[] = {
      {"AT+GSMS=?\r\r\n+RESP:GSMS,1\r\n>", {"<AT+GSMS=?", "<", "<+RESP:GSMS,1", "<>"}},
      {"A\r\n\r\nB", {"<A", "<", "<B"}},
      {"A\r\n", {"<A"}},
      {"\nA", {"<", "<A"}},
      {"\n\r", {"<", "<"}},
      {"A\n\rB", {"<A", "<", "<B"}},
      {std::string("A\0B", 3), {"<A", "<B"}},
      {"esc\x1B[0m\tend\r\nrest\x1B\t", {"<esc_[0m_end", "<rest\x1B\t"}},
      {"\x7F\xFF\r", {"<\x7F\xFF"}},
      {"Ошибка\x01\n", {"<Ошибка_"}},
  };
  for (const auto& c : cases) {
    TLogModel log(settings_);
    log.WriteLog(c.text, 0);
    Texts shown;
    for (const auto& line : log.Lines()) shown.push_back(line.Text);
    EXPECT_EQ(shown, c.expected) << testing::PrintToString(c.text);

    // The lines end exactly where ExtractLine ends them.
    std::string buffer = c.text, line;
    size_t count = 0;
    while (ExtractLine(buffer, line)) ++count;
    EXPECT_EQ(shown.size(), count + (buffer.empty() ? 0 : 1));
  }
}

TEST_F(LogModel, EmptyTextWritesNothing) {
  for (int kind : {0, 4, 5, 255}) log_.WriteLog("", kind);
  EXPECT_TRUE(log_.Lines().empty());
  EXPECT_EQ(calls_, 0);
}

TEST_F(LogModel, UnknownKindIsReportedFirst) {
  log_.WriteLog("A\r\nB", 0);
  log_.WriteLog("echo\r\r\nanswer\r\n", 7);
  log_.WriteLog("x", 5);
  log_.WriteLog("y", 255);
  EXPECT_EQ(Shown(), (Texts{"<A", "<B", "]Неизвестный тип протоколирования 7", "echo", "", "answer",
                            "]Неизвестный тип протоколирования 5", "x",
                            "]Неизвестный тип протоколирования 255", "y"}));
  for (size_t i = 2; i < log_.Lines().size(); ++i) EXPECT_EQ(log_.Lines()[i].Color, 0x808080) << i;
}

TEST_F(LogModel, KeepsTheNewestThousandLines) {
  for (int i = 0; i < 1000; ++i) log_.WriteLog(std::to_string(i), 1);
  EXPECT_EQ(log_.Lines().size(), 1000u);
  EXPECT_EQ(dropped_, 0u);
  log_.WriteLog("1000", 1);
  EXPECT_EQ(log_.Lines().size(), 1000u);
  EXPECT_EQ(log_.Lines().front().Text, ">1");
  EXPECT_EQ(dropped_, 1u);

  std::string many;
  for (int i = 0; i < 1500; ++i) many += "L" + std::to_string(i) + "\r\n";
  log_.WriteLog(many, 0);
  ASSERT_EQ(log_.Lines().size(), 1000u);
  EXPECT_EQ(log_.Lines().front().Text, "<L500");
  EXPECT_EQ(log_.Lines().back().Text, "<L1499");
  // What the listener was told adds up to what the model holds.
  EXPECT_EQ(appended_ - dropped_, 1000u);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// Each line keeps the time it was written; the copy listener sees every line the pane gets;
// clearing empties the pane only.
TEST(LogModelCopies, LinesKeepTheirTimeAndGoToTheCopy) {
  TSettings settings;
  settings.Password = "1234";
  TLogModel log(settings);
  std::vector<TLogLine> copied;
  log.SetCopyListener([&](const std::vector<TLogLine>& lines, size_t) {
    copied.insert(copied.end(), lines.begin(), lines.end());
  });
  const auto before = std::chrono::system_clock::now();
  log.WriteLog("AT+SSRV=1234,1\r\nOK", 1);
  const auto after = std::chrono::system_clock::now();
  ASSERT_EQ(log.Lines().size(), 2u);
  for (const TLogLine& line : log.Lines()) EXPECT_TRUE(line.Time >= before && line.Time <= after);
  ASSERT_EQ(copied.size(), 2u);
  EXPECT_EQ(copied[0].Text, ">AT+SSRV=*,1");
  EXPECT_EQ(log.Masker().Mask("x1234"), "x*");
  log.Clear();
  EXPECT_TRUE(log.Lines().empty());
  log.WriteLog("next", 4);
  EXPECT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(copied.size(), 3u);
}

}  // namespace
}  // namespace quillon
