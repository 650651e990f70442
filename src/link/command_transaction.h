// The exchange inside one transaction: purge, byte-wise write, echo and the answer in chunks,
// with the progress bar driven by the answer's progress markers. Port failures are thrown to the
// caller (TTerminalSession::ExecuteCommand), which owns the failure path.
//
// With fast answers the answer read keeps the same time-outs but also ends as soon as the answer
// ends with the terminal's prompt (CR ">" or LF ">"); an answer in marked parts only once its
// marker for the last part (n = m) has come. Without them an answer ends only when the line falls
// quiet, which costs a whole time-out per request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon {

class TComPort;
class TProgressMarkerScanner;
struct TProgressMarker;
class TLogModel;
class IProgressBar;
struct TSettings;

class TCommandTransaction {
 public:
  static constexpr int kChunkSize = 100;
  // A terminal that never falls quiet would keep the read going for ever: the answer is cut at
  // this size or after this long a flow without a pause, whichever comes first.
  static constexpr size_t kMaxAnswerBytes = size_t{16} << 20;
  static constexpr int64_t kMaxAnswerFlowMs = 120000;

  TCommandTransaction(TComPort& port, TLogModel& log, const TSettings& settings,
                      IProgressBar& progress, bool fastAnswer = false);
  ~TCommandTransaction();  // gives the progress bar back if an error left it taken over

  // Writes cmd (CR already appended by the caller when wanted) and logs logText. Returns false
  // when it stopped after the write (a short write sets error; noWait), true when it read the
  // echo and the answer into answer.
  bool Run(const std::string& cmd, const std::string& logText, bool noWait, int answerTimeout,
           bool& error, std::string& answer);

  // Gives the progress bar back to its previous state, if the answer took it over.
  void RestoreProgress();

  // Bytes the progress-marker search looked at while reading the last answer.
  size_t MarkerBytesExamined() const { return markerBytesExamined_; }
  // True when the answer was cut at kMaxAnswerBytes or kMaxAnswerFlowMs: it is incomplete.
  bool AnswerCut() const { return answerCut_; }

 private:
  int WriteByteWise(const std::string& cmd);
  // Returns the total time-out of the first answer read.
  int ReadEcho(const std::string& cmd, int answerTimeout, std::string& answer);
  void ReadAnswer(int answerTimeout, std::string& answer);
  void ReadAnswerFast(int firstTotal, int answerTimeout, std::string& answer);
  // Ends the answer when it is too large or has flowed too long, with a log line.
  bool CutAnswer(int64_t start, std::string& answer);
  // True when the new bytes completed a progress marker; fills marker with the last one.
  bool TrackProgress(const std::string& answer, TProgressMarkerScanner& markers,
                     TProgressMarker& marker);

  TComPort& port_;
  TLogModel& log_;
  const TSettings& settings_;
  IProgressBar& progress_;
  const bool fastAnswer_;
  bool barTaken_ = false;
  int savedMax_ = 0;
  int savedPosition_ = 0;
  size_t markerBytesExamined_ = 0;
  bool answerCut_ = false;
};

}  // namespace quillon
