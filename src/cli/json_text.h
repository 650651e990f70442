// JSON output of the command-line tools: strings of the logic (Windows-1251) become quoted,
// escaped UTF-8.
#pragma once

#include <string>

namespace quillon::cli {

std::string JsonString(const std::string& cp1251Text);
// The same for text that is UTF-8 already, such as file paths.
std::string JsonUtf8String(const std::string& utf8Text);
inline const char* JsonBool(bool value) {
  return value ? "true" : "false";
}

}  // namespace quillon::cli
