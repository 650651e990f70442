// JSON output of the command-line tools: strings of the logic (Windows-1251) become quoted,
// escaped UTF-8.
#pragma once

#include <string>

#include "profile/command_profile.h"

namespace quillon::cli {

std::string JsonString(const std::string& cp1251Text);
// The same for text that is UTF-8 already, such as file paths.
std::string JsonUtf8String(const std::string& utf8Text);
// A parameter's type as the newer JSON outputs name it: integer, string, hex or option.
const char* JsonTypeName(TParamType type);
inline const char* JsonBool(bool value) {
  return value ? "true" : "false";
}

}  // namespace quillon::cli
