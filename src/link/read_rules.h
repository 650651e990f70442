// The read time-out rules of the port (see TComTimeouts) over any source of bytes, so that a
// device, a pseudo-terminal and a network line all end a read the same way.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>

#include "link/serial_platform.h"

namespace quillon {

constexpr int64_t kNoDeadline = std::numeric_limits<int64_t>::max();

// Milliseconds from now until a deadline, for a wait: -1 without one, never more than an int
// holds.
int MsUntil(int64_t deadline, int64_t now);
// When a write of count bytes started now gives up: WriteTotalConstant + WriteTotalMultiplier
// x count ms later, kNoDeadline for a total of 0.
int64_t WriteDeadline(const TComTimeouts& timeouts, int count, int64_t now);

struct TReadSource {
  // Milliseconds of the line's clock.
  std::function<int64_t()> Now;
  // Copies what can be had at once, up to max bytes, into buffer; 0 when nothing is there, -1
  // when nothing more will come (a connection closed).
  std::function<int(char* buffer, int max)> Take;
  // Waits up to waitMs (-1: without limit) for more bytes; returns early when they come.
  std::function<void(int waitMs)> Wait;
};

// Reads up to count bytes under the time-outs; returns how many came (fewer, even 0, is no
// error), or -1 when the source ended before any came. Failures of the source pass through.
int ReadUnderTimeouts(const TComTimeouts& timeouts, char* buffer, int count,
                      const TReadSource& source);

}  // namespace quillon
