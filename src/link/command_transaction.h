// The exchange inside one transaction: purge, byte-wise write, echo and the answer in chunks,
// with the progress bar driven by the answer's progress markers. Port failures are thrown to the
// caller (TTerminalSession::ExecuteCommand), which owns the failure path.
#pragma once

#include <string>

namespace quillon {

class TComPort;
class TLogModel;
class IProgressBar;
struct TSettings;

class TCommandTransaction {
 public:
  static constexpr int kChunkSize = 100;

  TCommandTransaction(TComPort& port, TLogModel& log, const TSettings& settings,
                      IProgressBar& progress);
  ~TCommandTransaction();  // gives the progress bar back if an error left it taken over

  // Writes cmd (CR already appended by the caller when wanted) and logs logText. Returns false
  // when it stopped after the write (a short write sets error; noWait), true when it read the
  // echo and the answer into answer.
  bool Run(const std::string& cmd, const std::string& logText, bool noWait, int answerTimeout,
           bool& error, std::string& answer);

  // Gives the progress bar back to its previous state, if the answer took it over.
  void RestoreProgress();

 private:
  int WriteByteWise(const std::string& cmd);
  void ReadEcho(const std::string& cmd, int answerTimeout, std::string& answer);
  void ReadAnswer(int answerTimeout, std::string& answer);
  void TrackProgress(const std::string& answer, size_t& searchFrom, int answerTimeout);

  TComPort& port_;
  TLogModel& log_;
  const TSettings& settings_;
  IProgressBar& progress_;
  bool barTaken_ = false;
  int savedMax_ = 0;
  int savedPosition_ = 0;
};

}  // namespace quillon
