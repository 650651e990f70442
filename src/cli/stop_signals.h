// The operator's stop signals for a command that talks to a terminal until it is stopped:
// SIGINT, SIGTERM and SIGHUP are caught while a TStopSignals lives, without SA_RESTART, so that
// a blocking wait ends on the signal too; SIGPIPE is ignored, so that a reader gone shows as a
// failed write (EPIPE). The previous handlers come back at the end.
#pragma once

#include <array>
#include <csignal>

namespace quillon::cli {

class TStopSignals {
 public:
  TStopSignals();
  ~TStopSignals();
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;

  // The last stop signal caught since the latest TStopSignals was made; 0 when none.
  static int Received();
  // Received, and forgotten: the next call tells only of a signal caught after this one (a
  // run that stops in steps counts the operator's signals this way).
  static int Take();

 private:
  static constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
  std::array<struct sigaction, 3> saved_{};
  struct sigaction savedPipe_ {};
};

}  // namespace quillon::cli
