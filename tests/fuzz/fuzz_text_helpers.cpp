// The shared text helpers and the code-page conversions on any bytes, with the properties the
// callers rely on.
#include "fuzz_target.h"
#include "profile/cp1251.h"
#include "profile/text_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillon;
  using fuzz::Require;
  const std::string text = fuzz::Input(data, size);

  // ExtractLine takes the buffer apart line by line and never grows it.
  std::string buffer = text;
  std::string line;
  size_t taken = 0;
  while (ExtractLine(buffer, line)) {
    Require(buffer.size() < text.size() - taken || text.empty(), "ExtractLine shrinks");
    taken = text.size() - buffer.size();
  }
  Require(line.empty(), "no line without a terminator");

  // SplitCsv: items are trimmed, and a blank text gives none.
  const std::vector<std::string> items = SplitCsv(text);
  if (TrimCtl(text).empty()) Require(items.empty(), "blank text, no items");

  // Trims remove only codes 0 to 32 at the ends.
  const std::string trimmed = TrimCtl(text);
  Require(text.find(trimmed) != std::string::npos, "trim keeps the middle");
  Require(TrimLeftCtl(TrimRightCtl(text)) == trimmed, "both trims make one");

  int32_t i32 = 0;
  int64_t i64 = 0;
  if (ParseInt32(text, i32)) Require(ParseInt64(text, i64) || true, "numbers");
  StrToInt32Def(text, 7);
  StrToInt64Def(text, 7);
  UpperAscii(text);

  // UTF-8 to Windows-1251 and back: what converts, converts back to the same text unless it
  // held characters Windows-1251 lacks.
  const std::string cp = Utf8ToCp1251(text);
  const std::string utf8 = Cp1251ToUtf8(cp);
  if (!cp.empty() && cp.find('?') == std::string::npos) Require(utf8 == text, "round trip");
  Require(Utf8ToCp1251(Cp1251ToUtf8(text)).size() == text.size() ||
              text.find('\x98') != std::string::npos,
          "every Windows-1251 byte has a character");
  return 0;
}
