#include "editor/mask_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>

#include "profile/fixed_texts.h"

namespace quillon {

namespace {

// Windows-1251 code points of the Cyrillic alphabet ends and the two letters outside them.
constexpr int kLowerA = 0xE0, kLowerYa = 0xFF, kLowerYo = 0xB8;
constexpr int kUpperA = 0xC0, kUpperYa = 0xDF, kUpperYo = 0xA8;

// Bounds an unlucky mask such as "(a+)+$" instead of letting the window hang.
constexpr uint32_t kMatchLimit = 2000000;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Copies one item of a character class to out and returns the single byte it stands for, or
// -1 when it stands for a set or something this rule does not need to understand.
int CopyClassAtom(const std::string& mask, size_t& i, std::string& out) {
  const size_t n = mask.size();
  if (mask[i] != '\\' || i + 1 >= n) {
    out += mask[i];
    return static_cast<unsigned char>(mask[i++]);
  }
  const char d = mask[i + 1];
  if (d == 'x') {
    size_t j = i + 2;
    int value = 0;
    bool ok = true;
    if (j < n && mask[j] == '{') {
      size_t close = mask.find('}', j);
      if (close == std::string::npos) close = n - 1;
      // Past one byte the value no longer matters; it stops growing there rather than overflow.
      for (size_t k = j + 1; k < close && ok; ++k) {
        const int h = HexValue(mask[k]);
        if (h < 0 || value > 0xFF)
          ok = false;
        else
          value = value * 16 + h;
      }
      j = close + 1;
    } else {
      for (int digits = 0; digits < 2 && j < n && HexValue(mask[j]) >= 0; ++digits, ++j)
        value = value * 16 + HexValue(mask[j]);
    }
    out.append(mask, i, j - i);
    i = j;
    return ok && value <= 0xFF ? value : -1;
  }
  out.append(mask, i, 2);
  i += 2;
  // An escaped punctuation character is that character; letters and digits name sets, code
  // points or back-references.
  return IsAsciiAlnum(d) ? -1 : static_cast<unsigned char>(d);
}

// Copies the class that starts at mask[i] ("[") and returns the position after it.
size_t CopyClass(const std::string& mask, size_t i, std::string& out) {
  const size_t n = mask.size();
  out += mask[i++];
  if (i < n && mask[i] == '^') out += mask[i++];
  bool first = true;  // a "]" right after the opening is a literal
  while (i < n) {
    const char c = mask[i];
    if (c == ']' && !first) {
      out += c;
      return i + 1;
    }
    first = false;
    if (c == '[' && i + 1 < n && (mask[i + 1] == ':' || mask[i + 1] == '.' || mask[i + 1] == '=')) {
      const std::string close{mask[i + 1], ']'};
      const size_t end = mask.find(close, i + 2);
      if (end != std::string::npos) {
        out.append(mask, i, end + 2 - i);
        i = end + 2;
        continue;
      }
    }
    if (c == '\\' && i + 1 < n && mask[i + 1] == 'Q') {
      const size_t end = mask.find("\\E", i + 2);
      const size_t stop = end == std::string::npos ? n : end + 2;
      out.append(mask, i, stop - i);
      i = stop;
      continue;
    }
    const size_t atomStart = out.size();
    const int low = CopyClassAtom(mask, i, out);
    if (low < 0 || i + 1 >= n || mask[i] != '-' || mask[i + 1] == ']') continue;
    out += mask[i++];
    const int high = CopyClassAtom(mask, i, out);
    if (high < 0) continue;
    // The extra letters go in front of the range, where they cannot join another range.
    std::string extra;
    if (low <= kLowerA && high >= kLowerYa) extra += static_cast<char>(kLowerYo);
    if (low <= kUpperA && high >= kUpperYa) extra += static_cast<char>(kUpperYo);
    out.insert(atomStart, extra);
  }
  return n;  // unterminated: PCRE2 reports it
}

}  // namespace

std::string TMaskMatcher::WidenCyrillicRanges(const std::string& mask) {
  std::string out;
  out.reserve(mask.size() + 4);
  const size_t n = mask.size();
  size_t i = 0;
  while (i < n) {
    const char c = mask[i];
    if (c == '\\' && i + 1 < n && mask[i + 1] == 'Q') {
      const size_t end = mask.find("\\E", i + 2);
      const size_t stop = end == std::string::npos ? n : end + 2;
      out.append(mask, i, stop - i);
      i = stop;
    } else if (c == '\\') {
      const size_t len = std::min<size_t>(2, n - i);
      out.append(mask, i, len);
      i += len;
    } else if (c == '[') {
      i = CopyClass(mask, i, out);
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

TMaskMatcher::TMaskMatcher() {
  context_ = pcre2_match_context_create(nullptr);
  if (context_) pcre2_set_match_limit(context_, kMatchLimit);
}

TMaskMatcher::~TMaskMatcher() {
  Release();
  pcre2_match_context_free(context_);
}

void TMaskMatcher::Release() {
  pcre2_match_data_free(matchData_);
  pcre2_code_free(code_);
  matchData_ = nullptr;
  code_ = nullptr;
}

bool TMaskMatcher::Compile(const std::string& mask) {
  if (compiled_ && mask == mask_) return code_ != nullptr;
  Release();
  mask_ = mask;
  compiled_ = true;
  compileError_.clear();
  const std::string pattern = WidenCyrillicRanges(mask);
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                        PCRE2_DOTALL | PCRE2_DOLLAR_ENDONLY, &errorCode, &errorOffset, nullptr);
  if (!code_) {
    PCRE2_UCHAR buffer[256];
    pcre2_get_error_message(errorCode, buffer, sizeof buffer);
    compileError_ = Text(TText::MaskAtPosition,
                         {reinterpret_cast<const char*>(buffer), std::to_string(errorOffset)});
    return false;
  }
  matchData_ = pcre2_match_data_create_from_pattern(code_, nullptr);
  if (!matchData_) {
    compileError_ = Text(TText::MaskNoMemory);
    pcre2_code_free(code_);
    code_ = nullptr;
    return false;
  }
  return true;
}

TMaskResult TMaskMatcher::Match(const std::string& mask, const std::string& text) {
  error_.clear();
  if (!Compile(mask)) {
    error_ = compileError_;
    return mrInvalid;
  }
  const int rc = pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0,
                             matchData_, context_);
  if (rc >= 0) return mrMatch;
  if (rc == PCRE2_ERROR_NOMATCH) return mrNoMatch;
  PCRE2_UCHAR buffer[256];
  pcre2_get_error_message(rc, buffer, sizeof buffer);
  error_ = reinterpret_cast<const char*>(buffer);
  return mrInvalid;
}

}  // namespace quillon
