// The link to the terminal as the rest of the logic sees it: one transaction at a time
// (ExecuteCommand, SendCommand) and the command-mode session around it (port open state,
// InCommandMode, entry, reconnect, leaving, storing into flash, the idle port watch).
#pragma once

#include <functional>
#include <string>

namespace quillon {

class TComPort;
class TLogModel;
class ISessionUi;
class IProgressBar;
class CommandProfile;
struct TSettings;

class TTerminalSession {
 public:
  TTerminalSession(TComPort& port, TLogModel& log, const TSettings& settings, ISessionUi& ui,
                   IProgressBar& progress);

  // True while the terminal is known to be in command mode.
  bool InCommandMode = false;

  // One exchange with the terminal; raises nothing.
  void ExecuteCommand(std::string cmd, bool& error, std::string logText, bool noWait, bool appendCR,
                      bool noReconnect, int timeout, std::string& answer);
  void SendCommand(const std::string& cmd, const std::string& logText, bool noWait,
                   bool noReconnect, std::string& answer);
  // The answer of the last transaction, as it was returned: for callers that judge an answer
  // the session itself does not examine (storing into flash, leaving command mode).
  const std::string& LastAnswer() const { return lastAnswer_; }
  // True when the last transaction's answer was cut at the size or flow bound: it is
  // incomplete, though no transfer error occurred.
  bool LastAnswerCut() const { return lastAnswerCut_; }

  // Fast answers: every later transaction's answer ends at the terminal's prompt instead of
  // waiting for the line to fall quiet (see TCommandTransaction). Off by default.
  void SetFastAnswer(bool on) { fastAnswer_ = on; }
  bool FastAnswer() const { return fastAnswer_; }

  bool IsPortOpen() const;
  bool OpenPort();
  void SetPortOpen(bool open);
  void UpdateLinkIndicators();
  bool EnsureSession();
  bool EnterCommandMode();
  bool WaitForDevice();
  void LeaveCommandMode();
  // True when the request went out (the port open and the terminal in command mode); its answer
  // is LastAnswer().
  bool StoreSettingsToFlash();
  // The idle port watch: one NUL byte while the port is open; a failure drops the session.
  void IdlePortCheck();
  // The port's event path for the front end: call when the port's readiness handle polls
  // readable. Keeps out of transactions; a vanished device drops the session like the idle
  // watch does.
  void DispatchPortEvents();
  // True while a transaction runs (the idle watch and the event path must keep out).
  bool TransactionRunning() const { return transactionDepth_ > 0; }

  // The command engine hands in the profile and its apply routine, so that leaving command
  // mode and storing into flash send the profile's "+TEXT" and "+SAVE" when it has them.
  void SetProfileCommands(const CommandProfile* profile,
                          std::function<bool(int page, int command)> applyCommand);

  TComPort& Port() { return port_; }
  TLogModel& Log() { return log_; }
  const TSettings& Settings() const { return settings_; }
  ISessionUi& Ui() { return ui_; }
  IProgressBar& Progress() { return progress_; }

 private:
  bool PortReadyForTransaction(bool noReconnect);
  void TransferFailed(const std::string& message, int systemCode, const std::string& cmd,
                      bool& error, const std::string& logText, bool noWait, bool noReconnect,
                      bool meantForCommandMode, std::string& answer);
  void DropSession();
  void DeviceDisconnected();
  bool EntryTry(int tryNumber);
  void ReportPortState();
  bool PortOpenInCommandMode();
  bool ApplyProfileCommand(const char* name);

  TComPort& port_;
  TLogModel& log_;
  const TSettings& settings_;
  ISessionUi& ui_;
  IProgressBar& progress_;
  const CommandProfile* profile_ = nullptr;
  std::function<bool(int, int)> applyCommand_;
  int transactionDepth_ = 0;
  std::string lastAnswer_;
  bool lastAnswerCut_ = false;
  bool fastAnswer_ = false;
  // The last port error's text and system code, for the reconnect and entry windows; cleared
  // when the port opens.
  std::string lastPortError_;
  int lastPortCode_ = 0;
};

}  // namespace quillon
