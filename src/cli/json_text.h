// JSON output of the command-line tools: strings of the logic (Windows-1251) become quoted,
// escaped UTF-8.
#pragma once

#include <string>

namespace quillon::cli {

std::string JsonString(const std::string& cp1251Text);
inline const char* JsonBool(bool value) {
  return value ? "true" : "false";
}

}  // namespace quillon::cli
