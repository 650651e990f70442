// The simulated terminal's protocol: bytes received in, bytes to send out with their timing.
// No I/O of its own; the transport feeds it and writes what it queues.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "profile/command_profile.h"
#include "sim/sim_device_state.h"
#include "sim/sim_options.h"
#include "sim/sim_status_reporter.h"
#include "sim/sim_value_checker.h"

namespace quillon {

class TSimProtocolEngine {
 public:
  // One piece of output. It goes out no earlier than DueMs, and no earlier than PauseMs after
  // the previous chunk has gone out completely.
  struct TChunk {
    int64_t DueMs = 0;
    int32_t PauseMs = 0;
    std::string Bytes;
  };

  static constexpr const char* kAccessCode = "4817365";

  // nowMs is the engine clock at start (the clock the caller passes to Receive and Tick);
  // startUtc the wall-clock time in seconds, for the time and date of the status reports.
  TSimProtocolEngine(const CommandProfile& profile, const TSimOptions& options, int64_t nowMs,
                     int64_t startUtc);

  void Receive(const std::string& bytes, int64_t nowMs);
  // Queues the status reports that are due.
  void Tick(int64_t nowMs);
  // When Tick has something to do next; INT64_MAX when nothing.
  int64_t NextTickMs() const;

  bool TakeChunk(TChunk& chunk);
  bool HasOutput() const { return !output_.empty(); }

  bool InCommandMode() const { return commandMode_; }
  bool ReportsRunning() const { return reportsRunning_; }
  bool HangUpRequested() const { return hangUp_; }

  TSimDeviceState& State() { return state_; }
  // Loads the --state file when there is one and it exists.
  void LoadStateFile();

  // Receives one line per request and per answer when set.
  void SetTrace(std::function<void(const std::string&)> trace) { trace_ = std::move(trace); }

 private:
  enum TBuiltIn { biNone, biText, biReboot, biSave, biStatus };
  enum TLevel { lvNone, lvUser, lvMaster };

  // The command a request names: a profile command, a built-in, or both.
  struct TTarget {
    std::string Bare;  // the name without "+", as answers carry it
    const TDevCommand* Command = nullptr;
    int Page = -1;
    int Index = -1;
    TBuiltIn BuiltIn = biNone;
  };

  void ReceiveByte(char c, int64_t nowMs);
  void Echo(char c, int64_t nowMs);
  void HandleLine(const std::string& line, int64_t nowMs);
  void HandleRequest(const std::string& line, int64_t nowMs);
  bool Resolve(const std::string& name, TTarget& target) const;
  bool IgnoresSet(const TTarget& target) const;
  bool IsUnsupported(const std::string& bare) const;

  void Poll(const TTarget& target, int64_t nowMs);
  void Apply(const TTarget& target, const std::string& arguments, int64_t nowMs);
  void ApplyBuiltIn(const TTarget& target, const std::vector<std::string>& items, int64_t nowMs);
  // Empty when the values were taken, else the refusal keyword.
  std::string StoreValues(const TTarget& target, const std::vector<std::string>& items);

  TLevel PasswordLevel(const std::string& password) const;
  static bool LevelEnough(TLevel level, TPasswordMode mode);
  bool IsExitCommand(const TTarget& target) const;

  std::string ValuesLine(const TTarget& target) const;
  std::vector<std::string> TableLines(const TTarget& target) const;
  void Refuse(const TTarget& target, const std::string& keyword, int64_t nowMs);

  void Answer(const std::vector<std::string>& lines, bool prompt, int64_t nowMs);
  std::vector<std::string> SplitIntoParts(const std::vector<std::string>& lines) const;
  std::string NoiseLine();
  void Queue(int64_t dueMs, int32_t pauseMs, std::string bytes);
  void Trace(const std::string& text) const;

  const CommandProfile& profile_;
  TSimOptions options_;
  TSimDeviceState state_;
  TSimValueChecker checker_;
  TSimStatusReporter reporter_;
  std::mt19937 random_;
  std::set<std::string> unsupported_;  // upper case, without "+"
  std::function<void(const std::string&)> trace_;

  std::deque<TChunk> output_;
  std::string line_;
  int64_t startMs_;
  int64_t bytesReceived_ = 0;
  int32_t requests_ = 0;
  bool commandMode_ = false;
  bool silent_ = false;
  bool echoChunkOpen_ = false;  // the last queued chunk is echo and may grow
  bool lineOpen_ = false;       // the output so far ends inside a line
  bool hangUp_ = false;
  bool reportsRunning_ = false;
  int64_t nextReportMs_ = 0;
};

}  // namespace quillon
