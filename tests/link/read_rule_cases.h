// The read rules of the port as a table of cases: time-outs, a read of count bytes, bytes
// arriving at times (ms from the start of the read), what the read returns and when it ends.
// Run on the simulated line exactly and over a real pseudo-terminal within bounds.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/serial_platform.h"

namespace quillon::test {

struct TReadRuleCase {
  const char* name;
  TComTimeouts timeouts;
  int count;
  std::vector<std::pair<int64_t, std::string>> arrivals;
  std::string want;
  int64_t wantEnd;
  // The outcome hangs on a byte arriving exactly at a time-out: only a virtual clock can
  // promise that, so a real line leaves the case out.
  bool exactTiming = false;
};
inline const std::vector<TReadRuleCase>& ReadRuleCases() {
  static const std::vector<TReadRuleCase> cases = {
      {"silence ends on the total", {250, 0, 250, 0, 0}, 100, {}, "", 250},
      {"multiplier adds per byte", {0, 10, 50, 0, 0}, 5, {}, "", 100},
      {"count reached", {250, 0, 250, 0, 0}, 3, {{10, "abcdef"}}, "abc", 10},
      {"gap after first byte",
       {50, 0, 0, 0, 0},
       100,
       {{10, "ab"}, {40, "c"}, {200, "d"}},
       "abc",
       90},
      {"byte at exactly the gap still counts",
       {50, 0, 0, 0, 0},
       100,
       {{0, "a"}, {50, "b"}},
       "ab",
       100,
       true},
      {"total cuts a trickle",
       {100, 0, 120, 0, 0},
       100,
       {{0, "a"}, {60, "b"}, {110, "c"}, {170, "d"}},
       "abc",
       120},
      {"interval -1 and no totals returns at once",
       {-1, 0, 0, 0, 0},
       100,
       {{0, "xy"}, {5, "z"}},
       "xy",
       0},
  };
  return cases;
}

}  // namespace quillon::test
