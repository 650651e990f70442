#include "link/progress_marker.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <memory>
#include <stdexcept>

#include "profile/text_utils.h"

namespace quillon {

namespace {

// Greedy and crossing lines, so a match lands on the last marker; CR and LF both end lines.
constexpr const char* kPattern = R"(.*^%(\d+)\/(\d+)\+RECP:.*$)";

struct CodeDeleter {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};

pcre2_code* CompileMarker() {
  std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> context(
      pcre2_compile_context_create(nullptr), &pcre2_compile_context_free);
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kPattern), PCRE2_ZERO_TERMINATED,
                                   PCRE2_DOTALL | PCRE2_MULTILINE, &error, &offset, context.get());
  if (code == nullptr) throw std::logic_error("progress marker expression does not compile");
  return code;
}

const pcre2_code* MarkerCode() {
  static const std::unique_ptr<pcre2_code, CodeDeleter> code(CompileMarker());
  return code.get();
}

int32_t GroupNumber(const std::string& text, const PCRE2_SIZE* ovector, int group) {
  const PCRE2_SIZE begin = ovector[2 * group];
  const PCRE2_SIZE end = ovector[2 * group + 1];
  return StrToInt32Def(text.substr(begin, end - begin), 0);
}

}  // namespace

bool FindProgressMarker(const std::string& text, size_t from, TProgressMarker& marker) {
  if (from > text.size()) return false;
  const pcre2_code* code = MarkerCode();
  std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> match(
      pcre2_match_data_create_from_pattern(code, nullptr), &pcre2_match_data_free);
  const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), from, 0,
                             match.get(), nullptr);
  if (rc < 3) return false;
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match.get());
  marker.PartOffset = ovector[2];
  marker.Part = GroupNumber(text, ovector, 1);
  marker.Count = GroupNumber(text, ovector, 2);
  return true;
}

bool TProgressMarkerScanner::Feed(const std::string& answer, TProgressMarker& marker) {
  completed_ = false;
  for (; pos_ < answer.size(); ++pos_) Step(answer[pos_], pos_);
  if (!completed_) return false;
  auto number = [&](size_t begin, size_t end) {
    examined_ += end - begin;
    return StrToInt32Def(answer.substr(begin, end - begin), 0);
  };
  marker.PartOffset = lastPartBegin_;
  marker.Part = number(lastPartBegin_, lastPartEnd_);
  marker.Count = number(lastCountBegin_, lastCountEnd_);
  return true;
}

void TProgressMarkerScanner::Step(char c, size_t at) {
  static constexpr char kLiteral[] = "+RECP:";
  ++examined_;
  // CR and LF both end lines (a CR LF pair too: no marker begins with LF).
  if (c == '\r' || c == '\n') {
    state_ = TState::LineStart;
    return;
  }
  const bool digit = c >= '0' && c <= '9';
  switch (state_) {
    case TState::LineStart:
      state_ = c == '%' ? TState::Percent : TState::Other;
      break;
    case TState::Other:
      break;
    case TState::Percent:
      state_ = digit ? TState::Part : TState::Other;
      partBegin_ = at;
      break;
    case TState::Part:
      if (digit) break;
      partEnd_ = at;
      state_ = c == '/' ? TState::Slash : TState::Other;
      break;
    case TState::Slash:
      state_ = digit ? TState::Count : TState::Other;
      countBegin_ = at;
      break;
    case TState::Count:
      if (digit) break;
      countEnd_ = at;
      state_ = c == '+' ? TState::Literal : TState::Other;
      literal_ = 1;
      break;
    case TState::Literal:
      if (c != kLiteral[literal_]) {
        state_ = TState::Other;
        break;
      }
      if (++literal_ < sizeof kLiteral - 1) break;
      // The rest of the line is the marker's text, whatever it holds.
      state_ = TState::Other;
      completed_ = true;
      lastPartBegin_ = partBegin_;
      lastPartEnd_ = partEnd_;
      lastCountBegin_ = countBegin_;
      lastCountEnd_ = countEnd_;
      break;
  }
}

}  // namespace quillon
