#include "cli/json_text.h"

#include <cstdio>

#include "profile/cp1251.h"

namespace quillon::cli {

std::string JsonString(const std::string& cp1251Text) {
  std::string out = "\"";
  for (char c : cp1251Text) {
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
        } else {
          AppendUtf8(out, Cp1251ToCodePoint(b));
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace quillon::cli
