// A session wired to a simulated line, with a scriptable front end, for the link tests.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/com_port.h"
#include "link/log_model.h"
#include "link/serial_sim.h"
#include "link/session_ui.h"
#include "link/terminal_session.h"
#include "settings/settings.h"

namespace quillon::test {

// Plays the operator: answers retry questions from a list, gives the reconnect and entry windows
// a fixed number of attempts, and records what the session showed.
class TScriptedUi : public ISessionUi {
 public:
  std::deque<bool> retryAnswers;  // empty: Cancel
  int reconnectAttempts = 1;
  std::function<void(int attempt)> onReconnectAttempt;  // before each attempt, from 1
  int entryTries = 10;

  int retryQuestions = 0;
  int reconnectWindows = 0;
  int entryWindows = 0;
  int entryTriesRun = 0;
  std::vector<std::string> messages;
  struct LinkState {
    std::string port, baud;
    bool open = false, command = false;
  };
  std::vector<LinkState> linkStates;
  std::vector<std::pair<std::string, std::string>> portStates;  // port, last error
  std::vector<bool> retryHelps;                                 // with each port state

  std::vector<std::string> retryDetails;

  bool AskRetry(const std::string& detail) override {
    ++retryQuestions;
    retryDetails.push_back(detail);
    if (retryAnswers.empty()) return false;
    const bool answer = retryAnswers.front();
    retryAnswers.pop_front();
    return answer;
  }
  bool RunReconnectWindow(const std::function<bool()>& tryOpen) override {
    ++reconnectWindows;
    for (int i = 0; i < reconnectAttempts; ++i) {
      if (onReconnectAttempt) onReconnectAttempt(i + 1);
      if (tryOpen()) return true;
    }
    return false;
  }
  bool RunEntryWindow(const std::function<bool()>& oneTry) override {
    ++entryWindows;
    for (int i = 0; i < entryTries; ++i) {
      ++entryTriesRun;
      if (oneTry()) return true;
    }
    return false;
  }
  void ShowPortState(const std::string& portName, const std::string& lastError,
                     bool helps) override {
    portStates.emplace_back(portName, lastError);
    retryHelps.push_back(helps);
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void LinkStateChanged(const std::string& portName, const std::string& baudText, bool portOpen,
                        bool inCommandMode) override {
    linkStates.push_back({portName, baudText, portOpen, inCommandMode});
  }
};

inline TSettings DefaultLinkSettings() {
  TSettings s;
  s.COM = "COM7";
  s.Speed = 115200;
  s.DataBits = 8;
  s.Parity = "None";
  s.StopBits = "1";
  s.Timeout = 250;
  s.TimeoutInterval = 250;
  s.TimeoutEcho = 250;
  s.Password = "1234";
  s.EffectivePassword = "1234";
  s.RetryCount = 3;
  return s;
}

struct LinkFixture {
  TSettings settings = DefaultLinkSettings();
  std::shared_ptr<TSimulatedLine> line = std::make_shared<TSimulatedLine>();
  TComPort port{line};
  TLogModel log{settings};
  TScriptedUi ui;
  TMemoryProgressBar progress;
  TTerminalSession session{port, log, settings, ui, progress};

  LinkFixture() { port.ApplyPortSettings(settings); }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    for (const auto& l : log.Lines()) lines.push_back(l.Text);
    return lines;
  }

  // ExecuteCommand with the usual poll arguments unless told otherwise.
  struct Result {
    bool error = false;
    std::string answer;
    int64_t elapsed = 0;
  };
  Result Execute(const std::string& cmd, int timeout = -1, bool noWait = false,
                 bool appendCR = true, bool noReconnect = false, const std::string& logText = "") {
    Result r;
    const int64_t start = line->Now();
    session.ExecuteCommand(cmd, r.error, logText, noWait, appendCR, noReconnect, timeout, r.answer);
    r.elapsed = line->Now() - start;
    return r;
  }
};

}  // namespace quillon::test
