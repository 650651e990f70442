// Reads a whole input file of the program (the profile, the settings file) with two guards: only
// a regular file is read (a FIFO would block for ever, a device may never end), and only up to
// a size limit, so that no file can make the program hang or take memory without bound.
#pragma once

#include <cstddef>
#include <string>

namespace quillon {

enum class TFileReadStatus {
  Read,        // data holds the whole file
  NotFound,    // no such file
  Refused,     // not a regular file (after following links), or larger than the limit
  Unreadable,  // it exists but could not be opened or read
};

struct TFileReadResult {
  TFileReadStatus Status = TFileReadStatus::NotFound;
  // For Refused: why, in a few English words ("not a regular file", "larger than 64 MiB").
  std::string Reason;
  bool TooLarge = false;  // refused for its size rather than its kind
};

TFileReadResult ReadBoundedFile(const std::string& path, size_t maxBytes, std::string& data);

// "64 MiB", "1 MiB", "512 KiB": the limit as the refusal names it.
std::string SizeLimitText(size_t bytes);

}  // namespace quillon
