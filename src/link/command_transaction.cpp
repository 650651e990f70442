#include "link/command_transaction.h"

#include <algorithm>
#include <limits>
#include <thread>

#include "link/com_port.h"
#include "link/line_timeouts.h"
#include "link/log_model.h"
#include "link/progress_marker.h"
#include "link/session_ui.h"
#include "profile/fixed_texts.h"
#include "settings/settings.h"

namespace quillon {

namespace {

// The terminal's prompt: the answer's last two bytes are CR ">" or LF ">".
bool EndsWithPrompt(const std::string& answer) {
  const size_t n = answer.size();
  return n >= 2 && answer[n - 1] == '>' && (answer[n - 2] == '\r' || answer[n - 2] == '\n');
}

// A read under these returns at once with what is queued, or waits at most waitMs for a first
// byte and returns with it.
TComTimeouts FirstByteTimeouts(TComTimeouts t, int64_t waitMs) {
  t.ReadInterval = -1;
  t.ReadTotalMultiplier = -1;
  t.ReadTotalConstant =
      static_cast<int32_t>(std::clamp<int64_t>(waitMs, 1, std::numeric_limits<int32_t>::max() - 1));
  return t;
}

}  // namespace

TCommandTransaction::TCommandTransaction(TComPort& port, TLogModel& log, const TSettings& settings,
                                         IProgressBar& progress, bool fastAnswer)
    : port_(port), log_(log), settings_(settings), progress_(progress), fastAnswer_(fastAnswer) {}

TCommandTransaction::~TCommandTransaction() {
  RestoreProgress();
}

bool TCommandTransaction::Run(const std::string& cmd, const std::string& logText, bool noWait,
                              int answerTimeout, bool& error, std::string& answer) {
  port_.PurgeBuffers(true, true);
  const int written = WriteByteWise(cmd);
  if (written < static_cast<int>(cmd.size())) {
    log_.WriteLog(Text(TText::WriteError, {std::to_string(written), std::to_string(cmd.size())}),
                  3);
    error = true;
  }
  log_.WriteLog(logText, 1);
  if (error || noWait) return false;
  const int firstTotal = ReadEcho(cmd, answerTimeout, answer);
  if (fastAnswer_)
    ReadAnswerFast(firstTotal, answerTimeout, answer);
  else
    ReadAnswer(answerTimeout, answer);
  return true;
}

// One byte per write with a yield in between: slow terminals lose characters of a burst.
int TCommandTransaction::WriteByteWise(const std::string& cmd) {
  int written = 0;
  for (char c : cmd) {
    if (port_.WriteBytes(&c, 1) <= 0) break;
    ++written;
    std::this_thread::yield();
  }
  return written;
}

int TCommandTransaction::ReadEcho(const std::string& cmd, int answerTimeout, std::string& answer) {
  port_.SetReadTotalConstant(LineTimeout(settings_.TimeoutEcho));
  answer = port_.ReadText(static_cast<int>(cmd.size()));
  // Without a good echo the terminal is probably not listening: wait only for a pause.
  const int firstTotal = answer == cmd ? answerTimeout : LineTimeout(settings_.TimeoutInterval);
  port_.SetReadTotalConstant(firstTotal);
  return firstTotal;
}

void TCommandTransaction::ReadAnswer(int answerTimeout, std::string& answer) {
  TProgressMarkerScanner markers;
  const int64_t start = port_.Platform().NowMs();
  for (;;) {
    const std::string chunk = port_.ReadText(kChunkSize);
    answer += chunk;
    const bool full = static_cast<int>(chunk.size()) == kChunkSize;
    if (full && CutAnswer(start, answer)) break;
    if (full) port_.SetReadTotalConstant(LineTimeout(settings_.TimeoutInterval));
    TProgressMarker marker;
    // The next part may take as long as a fresh answer.
    if (TrackProgress(answer, markers, marker)) port_.SetReadTotalConstant(answerTimeout);
    if (!full) break;
  }
  markerBytesExamined_ = markers.BytesExamined();
}

// The reads of ReadAnswer, each of up to 100 bytes under its total time-out and the pause rule,
// are played here as runs of reads that return with whatever has come, so that the answer can
// end at the prompt the moment it arrives. Without a prompt the answer ends where ReadAnswer's
// would.
void TCommandTransaction::ReadAnswerFast(int firstTotal, int answerTimeout, std::string& answer) {
  const TComTimeouts saved = port_.Timeouts();
  const int64_t pause = saved.ReadInterval > 0 ? saved.ReadInterval : 0;
  const size_t echoEnd = answer.size();
  ISerialPlatform& line = port_.Platform();
  TProgressMarkerScanner markers;
  bool lastPart = true;  // until a marker says the answer comes in parts
  const int64_t start = line.NowMs();
  int64_t chunkStart = start;
  int64_t chunkTotal = firstTotal;
  int64_t lastByte = start;
  int inChunk = 0;
  bool markerInChunk = false;
  try {
    for (;;) {
      int64_t deadline = chunkStart + chunkTotal;
      if (inChunk > 0 && pause > 0) deadline = std::min(deadline, lastByte + pause);
      const int64_t wait = deadline - line.NowMs();
      if (wait <= 0) break;
      port_.SetTimeouts(FirstByteTimeouts(saved, wait));
      const std::string got = port_.ReadText(kChunkSize - inChunk);
      if (got.empty()) break;
      answer += got;
      inChunk += static_cast<int>(got.size());
      lastByte = line.NowMs();
      TProgressMarker marker;
      if (TrackProgress(answer, markers, marker)) {
        markerInChunk = true;
        lastPart = marker.Part == marker.Count;
      }
      if (inChunk == kChunkSize) {
        if (CutAnswer(start, answer)) break;
        chunkStart = lastByte;
        chunkTotal = markerInChunk ? answerTimeout : LineTimeout(settings_.TimeoutInterval);
        inChunk = 0;
        markerInChunk = false;
      }
      if (lastPart && answer.size() > echoEnd && EndsWithPrompt(answer)) break;
    }
  } catch (...) {
    // The session's failure path takes over; the port keeps the ordinary read rules.
    try {
      port_.SetTimeouts(saved);
    } catch (...) {
    }
    markerBytesExamined_ = markers.BytesExamined();
    throw;
  }
  markerBytesExamined_ = markers.BytesExamined();
  port_.SetTimeouts(saved);
}

bool TCommandTransaction::CutAnswer(int64_t start, std::string& answer) {
  std::string reason;
  if (answer.size() >= kMaxAnswerBytes) {
    answer.resize(kMaxAnswerBytes);
    reason = Text(TText::AnswerLargerThan, {std::to_string(kMaxAnswerBytes >> 20)});
  } else if (port_.Platform().NowMs() - start >= kMaxAnswerFlowMs) {
    reason = Text(TText::AnswerEndlessFlow, {std::to_string(kMaxAnswerFlowMs / 1000)});
  } else {
    return false;
  }
  answerCut_ = true;
  log_.WriteLog(Text(TText::AnswerCut, {reason}), 4);
  return true;
}

bool TCommandTransaction::TrackProgress(const std::string& answer, TProgressMarkerScanner& markers,
                                        TProgressMarker& marker) {
  // Only the bytes new since the last chunk are looked at: a long answer without markers would
  // otherwise be searched again whole for every chunk.
  if (!markers.Feed(answer, marker)) return false;
  if (!barTaken_) {
    savedMax_ = progress_.Max();
    savedPosition_ = progress_.Position();
    barTaken_ = true;
  }
  if (marker.Count < progress_.Position()) progress_.SetPosition(0);
  progress_.SetMax(marker.Count);
  progress_.SetPosition(marker.Part > progress_.Max() ? progress_.Max() : marker.Part);
  return true;
}

void TCommandTransaction::RestoreProgress() {
  if (!barTaken_) return;
  barTaken_ = false;
  progress_.SetPosition(0);
  progress_.SetMax(savedMax_);
  progress_.SetPosition(savedPosition_);
}

}  // namespace quillon
