#include "profile/cp1251.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace quillon {

namespace {

// Upper half of the code page, 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

}  // namespace

char32_t Cp1251ToCodePoint(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kHigh[byte - 0x80];
}

char CodePointToCp1251(char32_t cp) {
  if (cp < 0x80) return static_cast<char>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<char>(0xC0 + (cp - 0x0410));
  for (size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

std::string Utf8ToCp1251(const std::string& utf8) {
  std::string out;
  AppendUtf8AsCp1251(out, utf8);
  return out;
}

bool AppendUtf8AsCp1251(std::string& out, std::string_view utf8) {
  const size_t start = out.size();
  // Every character takes at most as many bytes here as in UTF-8.
  out.resize(start + utf8.size());
  char* to = out.data() + start;
  const unsigned char* in = reinterpret_cast<const unsigned char*>(utf8.data());
  const unsigned char* const end = in + utf8.size();
  while (in < end) {
    // Runs of ASCII go eight bytes at a time.
    while (end - in >= 8) {
      uint64_t word;
      std::memcpy(&word, in, 8);
      if (word & 0x8080808080808080ull) break;
      std::memcpy(to, in, 8);
      in += 8;
      to += 8;
    }
    if (in >= end) break;
    unsigned char b = *in;
    if (b < 0x80) {
      *to++ = static_cast<char>(b);
      ++in;
      continue;
    }
    // Cyrillic letters, most of any text here, map straight onto 0xC0..0xFF.
    if ((b == 0xD0 || b == 0xD1) && end - in >= 2) {
      const unsigned char c = in[1];
      if (b == 0xD0 ? c >= 0x90 && c <= 0xBF : c >= 0x80 && c <= 0x8F) {
        *to++ = static_cast<char>(b == 0xD0 ? 0xC0 + (c - 0x90) : 0xF0 + (c - 0x80));
        in += 2;
        continue;
      }
    }
    int extra;
    char32_t cp;
    if ((b & 0xE0) == 0xC0) {
      extra = 1;
      cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2;
      cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3;
      cp = b & 0x07;
    } else {
      out.resize(start);  // continuation byte out of place, or an invalid lead byte
      return false;
    }
    if (end - in <= extra) {  // lead byte without its continuation bytes
      out.resize(start);
      return false;
    }
    for (int k = 1; k <= extra; ++k) {
      unsigned char c = in[k];
      if ((c & 0xC0) != 0x80) {
        out.resize(start);
        return false;
      }
      cp = (cp << 6) | (c & 0x3F);
    }
    // An overlong form would smuggle in characters (such as "<" or NUL) the text never shows.
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[extra]) {
      out.resize(start);
      return false;
    }
    in += extra + 1;
    *to++ = extra == 3 ? '?' : CodePointToCp1251(cp);
  }
  out.resize(static_cast<size_t>(to - out.data()));
  return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string Cp1251ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) AppendUtf8(out, Cp1251ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace quillon
