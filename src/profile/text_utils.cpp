#include "profile/text_utils.h"

#include <limits>

namespace quillon {

namespace {

bool IsCtl(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Shared by both widths: magnitude limits for decimal, digit limits for hexadecimal.
bool ParseInteger(const std::string& text, int hexDigitsMax, uint64_t posMax, uint64_t negMax,
                  int64_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= text.size()) return false;
  uint64_t magnitude = 0;
  if (hex) {
    int digits = 0;
    for (; i < text.size(); ++i) {
      int d = HexDigit(text[i]);
      if (d < 0) return false;
      if (magnitude == 0 && d == 0) continue;  // leading zeros do not count against the width
      if (++digits > hexDigitsMax) return false;
      magnitude = (magnitude << 4) | static_cast<uint64_t>(d);
    }
    // Read as two's complement of the field's width.
    if (hexDigitsMax == 8) {
      int32_t v = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
      value = negative ? -static_cast<int64_t>(v) : v;
      if (value > std::numeric_limits<int32_t>::max() ||
          value < std::numeric_limits<int32_t>::min()) {
        value = static_cast<int32_t>(static_cast<uint32_t>(value));
      }
    } else {
      int64_t v = static_cast<int64_t>(magnitude);
      value = negative ? static_cast<int64_t>(0 - static_cast<uint64_t>(v)) : v;
    }
    return true;
  }
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    uint64_t d = static_cast<uint64_t>(c - '0');
    if (magnitude > (negMax - d) / 10) return false;
    magnitude = magnitude * 10 + d;
  }
  if (negative) {
    if (magnitude > negMax) return false;
    value = static_cast<int64_t>(0 - magnitude);
  } else {
    if (magnitude > posMax) return false;
    value = static_cast<int64_t>(magnitude);
  }
  return true;
}

}  // namespace

std::string TrimLeftCtl(const std::string& text) {
  size_t b = 0;
  while (b < text.size() && IsCtl(text[b])) ++b;
  return text.substr(b);
}

std::string TrimRightCtl(const std::string& text) {
  size_t e = text.size();
  while (e > 0 && IsCtl(text[e - 1])) --e;
  return text.substr(0, e);
}

std::string TrimCtl(const std::string& text) {
  return TrimLeftCtl(TrimRightCtl(text));
}

void SplitCsv(const std::string& text, std::vector<std::string>& list) {
  list.clear();
  std::string s = TrimCtl(text);
  while (!s.empty()) {
    size_t searchFrom = 0;
    bool searchComma = true;
    if (s[0] == '"') {
      size_t close = s.find('"', 1);
      if (close != std::string::npos) {
        s.erase(close, 1);
        s.erase(0, 1);
        searchFrom = close - 1;  // the character that followed the closing quote
      } else {
        searchComma = false;
      }
    }
    if (searchComma) {
      size_t comma = s.find(',', searchFrom);
      if (comma != std::string::npos) {
        list.push_back(TrimCtl(s.substr(0, comma)));
        s = TrimCtl(s.substr(comma + 1));
        continue;
      }
    }
    list.push_back(s);
    break;
  }
}

std::vector<std::string> SplitCsv(const std::string& text) {
  std::vector<std::string> list;
  SplitCsv(text, list);
  return list;
}

bool ExtractLine(std::string& buffer, std::string& line) {
  size_t pos = buffer.find_first_of(std::string("\r\n\0", 3));
  if (pos == std::string::npos) {
    line.clear();
    return false;
  }
  size_t termLen =
      (buffer[pos] == '\r' && pos + 1 < buffer.size() && buffer[pos + 1] == '\n') ? 2 : 1;
  line = buffer.substr(0, pos);
  buffer.erase(0, pos + termLen);
  return true;
}

std::string UpperAscii(const std::string& text) {
  std::string r = text;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperAscii(a) == UpperAscii(b);
}

bool ParseInt32(const std::string& text, int32_t& value) {
  int64_t v = 0;
  if (!ParseInteger(text, 8, 2147483647ULL, 2147483648ULL, v)) return false;
  value = static_cast<int32_t>(v);
  return true;
}

bool ParseInt64(const std::string& text, int64_t& value) {
  return ParseInteger(text, 16, 9223372036854775807ULL, 9223372036854775808ULL, value);
}

int32_t StrToInt32Def(const std::string& text, int32_t fallback) {
  int32_t v;
  return ParseInt32(text, v) ? v : fallback;
}

int64_t StrToInt64Def(const std::string& text, int64_t fallback) {
  int64_t v;
  return ParseInt64(text, v) ? v : fallback;
}

}  // namespace quillon
