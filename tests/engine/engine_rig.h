// A command engine on the headless editor, talking to a simulated terminal on a virtual clock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/headless_editor.h"
#include "engine/batch_operations.h"
#include "engine/command_engine.h"
#include "engine/response_processors.h"
#include "link/com_port.h"
#include "link/log_model.h"
#include "link/serial_sim.h"
#include "link/session_ui.h"
#include "link/terminal_session.h"
#include "profile/command_profile.h"
#include "settings/settings.h"

namespace quillon::test {

// The session's windows and questions, answered as the test says and recorded.
class TScriptedUi : public ISessionUi {
 public:
  bool RetryAnswer = false;   // what "Повторить попытку?" gets
  int EntryTriesAllowed = 3;  // tries before the operator stops the entry window

  std::vector<std::string> Messages;
  int RetryQuestions = 0;
  int ReconnectWindows = 0;
  int EntryWindows = 0;
  bool LastCommandMode = false;
  bool LastPortOpen = false;

  std::vector<std::string> RetryDetails;  // what each question said had happened

  bool AskRetry(const std::string& detail) override {
    RetryDetails.push_back(detail);
    ++RetryQuestions;
    return RetryAnswer;
  }
  // One open attempt, then the operator stops the window.
  bool RunReconnectWindow(const std::function<bool()>& tryOpen) override {
    ++ReconnectWindows;
    return tryOpen();
  }
  bool RunEntryWindow(const std::function<bool()>& oneTry) override {
    ++EntryWindows;
    for (int i = 0; i < EntryTriesAllowed; ++i)
      if (oneTry()) return true;
    return false;
  }
  void ShowMessage(const std::string& text) override { Messages.push_back(text); }
  void LinkStateChanged(const std::string&, const std::string&, bool portOpen,
                        bool inCommandMode) override {
    LastPortOpen = portOpen;
    LastCommandMode = inCommandMode;
  }
};

// Everything the engine needs, wired as the main window wires it. The terminal echoes every
// byte; the session starts in command mode with the port open unless the test changes that.
class TEngineRig {
 public:
  explicit TEngineRig(const std::string& profileXml) {
    settings.Timeout = 250;
    settings.TimeoutInterval = 250;
    settings.TimeoutEcho = 250;
    settings.RetryCount = 1;
    settings.Password = "111111";
    settings.MasterPassword = "222222";
    settings.EffectivePassword = "222222";
    profile.LoadCommandProfileFromBuffer(profileXml);
    line->SetEcho(true);
    port.SetPort("SIM1");
    editor = std::make_unique<THeadlessEditor>(profile);
    engine = std::make_unique<TCommandEngine>(profile, *editor, session, settings);
    RegisterResponseProcessors(profile, engine->Processors());
    batch = std::make_unique<TBatchOperations>(*engine);
    port.Open();
    session.InCommandMode = true;
  }

  // The protocol log lines of one prefix ("]" notices, ">" sent, "<" received), prefix cut off.
  std::vector<std::string> LogOf(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const TLogLine& l : log.Lines())
      if (l.Text.compare(0, prefix.size(), prefix) == 0)
        out.push_back(l.Text.substr(prefix.size()));
    return out;
  }
  std::vector<std::string> Notices() const { return LogOf("]"); }
  std::vector<std::string> Sent() const { return LogOf(">"); }
  bool LogContains(const std::string& text) const {
    for (const TLogLine& l : log.Lines())
      if (l.Text.find(text) != std::string::npos) return true;
    return false;
  }

  // Where a command sits in the profile.
  ParamAddress At(const std::string& name, int instance = 0) const {
    int page = -1;
    int command = -1;
    profile.FindCommand(name, page, command);
    return ParamAddress{page, command, instance, 0};
  }

  std::shared_ptr<TSimulatedLine> line = std::make_shared<TSimulatedLine>();
  CommandProfile profile;
  TSettings settings;
  TLogModel log{settings};
  TScriptedUi ui;
  TMemoryProgressBar progress;
  TComPort port{line};
  TTerminalSession session{port, log, settings, ui, progress};
  std::unique_ptr<THeadlessEditor> editor;
  std::unique_ptr<TCommandEngine> engine;
  std::unique_ptr<TBatchOperations> batch;
};

}  // namespace quillon::test
