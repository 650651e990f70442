#include "settings/languages.h"

#include <gtest/gtest.h>

#include "settings/ini_file.h"

namespace quillon {
namespace {

TEST(Languages, AbbreviationsAsWindowsNamesThem) {
  struct Case {
    int32_t locale;
    const char* abbreviation;
  } cases[] = {
      {1033, "ENU"}, {1049, "RUS"}, {2057, "ENG"}, {1031, "DEU"}, {1058, "UKR"},
      {1087, "KKZ"}, {2052, "CHS"}, {1028, "CHT"}, {2070, "PTG"}, {1046, "PTB"},
      {1034, "ESP"}, {3082, "ESN"}, {1057, "IND"}, {1025, "ARA"}, {7177, "ENS"},
      {0, ""},       {1, ""},       {-1049, ""},   {1047, ""},    {99999, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LocaleAbbreviation(c.locale), c.abbreviation) << c.locale;
}

TEST(Languages, FileCandidatesThreeLettersFirst) {
  using Paths = std::vector<std::string>;
  EXPECT_EQ(LanguageFileCandidates("/x/quillon", 1033),
            (Paths{"/x/quillon.ENU.qm", "/x/quillon.EN.qm"}));
  EXPECT_EQ(LanguageFileCandidates("/opt/q.d/quillon", 1049),
            (Paths{"/opt/q.d/quillon.RUS.qm", "/opt/q.d/quillon.RU.qm"}));
  EXPECT_TRUE(LanguageFileCandidates("/x/quillon", 0).empty());
  EXPECT_TRUE(LanguageFileCandidates("/x/quillon", 4242).empty());
  EXPECT_TRUE(LanguageFileCandidates("", 1033).empty());
}

TEST(Languages, LanguageSettingDefaultsToZero) {
  struct Case {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"", 0},
      {"[Interface]\nLanguage=1033\n", 1033},
      {"[interface]\nlanguage = $419\n", 1049},
      {"[Interface]\nLanguage=English\n", 0},
      {"[Device]\nLanguage=1033\n", 0},
  };
  for (const auto& c : cases) {
    TIniFile ini("/nonexistent-quillon-dir/Quillon.ini");
    ini.LoadFromString(c.text);
    EXPECT_EQ(ReadLanguageSetting(ini), c.expected) << c.text;
  }
}

}  // namespace
}  // namespace quillon
