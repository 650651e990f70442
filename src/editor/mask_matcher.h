// The one matcher of the parameter masks (the operator's typing, leaving a field, loading a
// configuration): a Perl-like regular expression searched anywhere in Windows-1251 text.
#pragma once

#include <set>
#include <string>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;
struct pcre2_real_match_context_8;

namespace quillon {

enum TMaskResult { mrMatch, mrNoMatch, mrInvalid };

class TMaskMatcher {
 public:
  TMaskMatcher();
  ~TMaskMatcher();
  TMaskMatcher(const TMaskMatcher&) = delete;
  TMaskMatcher& operator=(const TMaskMatcher&) = delete;

  // Case-sensitive, "." takes line breaks, "^" and "$" only at the ends of the whole text,
  // greedy, a match of any part of the text counts. mrInvalid when the mask does not compile
  // or the search gives up; ErrorText() then says why.
  TMaskResult Match(const std::string& mask, const std::string& text);
  const std::string& ErrorText() const { return error_; }

  // True the first time it is asked about a mask: a mask that is no valid regular expression is
  // reported once per run, not at every keystroke or value.
  bool FirstReportOf(const std::string& mask) { return reported_.insert(mask).second; }

  // The mask as compiled: ranges covering а..я also take ё, those covering А..Я also take Ё.
  static std::string WidenCyrillicRanges(const std::string& mask);

 private:
  bool Compile(const std::string& mask);
  void Release();

  std::string mask_;  // the mask compiled last, kept with its outcome
  bool compiled_ = false;
  std::string compileError_;
  std::string error_;
  std::set<std::string> reported_;
  pcre2_real_code_8* code_ = nullptr;
  pcre2_real_match_data_8* matchData_ = nullptr;
  pcre2_real_match_context_8* context_ = nullptr;
};

}  // namespace quillon
