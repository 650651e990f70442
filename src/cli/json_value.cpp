#include "cli/json_value.h"

#include <cstdlib>

namespace quillon::cli {

const TJsonValue* TJsonValue::Find(const std::string& key) const {
  for (const auto& [name, value] : Members)
    if (name == key) return &value;
  return nullptr;
}

std::string TJsonValue::Text(const std::string& key, const std::string& fallback) const {
  const TJsonValue* v = Find(key);
  return v && v->Kind == jkString ? v->String : fallback;
}

double TJsonValue::Num(const std::string& key, double fallback) const {
  const TJsonValue* v = Find(key);
  return v && v->Kind == jkNumber ? v->Number : fallback;
}

bool TJsonValue::Flag(const std::string& key, bool fallback) const {
  const TJsonValue* v = Find(key);
  return v && v->Kind == jkBool ? v->Bool : fallback;
}

namespace {

class TJsonParser {
 public:
  explicit TJsonParser(const std::string& text) : s_(text) {}

  bool Document(TJsonValue& out) {
    if (!Value(out, 0)) return false;
    Blanks();
    return at_ == s_.size();
  }

 private:
  void Blanks() {
    while (at_ < s_.size() &&
           (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\r' || s_[at_] == '\n'))
      ++at_;
  }
  bool Take(char c) {
    Blanks();
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool Word(const char* word) {
    const std::string w(word);
    if (s_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }

  bool Value(TJsonValue& out, int depth) {
    if (depth > 64) return false;
    Blanks();
    if (at_ >= s_.size()) return false;
    const char c = s_[at_];
    if (c == '{') return Object(out, depth);
    if (c == '[') return Array(out, depth);
    if (c == '"') {
      out.Kind = TJsonValue::jkString;
      return String(out.String);
    }
    if (Word("true") || Word("false")) {
      out.Kind = TJsonValue::jkBool;
      out.Bool = c == 't';
      return true;
    }
    if (Word("null")) return true;
    return Number(out);
  }

  bool Object(TJsonValue& out, int depth) {
    out.Kind = TJsonValue::jkObject;
    ++at_;
    if (Take('}')) return true;
    do {
      Blanks();
      std::string key;
      if (at_ >= s_.size() || s_[at_] != '"' || !String(key) || !Take(':')) return false;
      TJsonValue value;
      if (!Value(value, depth + 1)) return false;
      out.Members.emplace_back(std::move(key), std::move(value));
    } while (Take(','));
    return Take('}');
  }

  bool Array(TJsonValue& out, int depth) {
    out.Kind = TJsonValue::jkArray;
    ++at_;
    if (Take(']')) return true;
    do {
      TJsonValue value;
      if (!Value(value, depth + 1)) return false;
      out.Items.push_back(std::move(value));
    } while (Take(','));
    return Take(']');
  }

  bool Number(TJsonValue& out) {
    const size_t from = at_;
    while (at_ < s_.size() && std::string("+-0123456789.eE").find(s_[at_]) != std::string::npos)
      ++at_;
    if (at_ == from) return false;
    const std::string text = s_.substr(from, at_ - from);
    char* end = nullptr;
    out.Number = std::strtod(text.c_str(), &end);
    out.Kind = TJsonValue::jkNumber;
    return end == text.c_str() + text.size();
  }

  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool Hex4(unsigned& code) {
    if (at_ + 4 > s_.size()) return false;
    code = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = s_[at_++];
      code <<= 4;
      if (h >= '0' && h <= '9')
        code |= h - '0';
      else if (h >= 'a' && h <= 'f')
        code |= h - 'a' + 10;
      else if (h >= 'A' && h <= 'F')
        code |= h - 'A' + 10;
      else
        return false;
    }
    return true;
  }

  bool String(std::string& out) {
    ++at_;  // the opening quote
    while (at_ < s_.size()) {
      const char c = s_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= s_.size()) return false;
      const char e = s_[at_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          unsigned code = 0;
          if (!Hex4(code)) return false;
          if (code >= 0xD800 && code < 0xDC00 && s_.compare(at_, 2, "\\u") == 0) {
            at_ += 2;
            unsigned low = 0;
            if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, code);
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  const std::string& s_;
  size_t at_ = 0;
};

}  // namespace

std::optional<TJsonValue> ParseJson(const std::string& text) {
  TJsonValue value;
  if (!TJsonParser(text).Document(value)) return std::nullopt;
  return value;
}

}  // namespace quillon::cli
