#include "link/terminal_session.h"

#include <exception>

#include "link/com_port.h"
#include "link/command_transaction.h"
#include "link/line_timeouts.h"
#include "link/log_model.h"
#include "link/port_diagnosis.h"
#include "link/session_ui.h"
#include "profile/command_profile.h"
#include "profile/fixed_texts.h"
#include "settings/settings.h"

namespace quillon {

namespace {

// The terminal's command-mode access code; sent as CR + code.
constexpr const char* kAccessCode = "4817365";

// Counts nesting, so a retry inside the failure path still counts as a running transaction.
class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

std::string ErrorMessage(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown error";
  }
}

// The system's error code behind a port failure; 0 when there is none.
int SystemCode(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const EComPort& e) {
    return e.SystemCode();
  } catch (...) {
    return 0;
  }
}

bool EndsWithPrompt(const std::string& answer) {
  if (answer.size() < 2) return false;
  const char before = answer[answer.size() - 2];
  return answer.back() == '>' && (before == '\r' || before == '\n');
}

// The answer as the log shows it: when the caller hid something in the request's log text (the
// password), the terminal's echo of the request at the front of the answer is hidden the same way.
std::string AnswerForLog(const std::string& answer, const std::string& cmd,
                         const std::string& logText) {
  std::string request = cmd;
  if (!request.empty() && request.back() == '\r' && (logText.empty() || logText.back() != '\r'))
    request.pop_back();
  if (request.empty() || logText == request || answer.compare(0, request.size(), request) != 0)
    return answer;
  return logText + answer.substr(request.size());
}

}  // namespace

TTerminalSession::TTerminalSession(TComPort& port, TLogModel& log, const TSettings& settings,
                                   ISessionUi& ui, IProgressBar& progress)
    : port_(port), log_(log), settings_(settings), ui_(ui), progress_(progress) {}

void TTerminalSession::SetProfileCommands(const CommandProfile* profile,
                                          std::function<bool(int page, int command)> applyCommand) {
  profile_ = profile;
  applyCommand_ = std::move(applyCommand);
}

// ---------------------------------------------------------------------------------------------
// The transaction

void TTerminalSession::ExecuteCommand(std::string cmd, bool& error, std::string logText,
                                      bool noWait, bool appendCR, bool noReconnect, int timeout,
                                      std::string& answer) {
  DepthGuard depth(transactionDepth_);
  answer.clear();
  lastAnswer_.clear();
  error = false;
  lastAnswerCut_ = false;
  if (logText.empty()) logText = cmd;
  const int answerTimeout = timeout > 0 ? timeout : LineTimeout(settings_.Timeout);
  const bool meantForCommandMode = InCommandMode;
  if (!PortReadyForTransaction(noReconnect)) return;
  if (appendCR) cmd += '\r';

  std::exception_ptr failure;
  {
    TCommandTransaction transaction(port_, log_, settings_, progress_, fastAnswer_);
    try {
      if (!transaction.Run(cmd, logText, noWait, answerTimeout, error, answer)) return;
    } catch (...) {
      failure = std::current_exception();
    }
    lastAnswerCut_ = transaction.AnswerCut();
    transaction.RestoreProgress();
  }
  if (failure)
    TransferFailed(ErrorMessage(failure), SystemCode(failure), cmd, error, logText, noWait,
                   noReconnect, meantForCommandMode, answer);
  try {
    port_.SetReadTotalConstant(LineTimeout(settings_.Timeout));
  } catch (const std::exception& e) {
    // The device failed while the time-out was reset: the next transaction reopens the port.
    log_.WriteLog(Text(TText::ReadError, {e.what()}), 2);
    DropSession();
  }
  log_.WriteLog(AnswerForLog(answer, cmd, logText), 0);
  lastAnswer_ = answer;
}

void TTerminalSession::SendCommand(const std::string& cmd, const std::string& logText, bool noWait,
                                   bool noReconnect, std::string& answer) {
  bool error = false;
  ExecuteCommand(cmd, error, logText, noWait, true, noReconnect, -1, answer);
}

bool TTerminalSession::PortReadyForTransaction(bool noReconnect) {
  if (IsPortOpen() || OpenPort()) return true;
  if (noReconnect) return false;
  WaitForDevice();
  return IsPortOpen();
}

void TTerminalSession::TransferFailed(const std::string& message, int systemCode,
                                      const std::string& cmd, bool& error,
                                      const std::string& logText, bool noWait, bool noReconnect,
                                      bool meantForCommandMode, std::string& answer) {
  log_.WriteLog(Text(TText::ReadError, {message}), 2);
  lastPortError_ = message;
  lastPortCode_ = systemCode;
  error = true;
  DropSession();
  if (noReconnect) return;
  // The question names the port and what happened to it, so the operator knows what to fix.
  const std::string cause = systemCode > 0 ? PortFailureCause(port_.Port(), systemCode) : message;
  if (!ui_.AskRetry(port_.Port() + ": " + cause)) return;
  // The device may have been unplugged and plugged in again, the terminal restarted: it is out
  // of command mode. A request meant for command mode goes out again only once the session is
  // back; if the operator stops that, the transfer stays failed.
  if (meantForCommandMode && !EnsureSession()) return;
  // The request already carries its CR; the repeat waits the general time-out.
  ExecuteCommand(cmd, error, logText, noWait, false, noReconnect, -1, answer);
}

void TTerminalSession::DropSession() {
  InCommandMode = false;
  port_.SetConnected(false);
  UpdateLinkIndicators();
}

