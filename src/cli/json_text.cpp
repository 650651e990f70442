#include "cli/json_text.h"

#include <cstdio>

#include "profile/cp1251.h"

namespace quillon::cli {

namespace {

std::string Quote(const std::string& text, bool fromCp1251) {
  std::string out = "\"";
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (b < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", b);
          out += buf;
        } else if (fromCp1251) {
          AppendUtf8(out, Cp1251ToCodePoint(b));
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace

std::string JsonString(const std::string& cp1251Text) {
  return Quote(cp1251Text, true);
}

std::string JsonUtf8String(const std::string& utf8Text) {
  return Quote(utf8Text, false);
}

const char* JsonTypeName(TParamType type) {
  switch (type) {
    case ptInteger:
      return "integer";
    case ptString:
      return "string";
    case ptHex:
      return "hex";
    case ptOption:
      return "option";
  }
  return "string";
}

}  // namespace quillon::cli
