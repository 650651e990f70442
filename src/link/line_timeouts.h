// The time-out settings as the line uses them. 0 means "no limit" to the line, and a negative
// value is no time at all, so a 0 or less in a hand-edited settings file would let a read wait
// for ever on a silent terminal: where the line uses such a setting it counts as 250 ms.
#pragma once

#include <cstdint>

namespace quillon {

constexpr int32_t kFallbackTimeoutMs = 250;

inline int32_t LineTimeout(int32_t setting) {
  return setting > 0 ? setting : kFallbackTimeoutMs;
}

}  // namespace quillon
