// The progress marker of a multi-part answer: a line "%" + part + "/" + count + "+RECP:" + any
// text. One expression, compiled once for the whole program, finds the last such line of the
// text searched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon {

struct TProgressMarker {
  size_t PartOffset = 0;  // 0-based offset of the part number in the text
  int32_t Part = 0;       // 0 when the digits do not make a 32-bit number
  int32_t Count = 0;
};

// Searches text from the 0-based offset on; "^" still sees the line start before the offset.
bool FindProgressMarker(const std::string& text, size_t from, TProgressMarker& marker);

}  // namespace quillon
