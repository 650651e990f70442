#include "link/password_masker.h"

#include <gtest/gtest.h>

#include "link/log_model.h"
#include "settings/settings.h"

namespace quillon {
namespace {

TEST(PasswordMaskerTest, MasksEveryOccurrenceInEitherCase) {
  struct {
    std::vector<std::string> passwords;
    const char* text;
    const char* masked;
  } cases[] = {
      {{"1234"}, "AT+SDAD=1234,,3,,,", "AT+SDAD=*,,3,,,"},
      {{"1234"}, "12341234", "**"},
      {{"1234"}, "x123", "x123"},
      {{"1234"}, "", ""},
      {{"abC1"}, "AT+TEXT=ABc1,\r\nat+text=abc1,", "AT+TEXT=*,\r\nat+text=*,"},
      // The longest password wins where two start at one place.
      {{"12", "1234"}, "a1234b12", "a*b*"},
      {{"", "77"}, "1777", "1*7"},
      {{}, "1234", "1234"},
      // Only ASCII letters fold: Cyrillic letters must match exactly.
      {{"пароль"}, "ПАРОЛЬ пароль", "ПАРОЛЬ *"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TPasswordMasker(c.passwords).Mask(c.text), c.masked) << c.text;
}

TEST(PasswordMaskerTest, LogMasksThePasswordsInForceAtEachCall) {
  TSettings settings;
  settings.Password = "4321";
  settings.MasterPassword = "QwErTy";
  settings.EffectivePassword = "qwerty";
  TLogModel log(settings);
  std::vector<std::string> heard;
  log.SetListener([&](const std::vector<TLogLine>& lines, size_t) {
    for (const TLogLine& line : lines) heard.push_back(line.Text);
  });
  log.WriteLog("+RESP:SGSM,1\r\nAT+SDAD=QWERTY,,3,,,,,,,,,,,\r\nOK 4321", 0);
  settings.Password = "5555";
  log.WriteLog("AT+SAVE=5555,", 1);
  log.WriteLog("4321", 4);  // no longer in force
  const std::vector<std::string> expected = {"<+RESP:SGSM,1", "<AT+SDAD=*,,3,,,,,,,,,,,", "<OK *",
                                             ">AT+SAVE=*,", "]4321"};
  EXPECT_EQ(heard, expected);
  ASSERT_EQ(log.Lines().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(log.Lines()[i].Text, expected[i]);
}

}  // namespace
}  // namespace quillon
