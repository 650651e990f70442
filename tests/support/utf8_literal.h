// Test sources are compiled with Windows-1251 narrow literals, like the logic they test; what
// the programs print and the XML files hold is UTF-8, written in tests as u8"..." literals.
#pragma once

#include <string>

namespace quillon::test {

inline std::string U8(const char8_t* text) {
  return reinterpret_cast<const char*>(text);
}

}  // namespace quillon::test