// ---------------------------------------------------------------------------------------------
// The session

bool TTerminalSession::IsPortOpen() const {
  return port_.Connected();
}

bool TTerminalSession::OpenPort() {
  if (!IsPortOpen()) {
    try {
      port_.Open();
    } catch (const std::exception& e) {
      const auto* portError = dynamic_cast<const EComPort*>(&e);
      lastPortError_ = e.what();
      lastPortCode_ = portError ? portError->SystemCode() : 0;
      log_.WriteLog(Text(TText::CannotOpenPort, {e.what()}), 4);
      return false;
    }
    lastPortError_.clear();
    lastPortCode_ = 0;
  }
  UpdateLinkIndicators();
  return IsPortOpen();
}

void TTerminalSession::SetPortOpen(bool open) {
  if (open == IsPortOpen()) return;
  if (open)
    OpenPort();
  else
    port_.Close();
  UpdateLinkIndicators();
}

void TTerminalSession::UpdateLinkIndicators() {
  ui_.LinkStateChanged(port_.Port(), std::to_string(port_.CustomBaudRate()), IsPortOpen(),
                       InCommandMode);
}

bool TTerminalSession::EnsureSession() {
  if (InCommandMode) return true;
  if (!IsPortOpen() && !OpenPort()) {
    WaitForDevice();
    if (!IsPortOpen()) return false;
  }
  InCommandMode = EnterCommandMode();
  UpdateLinkIndicators();
  return InCommandMode;
}

bool TTerminalSession::EnterCommandMode() {
  progress_.SetPosition(0);
  progress_.SetMax(1);
  int tries = 0;
  ReportPortState();
  const bool ok = ui_.RunEntryWindow([this, &tries] {
    if (EntryTry(++tries)) return true;
    ReportPortState();
    return false;
  });
  progress_.SetPosition(0);
  return ok;
}

bool TTerminalSession::EntryTry(int tryNumber) {
  progress_.SetMax(progress_.Max() + 1);
  progress_.SetPosition(progress_.Position() + 1);
  const std::string code = std::string("\r") + kAccessCode;
  bool error = false;
  std::string answer;
  ExecuteCommand(code, error, "", false, true, true, -1, answer);
  bool ok = false;
  if (settings_.ConnectMethod == 1 && !error && answer == code + "\r") {
    ok = true;
    log_.WriteLog(Text(TText::AlreadyInCommandMode), 4);
  }
  if (error) {
    log_.WriteLog(Text(TText::LinkError), 4);
    return ok;
  }
  if (EndsWithPrompt(answer)) return true;
  // Every fifth try asks a terminal stuck in command mode with a half-typed line to leave it. Not
  // once the terminal has answered as one already in command mode: that would throw it out of
  // the mode the session is about to believe in.
  if (tryNumber % 5 == 0 && !ok) {
    ExecuteCommand("AT+TEXT=" + settings_.EffectivePassword + ",", error, "AT+TEXT=*,", false, true,
                   true, -1, answer);
    if (error) log_.WriteLog(Text(TText::LinkError), 4);
  }
  return ok;
}

bool TTerminalSession::WaitForDevice() {
  ReportPortState();
  return ui_.RunReconnectWindow([this] {
    if (OpenPort()) return true;
    ReportPortState();
    return false;
  });
}

void TTerminalSession::ReportPortState() {
  ui_.ShowPortState(port_.Port(), lastPortError_, !PortFailureNeedsOperator(lastPortCode_));
}

bool TTerminalSession::PortOpenInCommandMode() {
  if (!IsPortOpen()) OpenPort();
  return IsPortOpen() && InCommandMode;
}

bool TTerminalSession::ApplyProfileCommand(const char* name) {
  int page = 0;
  int command = 0;
  if (profile_ == nullptr || !applyCommand_ || !profile_->FindCommand(name, page, command))
    return false;
  applyCommand_(page, command);
  return true;
}

void TTerminalSession::LeaveCommandMode() {
  if (!PortOpenInCommandMode()) return;
  if (ApplyProfileCommand("+TEXT")) return;
  log_.WriteLog(Text(TText::TextCommandMissing), 4);
  std::string answer;
  SendCommand("AT+TEXT=" + settings_.EffectivePassword + ",", "AT+TEXT=*,", true, true, answer);
  InCommandMode = false;
  UpdateLinkIndicators();
}

bool TTerminalSession::StoreSettingsToFlash() {
  if (!PortOpenInCommandMode()) return false;
  if (ApplyProfileCommand("+SAVE")) return true;
  log_.WriteLog(Text(TText::SaveCommandMissing), 4);
  std::string answer;
  SendCommand("AT+SAVE=" + settings_.EffectivePassword + ",", "AT+SAVE=*,", false, false, answer);
  return true;
}

void TTerminalSession::IdlePortCheck() {
  if (TransactionRunning() || !IsPortOpen()) return;
  try {
    const char nul = 0;
    port_.WriteBytes(&nul, 1);
  } catch (...) {
    DeviceDisconnected();
  }
}

void TTerminalSession::DispatchPortEvents() {
  if (TransactionRunning() || !IsPortOpen()) return;
  try {
    port_.DispatchEvents();
  } catch (const EComPort&) {
    DeviceDisconnected();
  }
}

void TTerminalSession::DeviceDisconnected() {
  log_.WriteLog("Device disconnected", 4);
  InCommandMode = false;
  SetPortOpen(false);
}

}  // namespace quillon
