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

// Connecting to a port on the network (the name look-up and the telnet negotiation included)
// takes ten times the Timeout setting, at most five seconds.
constexpr int32_t kMaxConnectTimeoutMs = 5000;

inline int32_t ConnectTimeout(int32_t timeoutSetting) {
  const int64_t ms = static_cast<int64_t>(LineTimeout(timeoutSetting)) * 10;
  return static_cast<int32_t>(ms < kMaxConnectTimeoutMs ? ms : kMaxConnectTimeoutMs);
}

}  // namespace quillon
