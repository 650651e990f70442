// Shared text helpers of the logic. All strings are 8-bit Windows-1251.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

// Splits one line of comma-separated items. A leading double quote protects commas up to the
// next double quote; items are trimmed of codes 0..32, except that a quoted last item keeps
// the blanks inside its quotes. A trailing comma adds no empty item.
void SplitCsv(const std::string& text, std::vector<std::string>& list);
std::vector<std::string> SplitCsv(const std::string& text);

// Takes the first line off the front of a receive buffer. Terminators: CR LF, CR, LF, NUL; the
// earliest wins, CR LF counts as one. Without a terminator the buffer is left as it is, line is
// emptied and the result is false.
bool ExtractLine(std::string& buffer, std::string& line);

// Removes characters with codes 0..32 from both ends.
std::string TrimCtl(const std::string& text);
std::string TrimLeftCtl(const std::string& text);
std::string TrimRightCtl(const std::string& text);

// ASCII-only case mapping: Cyrillic letters are left alone, as the lookups of names require.
std::string UpperAscii(const std::string& text);
bool SameTextAscii(const std::string& a, const std::string& b);

// Integer syntax of the profile and the settings file: leading blanks skipped, optional sign,
// decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X". Trailing characters,
// an empty text or a value that does not fit make the parse fail. Hexadecimal takes at most
// 8 (32-bit) or 16 (64-bit) digits and is read as two's complement.
bool ParseInt32(const std::string& text, int32_t& value);
bool ParseInt64(const std::string& text, int64_t& value);
int32_t StrToInt32Def(const std::string& text, int32_t fallback);
int64_t StrToInt64Def(const std::string& text, int64_t fallback);

}  // namespace quillon
