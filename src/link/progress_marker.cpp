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

}  // namespace quillon
