#include "link/command_transaction.h"

#include <thread>

#include "link/com_port.h"
#include "link/line_timeouts.h"
#include "link/log_model.h"
#include "link/progress_marker.h"
#include "link/session_ui.h"
#include "profile/fixed_texts.h"
#include "settings/settings.h"

namespace quillon {

TCommandTransaction::TCommandTransaction(TComPort& port, TLogModel& log, const TSettings& settings,
                                         IProgressBar& progress)
    : port_(port), log_(log), settings_(settings), progress_(progress) {}

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
  ReadEcho(cmd, answerTimeout, answer);
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

void TCommandTransaction::ReadEcho(const std::string& cmd, int answerTimeout, std::string& answer) {
  port_.SetReadTotalConstant(LineTimeout(settings_.TimeoutEcho));
  answer = port_.ReadText(static_cast<int>(cmd.size()));
  // Without a good echo the terminal is probably not listening: wait only for a pause.
  port_.SetReadTotalConstant(answer == cmd ? answerTimeout
                                           : LineTimeout(settings_.TimeoutInterval));
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
    TrackProgress(answer, markers, answerTimeout);
    if (!full) break;
  }
  markerBytesExamined_ = markers.BytesExamined();
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

void TCommandTransaction::TrackProgress(const std::string& answer, TProgressMarkerScanner& markers,
                                        int answerTimeout) {
  // Only the bytes new since the last chunk are looked at: a long answer without markers would
  // otherwise be searched again whole for every chunk.
  TProgressMarker marker;
  if (!markers.Feed(answer, marker)) return;
  if (!barTaken_) {
    savedMax_ = progress_.Max();
    savedPosition_ = progress_.Position();
    barTaken_ = true;
  }
  if (marker.Count < progress_.Position()) progress_.SetPosition(0);
  progress_.SetMax(marker.Count);
  progress_.SetPosition(marker.Part > progress_.Max() ? progress_.Max() : marker.Part);
  // The next part may take as long as a fresh answer.
  port_.SetReadTotalConstant(answerTimeout);
}

void TCommandTransaction::RestoreProgress() {
  if (!barTaken_) return;
  barTaken_ = false;
  progress_.SetPosition(0);
  progress_.SetMax(savedMax_);
  progress_.SetPosition(savedPosition_);
}

}  // namespace quillon
