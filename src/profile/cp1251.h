// Conversions between the logic's Windows-1251 text and Unicode.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// The Unicode code point of a Windows-1251 byte. Byte 0x98, which the code page leaves
// unassigned, maps to U+0098 so that every byte survives a round trip.
char32_t Cp1251ToCodePoint(unsigned char byte);

// The Windows-1251 byte of a code point, or '?' when the code page lacks it.
char CodePointToCp1251(char32_t cp);

// Decodes one piece of UTF-8 (sequences of one to three bytes). A malformed piece becomes the
// empty string; a character Windows-1251 lacks, a four-byte sequence included, becomes '?'.
std::string Utf8ToCp1251(const std::string& utf8);
// The same, appended to `out`; a malformed piece appends nothing and gives false.
bool AppendUtf8AsCp1251(std::string& out, std::string_view utf8);

// Encodes Windows-1251 text as UTF-8.
std::string Cp1251ToUtf8(const std::string& text);

// Appends the UTF-8 form of a code point (no checks beyond the four encodable ranges).
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace quillon
