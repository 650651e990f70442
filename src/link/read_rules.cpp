#include "link/read_rules.h"

#include <algorithm>

namespace quillon {

namespace {

// Time-out values are unsigned 32-bit quantities; -1 is the all-ones maximum.
int64_t Unsigned(int32_t value) {
  return static_cast<int64_t>(static_cast<uint32_t>(value));
}

}  // namespace

int MsUntil(int64_t deadline, int64_t now) {
  if (deadline == kNoDeadline) return -1;
  return static_cast<int>(std::clamp<int64_t>(deadline - now, 0, 1 << 30));
}

int64_t WriteDeadline(const TComTimeouts& t, int count, int64_t now) {
  const int64_t total = Unsigned(t.WriteTotalConstant) + Unsigned(t.WriteTotalMultiplier) * count;
  return total == 0 ? kNoDeadline : now + total;
}

int ReadUnderTimeouts(const TComTimeouts& t, char* buffer, int count, const TReadSource& source) {
  if (count <= 0) return 0;
  const int64_t interval = Unsigned(t.ReadInterval);
  const int64_t multiplier = Unsigned(t.ReadTotalMultiplier);
  const int64_t constant = Unsigned(t.ReadTotalConstant);
  const bool returnAtOnce = t.ReadInterval == -1 && multiplier == 0 && constant == 0;
  // ReadInterval and multiplier at the maximum with a finite constant: wait for a first byte at
  // most that long, then return with what is there.
  const bool firstByteOnly = t.ReadInterval == -1 && t.ReadTotalMultiplier == -1 && constant > 0 &&
                             t.ReadTotalConstant != -1;
  const int64_t total = firstByteOnly ? constant : constant + multiplier * count;
  const int64_t start = source.Now();
  const int64_t totalDeadline = total == 0 ? kNoDeadline : start + total;
  int got = 0;
  int64_t lastByte = start;
  for (;;) {
    const int r = source.Take(buffer + got, count - got);
    if (r < 0) return got > 0 ? got : -1;
    if (r > 0) {
      got += r;
      lastByte = source.Now();
      if (got == count || firstByteOnly) return got;
    }
    if (returnAtOnce) return got;
    const int64_t gapDeadline = (got > 0 && interval > 0) ? lastByte + interval : kNoDeadline;
    const int64_t deadline = std::min(totalDeadline, gapDeadline);
    const int64_t now = source.Now();
    if (deadline != kNoDeadline && now >= deadline) return got;
    source.Wait(MsUntil(deadline, now));
  }
}

}  // namespace quillon
