#include "profile/fixed_texts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quillon {
namespace {

TEST(FixedTexts, TemplatesTakeValuesInAnyOrder) {
  struct {
    const char* pattern;
    std::initializer_list<std::string_view> args;
    const char* expected;
  } const cases[] = {
      {"a %1 b %2", {"x", "y"}, "a x b y"},
      {"%2 then %1", {"x", "y"}, "y then x"},  // a translation may reorder the values
      {"%1%1", {"z"}, "zz"},
      {"100% sure %1", {"q"}, "100% sure q"},  // a lone % stays
      {"missing %3", {"a"}, "missing %3"},     // no value: the marker stays visible
      {"%1", {"%2"}, "%2"},                    // a value is never expanded again
      {"end %", {}, "end %"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatTemplate(c.pattern, c.args), c.expected) << c.pattern;
}

TEST(FixedTexts, EveryTextIsDefinedAndTranslatedOnce) {
  std::set<std::string> seen;
  for (int i = 0; i < static_cast<int>(TText::Count_); ++i) {
    const std::string text = Text(static_cast<TText>(i));
    EXPECT_FALSE(text.empty()) << "text " << i;
    EXPECT_TRUE(seen.insert(text).second) << "text " << i << " twice: " << text;
  }

  int calls = 0;
  TranslateFixedTexts([&calls](const std::string& text) {
    ++calls;
    return text == Text(TText::ReadError) ? std::string("Read error, exception=%1") : "T:" + text;
  });
  EXPECT_EQ(calls, static_cast<int>(TText::Count_));
  EXPECT_EQ(Text(TText::ReadError, {"gone"}), "Read error, exception=gone");
  EXPECT_EQ(Text(TText::Retrying).rfind("T:", 0), 0u);

  TranslateFixedTexts({});  // back to the built-in texts
  EXPECT_NE(Text(TText::ReadError, {"gone"}).find("gone"), std::string::npos);
  EXPECT_NE(Text(TText::ReadError, {"gone"}), "Read error, exception=gone");
}

}  // namespace
}  // namespace quillon
