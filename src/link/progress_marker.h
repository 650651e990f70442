// The progress marker of a multi-part answer: a line "%" + part + "/" + count + "+RECP:" + any
// text. FindProgressMarker finds the last such line of the text searched with one expression,
// compiled once for the whole program; TProgressMarkerScanner gives the same answers for an
// answer that grows chunk by chunk while looking at each byte once.
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

// Follows an answer that only grows. Each Feed looks at the bytes added since the previous one
// and reports the last marker completed among them: the marker FindProgressMarker would find
// when searching from one past the previous marker's part number.
class TProgressMarkerScanner {
 public:
  bool Feed(const std::string& answer, TProgressMarker& marker);
  // Bytes looked at so far, the digits of reported markers included.
  size_t BytesExamined() const { return examined_; }

 private:
  enum class TState { LineStart, Other, Percent, Part, Slash, Count, Literal };
  void Step(char c, size_t at);

  size_t pos_ = 0;
  size_t examined_ = 0;
  TState state_ = TState::LineStart;
  size_t partBegin_ = 0, partEnd_ = 0, countBegin_ = 0, countEnd_ = 0;
  size_t literal_ = 0;  // characters of "+RECP:" seen
  bool completed_ = false;
  size_t lastPartBegin_ = 0, lastPartEnd_ = 0, lastCountBegin_ = 0, lastCountEnd_ = 0;
};

}  // namespace quillon
