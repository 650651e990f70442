#include "cli/stop_signals.h"

#include <signal.h>

namespace quillon::cli {

namespace {

volatile std::sig_atomic_t gStopSignal = 0;

void OnStopSignal(int signal) {
  gStopSignal = signal;
}

}  // namespace

TStopSignals::TStopSignals() {
  gStopSignal = 0;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &saved_[i]);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, &savedPipe_);
}

TStopSignals::~TStopSignals() {
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &saved_[i], nullptr);
  sigaction(SIGPIPE, &savedPipe_, nullptr);
}

int TStopSignals::Received() {
  return gStopSignal;
}

int TStopSignals::Take() {
  const int signal = gStopSignal;
  gStopSignal = 0;
  return signal;
}

}  // namespace quillon::cli
