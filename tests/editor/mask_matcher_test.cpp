#include "editor/mask_matcher.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

struct MatchCase {
  const char* Mask;
  std::string Text;
  TMaskResult Expected;
};

TEST(MaskMatcher, MatchesLikeTheMasksOfTheProfileExpect) {
  const MatchCase cases[] = {
      {"^[0-9]+$", "123", mrMatch},
      {"^[0-9]+$", "12a", mrNoMatch},
      {"^[0-9]+$", "", mrNoMatch},
      {"^[0-9]*$", "", mrMatch},
      // Searched anywhere: an unanchored class accepts any text holding one digit.
      {"[0-9]", "a1b", mrMatch},
      {"[0-9]", "ab", mrNoMatch},
      // Letter case counts.
      {"^abc$", "ABC", mrNoMatch},
      // "." takes line breaks.
      {"^a.b$", "a\nb", mrMatch},
      {"^a.b$", "a\r\nb", mrNoMatch},
      {"^a..b$", "a\r\nb", mrMatch},
      // "^" and "$" only at the ends of the whole text, "$" not before a final line break.
      {"^b", "a\nb", mrNoMatch},
      {"a$", "a\nb", mrNoMatch},
      {"^ab$", "ab\n", mrNoMatch},
      {"^ab\n$", "ab\n", mrMatch},
      // Greedy by default, lazy on request.
      {"^a+$", "aaaa", mrMatch},
      // The Cyrillic ranges take ё and Ё.
      {"^[а-я]+$", "ёлка", mrMatch},
      {"^[А-Я]+$", "ЁЖ", mrMatch},
      {"^[А-я]+$", "Ёё", mrMatch},
      {"^[а-е]$", "ё", mrNoMatch},
      {"^[а-я]+$", "Ёлка", mrNoMatch},
      {"^[^а-я]$", "ё", mrNoMatch},
      {"^[\\]а-я]+$", "]ё", mrMatch},
      {"^[а-я-]+$", "ё-ж", mrMatch},
      {"^[\\xe0-\\xff]$", "ё", mrMatch},
      // Outside a class nothing changes.
      {"^а-я$", "а-я", mrMatch},
      {"^\\[а-я]$", "[а-я]", mrMatch},
  };
  TMaskMatcher matcher;
  for (const MatchCase& c : cases)
    EXPECT_EQ(matcher.Match(c.Mask, c.Text), c.Expected) << c.Mask << " on " << c.Text;
}

TEST(MaskMatcher, WidensOnlyWholeCyrillicRanges) {
  EXPECT_EQ(TMaskMatcher::WidenCyrillicRanges("[а-я]"), "[ёа-я]");
  EXPECT_EQ(TMaskMatcher::WidenCyrillicRanges("[0-9А-Я]"), "[0-9ЁА-Я]");
  EXPECT_EQ(TMaskMatcher::WidenCyrillicRanges("[а-е]"), "[а-е]");
  EXPECT_EQ(TMaskMatcher::WidenCyrillicRanges("[[:alpha:]а-я]"), "[[:alpha:]ёа-я]");
  EXPECT_EQ(TMaskMatcher::WidenCyrillicRanges("\\Q[а-я]\\E"), "\\Q[а-я]\\E");
  EXPECT_EQ(TMaskMatcher::WidenCyrillicRanges("[\\x{e0}-\\x{0FF}]"), "[ё\\x{e0}-\\x{0FF}]");
  // A code point too long for any integer is no byte: it is copied, not counted on (the count
  // used to overflow).
  EXPECT_EQ(TMaskMatcher::WidenCyrillicRanges("[\\x{100000000}-\\x{FFFFFFFFFFFFFFFF}а-я]"),
            "[\\x{100000000}-\\x{FFFFFFFFFFFFFFFF}ёа-я]");
  TMaskMatcher matcher;
  EXPECT_EQ(matcher.Match("[\\x{100000000}]", "a"), mrInvalid);
}

TEST(MaskMatcher, ReportsAnInvalidMaskAndRecovers) {
  TMaskMatcher matcher;
  EXPECT_EQ(matcher.Match("([0-9]", "1"), mrInvalid);
  EXPECT_FALSE(matcher.ErrorText().empty());
  // The cached failure answers again without a crash.
  EXPECT_EQ(matcher.Match("([0-9]", "1"), mrInvalid);
  EXPECT_EQ(matcher.Match("[а-", "1"), mrInvalid);
  EXPECT_EQ(matcher.Match("^[0-9]$", "1"), mrMatch);
  EXPECT_TRUE(matcher.ErrorText().empty());
}

TEST(MaskMatcher, GivesUpOnRunawayBacktrackingInsteadOfHanging) {
  TMaskMatcher matcher;
  EXPECT_EQ(matcher.Match("^(a|aa)+$", std::string(60, 'a') + "!"), mrInvalid);
  EXPECT_FALSE(matcher.ErrorText().empty());
}

TEST(MaskMatcher, SwitchesBetweenMasks) {
  TMaskMatcher matcher;
  EXPECT_EQ(matcher.Match("^x$", "x"), mrMatch);
  EXPECT_EQ(matcher.Match("^y$", "x"), mrNoMatch);
  EXPECT_EQ(matcher.Match("^x$", "x"), mrMatch);
}

}  // namespace
}  // namespace quillon
