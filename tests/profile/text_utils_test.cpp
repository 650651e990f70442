#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "profile/cp1251.h"
#include "profile/text_utils.h"
#include "support/utf8_literal.h"

namespace quillon {
namespace {

using Items = std::vector<std::string>;

// UTF-8 bytes of a u8 literal as a plain string (narrow literals here are Windows-1251).
using test::U8;

struct CsvCase {
  const char* text;
  Items items;
};

TEST(SplitCsv, ItemsAsTheTerminalAndTheProfileWriteThem) {
  const CsvCase cases[] = {
      {"", {}},
      {" \t\r\n", {}},
      {" a , b ,c", {"a", "b", "c"}},
      {"+RESP:ABCD,x,7", {"+RESP:ABCD", "x", "7"}},
      {"a,,b", {"a", "", "b"}},
      {",a", {"", "a"}},
      {"a,", {"a"}},
      {"a, \t", {"a"}},
      {"a,,", {"a", ""}},
      {",", {""}},
      {"\x01"
       "a\t,\x1f"
       "b\x02",
       {"a", "b"}},
      // A leading quote protects commas; text after the closing quote stays in the item.
      {"\"x,y\",z", {"x,y", "z"}},
      {"\"x,y\"tail,z", {"x,ytail", "z"}},
      {"\"a\",", {"a"}},
      // A quoted last item keeps its inner blanks, other quoted items are trimmed.
      {" \"  q  \" ", {"  q  "}},
      {"\" q \",z", {"q", "z"}},
      {"z,\" q \"", {"z", " q "}},
      // No closing quote: the rest, opening quote included, is the last item.
      {"\"abc,def", {"\"abc,def"}},
      {"x,\"y", {"x", "\"y"}},
      // Quotes elsewhere are ordinary characters; doubled quotes are no escape.
      {"a\"b,c", {"a\"b", "c"}},
      {"\"\",a", {"", "a"}},
      {"a\"\"b", {"a\"\"b"}},
      {"\"a\"\"b\",c", {"a\"b\"", "c"}},
      {"Дата и время,Событие", {"Дата и время", "Событие"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitCsv(c.text), c.items) << "text: [" << c.text << "]";
  }
}

TEST(SplitCsv, EmptiesTheListFirst) {
  Items list{"old", "items"};
  SplitCsv("new", list);
  EXPECT_EQ(list, Items{"new"});
  SplitCsv("   ", list);
  EXPECT_TRUE(list.empty());
}

struct LineCase {
  std::string buffer;
  bool found;
  std::string line;
  std::string rest;
};

TEST(ExtractLine, EarliestTerminatorAndCrLfAsOne) {
  using namespace std::string_literals;
  const LineCase cases[] = {
      {"abc\r\ndef", true, "abc", "def"},
      {"abc\rdef", true, "abc", "def"},
      {"abc\ndef", true, "abc", "def"},
      {"abc\0def"s, true, "abc", "def"},
      {"abc\n\rdef", true, "abc", "\rdef"},  // LF CR is two terminators
      {"abc\r\r\ndef", true, "abc", "\r\ndef"},
      {"\r\n>", true, "", ">"},
      {"abc\r", true, "abc", ""},
      {"a\nb\r\nc", true, "a", "b\r\nc"},
      {"ab\0\ncd"s, true, "ab", "\ncd"},
      {">", false, "", ">"},
      {"", false, "", ""},
  };
  for (const auto& c : cases) {
    std::string buffer = c.buffer;
    std::string line = "stale";
    EXPECT_EQ(ExtractLine(buffer, line), c.found) << c.buffer;
    EXPECT_EQ(line, c.line) << c.buffer;
    EXPECT_EQ(buffer, c.rest) << c.buffer;
  }
}

TEST(ExtractLine, WalksAWholeAnswer) {
  std::string answer = "AT+SSRV=?\r\n+RESP:SSRV,1.2.3.4,20100\r\n\r\n>";
  std::vector<std::string> lines;
  std::string line;
  while (ExtractLine(answer, line)) lines.push_back(line);
  EXPECT_EQ(lines, (Items{"AT+SSRV=?", "+RESP:SSRV,1.2.3.4,20100", ""}));
  EXPECT_EQ(answer, ">");
}

TEST(TextHelpers, TrimAndAsciiCase) {
  EXPECT_EQ(TrimCtl("\x01 \tab c\r\n "), "ab c");
  EXPECT_EQ(TrimLeftCtl("  a "), "a ");
  EXPECT_EQ(TrimRightCtl("  a "), "  a");
  EXPECT_EQ(TrimCtl("\xA0"
                    "a"),
            "\xA0"
            "a");  // no-break space is not a control character
  EXPECT_EQ(UpperAscii("+text жЖ z"), "+TEXT жЖ Z");
  EXPECT_TRUE(SameTextAscii("+sRbT", "+SRBT"));
  EXPECT_FALSE(SameTextAscii("ж", "Ж"));
  EXPECT_FALSE(SameTextAscii("+SRB", "+SRBT"));
}

TEST(Cp1251, DecodesUtf8OfTheCodePage) {
  EXPECT_EQ(Utf8ToCp1251(U8(u8"Привет, мир!")), "Привет, мир!");
  EXPECT_EQ(Utf8ToCp1251(U8(u8"ЁёЙй№€°")), "ЁёЙй№€°");
  EXPECT_EQ(Utf8ToCp1251("plain ASCII"), "plain ASCII");
  EXPECT_EQ(Utf8ToCp1251(""), "");
  EXPECT_EQ(Utf8ToCp1251("\xC2\x98"), "\x98");  // the unassigned byte survives
}

TEST(Cp1251, MissingCharactersBecomeQuestionMarks) {
  // Kept out of the assertions: their text is stringified into Windows-1251 literals.
  const std::string chinese = U8(u8"a\u4E2Db");
  const std::string accented = U8(u8"\u00E9");
  const std::string emoji = U8(u8"x\U0001F600y");
  EXPECT_EQ(Utf8ToCp1251(chinese), "a?b");
  EXPECT_EQ(Utf8ToCp1251(accented), "?");
  EXPECT_EQ(Utf8ToCp1251(emoji), "x?y");        // four-byte sequence
  EXPECT_EQ(Utf8ToCp1251("\xF0\x9F\x98"), "");  // ... but cut short it is malformed
}

TEST(Cp1251, MalformedPieceBecomesEmpty) {
  const char* pieces[] = {
      "abc\xD0",  // lead byte at the end
      "\xD0"
      "Aabc",  // lead byte followed by ASCII
      "\x80"
      "abc",     // continuation byte out of place
      "ab\xBF",  // the same at the end
      "\xE2\x82"
      "x",                     // three-byte sequence cut short
      "\xF8\x80\x80\x80\x80",  // no such lead byte
      "\xFF",
      "\xCF\xF0\xE8",  // Windows-1251 bytes of "При"
      "\xC0\x80",      // overlong NUL
      "\xC1\xBF",      // overlong
      "\xE0\x80\xBC",  // overlong "<"
  };
  for (const char* piece : pieces) EXPECT_EQ(Utf8ToCp1251(piece), "") << piece;
}

TEST(Cp1251, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::string utf8 = Cp1251ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1251(utf8), all);
  EXPECT_EQ(Cp1251ToUtf8("Жук №5"), U8(u8"Жук №5"));
  EXPECT_EQ(Cp1251ToUtf8("\x88"), U8(u8"€"));
}

TEST(Cp1251, CodePointMapping) {
  EXPECT_EQ(CodePointToCp1251(U'П'), '\xCF');
  EXPECT_EQ(CodePointToCp1251(U'ё'), '\xB8');
  EXPECT_EQ(CodePointToCp1251(0x4E2D), '?');
  EXPECT_EQ(CodePointToCp1251(0x1F600), '?');
  EXPECT_EQ(Cp1251ToCodePoint(0xA8), U'Ё');
  EXPECT_EQ(Cp1251ToCodePoint(0x41), U'A');
}

struct IntCase {
  const char* text;
  bool ok32;
  int32_t v32;
  bool ok64;
  int64_t v64;
};

TEST(ParseInt, ProfileIntegerSyntax) {
  const IntCase cases[] = {
      {"0", true, 0, true, 0},
      {"123", true, 123, true, 123},
      {"+5", true, 5, true, 5},
      {"-5", true, -5, true, -5},
      {"   42", true, 42, true, 42},
      {"007", true, 7, true, 7},
      {"$FF", true, 255, true, 255},
      {"$ff", true, 255, true, 255},
      {"x1f", true, 31, true, 31},
      {"X10", true, 16, true, 16},
      {"0x1F", true, 31, true, 31},
      {"0X1f", true, 31, true, 31},
      {"-$10", true, -16, true, -16},
      {"$000000001", true, 1, true, 1},
      {"2147483647", true, 2147483647, true, 2147483647},
      {"-2147483648", true, INT32_MIN, true, -2147483648LL},
      {"2147483648", false, 0, true, 2147483648LL},
      {"-2147483649", false, 0, true, -2147483649LL},
      {"4294967295", false, 0, true, 4294967295LL},
      {"$FFFFFFFF", true, -1, true, 4294967295LL},
      {"0x1FFFFFFF", true, 0x1FFFFFFF, true, 0x1FFFFFFF},
      {"$100000000", false, 0, true, 4294967296LL},
      {"9223372036854775807", false, 0, true, INT64_MAX},
      {"-9223372036854775808", false, 0, true, INT64_MIN},
      {"9223372036854775808", false, 0, false, 0},
      {"-9223372036854775809", false, 0, false, 0},
      {"99999999999999999999999", false, 0, false, 0},
      {"$FFFFFFFFFFFFFFFF", false, 0, true, -1},
      {"$1FFFFFFFFFFFFFFFF", false, 0, false, 0},
      {"", false, 0, false, 0},
      {"   ", false, 0, false, 0},
      {"-", false, 0, false, 0},
      {"+", false, 0, false, 0},
      {"$", false, 0, false, 0},
      {"0x", false, 0, false, 0},
      {"42 ", false, 0, false, 0},
      {"42x", false, 0, false, 0},
      {"4 2", false, 0, false, 0},
      {"1e3", false, 0, false, 0},
      {"+-5", false, 0, false, 0},
      {"$-5", false, 0, false, 0},
      {"$G", false, 0, false, 0},
      {"- 5", false, 0, false, 0},
      {"1.5", false, 0, false, 0},
  };
  for (const auto& c : cases) {
    int32_t v32 = 12345;
    int64_t v64 = 12345;
    EXPECT_EQ(ParseInt32(c.text, v32), c.ok32) << "[" << c.text << "]";
    if (c.ok32) {
      EXPECT_EQ(v32, c.v32) << "[" << c.text << "]";
    }
    EXPECT_EQ(ParseInt64(c.text, v64), c.ok64) << "[" << c.text << "]";
    if (c.ok64) {
      EXPECT_EQ(v64, c.v64) << "[" << c.text << "]";
    }
  }
}

TEST(ParseInt, DefaultsWhenUnreadable) {
  EXPECT_EQ(StrToInt32Def("abc", 7), 7);
  EXPECT_EQ(StrToInt32Def(" -12", 7), -12);
  EXPECT_EQ(StrToInt32Def("4294967295", 2147483647), 2147483647);
  EXPECT_EQ(StrToInt64Def("4294967295", 0), 4294967295LL);
  EXPECT_EQ(StrToInt64Def("", -1), -1);
}

}  // namespace
}  // namespace quillon
