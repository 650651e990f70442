// The mask matcher: the input's first line is the mask, the rest the text typed. Any mask
// compiles or is reported invalid; none crashes or runs away.
#include "editor/mask_matcher.h"
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillon;
  const std::string input = fuzz::Input(data, size);
  const size_t cut = input.find('\n');
  const std::string mask = input.substr(0, cut);
  const std::string text = cut == std::string::npos ? std::string() : input.substr(cut + 1);
  TMaskMatcher::WidenCyrillicRanges(mask);
  static TMaskMatcher matcher;  // one per program, as the main window keeps it
  const TMaskResult first = matcher.Match(mask, text);
  fuzz::Require(matcher.Match(mask, text) == first, "the same answer twice");
  return 0;
}
