#include "sim/sim_runner.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <limits>

#include "profile/cp1251.h"

namespace quillon {

namespace {

// Written by the signal handler, read by the loop: the only process-wide state of the program.
int gSignalPipe[2] = {-1, -1};

constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

int64_t SteadyUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

TSimRunner::TSimRunner(const CommandProfile& profile, const TSimOptions& options)
    : options_(options),
      engine_(profile, options, 0, static_cast<int64_t>(std::time(nullptr))),
      originUs_(SteadyUs()) {
  if (options_.Trace) engine_.SetTrace([this](const std::string& text) { Trace(text); });
}

void TSimRunner::OnSignal(int) {
  int saved = errno;
  char byte = 1;
  if (write(gSignalPipe[1], &byte, 1) < 0) {
    // Full pipe: a wake-up is pending anyway.
  }
  errno = saved;
}

bool TSimRunner::InstallSignalHandlers(std::string& error) {
  if (gSignalPipe[0] < 0 && pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    error = std::string("pipe: ") + strerror(errno);
    return false;
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  sigset_t wanted;
  sigemptyset(&wanted);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&wanted, sig);
  sigprocmask(SIG_UNBLOCK, &wanted, nullptr);
  return true;
}

int64_t TSimRunner::NowUs() const {
  return SteadyUs() - originUs_;
}

void TSimRunner::Trace(const std::string& text) const {
  if (!options_.Trace) return;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%9.3f] ", static_cast<double>(NowUs()) / 1e6);
  // The terminal speaks Windows-1251; the console reading the trace expects UTF-8.
  std::cerr << stamp << Cp1251ToUtf8(text) << std::endl;
}

int TSimRunner::Run() {
  std::string error;
  if (!InstallSignalHandlers(error) || !transport_.Open(error) ||
      (!options_.LinkPath.empty() && !transport_.MakeLink(options_.LinkPath, error))) {
    std::cerr << "quillon-sim: " << error << std::endl;
    transport_.Close();
    return 1;
  }
  engine_.LoadStateFile();
  std::cout << transport_.DevicePath() << std::endl;
  Trace("device " + transport_.DevicePath());
  Serve();
  transport_.Close();
  Trace("stopped");
  return 0;
}

void TSimRunner::Serve() {
  while (true) {
    int64_t now = NowUs();
    engine_.Tick(now / 1000);
    if (engine_.HangUpRequested()) {
      transport_.HangUp();
      return;
    }
    WriteOutput(now);

    int64_t next = std::min(NextWriteUs(),
                            engine_.NextTickMs() == kNever ? kNever : engine_.NextTickMs() * 1000);
    int64_t waitUs = next == kNever ? 1000000 : std::clamp<int64_t>(next - NowUs(), 0, 1000000);
    timespec timeout{static_cast<time_t>(waitUs / 1000000),
                     static_cast<long>((waitUs % 1000000) * 1000)};
    pollfd fds[2] = {{transport_.Descriptor(), POLLIN, 0}, {gSignalPipe[0], POLLIN, 0}};
    int ready = ppoll(fds, 2, &timeout, nullptr);
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) continue;
    if (fds[1].revents & POLLIN) return;
    if (fds[0].revents & POLLIN) ReadInput();
  }
}

void TSimRunner::ReadInput() {
  char buffer[4096];
  ssize_t count = transport_.Read(buffer, sizeof buffer);
  // The client sets the line before it sends: the trace shows what reached the device.
  const std::string line = transport_.LineSettings();
  if (count > 0 && line != lineSettings_) {
    lineSettings_ = line;
    Trace("line " + line);
  }
  if (count > 0) engine_.Receive(std::string(buffer, static_cast<size_t>(count)), NowUs() / 1000);
}

int64_t TSimRunner::NextWriteUs() const {
  if (writing_) return std::max(chunkStartUs_, lineFreeUs_);
  return engine_.HasOutput() ? 0 : kNever;
}

// Sends as much of the queued output as the line has carried by now: a slice of about two
// milliseconds at a time at the simulated baud rate, everything at once without pacing.
void TSimRunner::WriteOutput(int64_t nowUs) {
  const int64_t byteUs = options_.Baud > 0 ? 10000000LL / options_.Baud : 0;
  while (true) {
    if (!writing_) {
      if (!engine_.TakeChunk(chunk_)) return;
      writing_ = true;
      sent_ = 0;
      chunkStartUs_ = std::max<int64_t>(chunk_.DueMs * 1000, lineFreeUs_ + chunk_.PauseMs * 1000LL);
    }
    int64_t startUs = std::max(chunkStartUs_, lineFreeUs_);
    if (nowUs < startUs) return;
    size_t slice = chunk_.Bytes.size() - sent_;
    if (byteUs > 0) slice = std::min<size_t>(slice, std::max<int64_t>(1, 2000 / byteUs));
    ssize_t written = transport_.Write(chunk_.Bytes.data() + sent_, slice);
    if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return;
    if (written > 0) {
      slice = static_cast<size_t>(written);
    } else {
      // A full line buffer means nobody reads: the bytes are lost, as on a real wire.
      Trace("receiver not reading, " + std::to_string(slice) + " bytes lost");
    }
    sent_ += slice;
    // The line never catches up on time it stood idle.
    lineFreeUs_ = std::max(startUs, nowUs - 2000) + static_cast<int64_t>(slice) * byteUs;
    if (sent_ >= chunk_.Bytes.size()) writing_ = false;
  }
}

}  // namespace quillon
