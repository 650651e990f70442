// The command engine wired as quillon-cli wires it, on a port the benchmark chooses (a recorded
// line, or the program's own port layer for a device or a network address), already in command
// mode against a simulated terminal.
#pragma once

#include <memory>
#include <string>

#include "editor/headless_editor.h"
#include "engine/batch_operations.h"
#include "engine/command_engine.h"
#include "engine/response_processors.h"
#include "link/com_port.h"
#include "link/console_session_ui.h"
#include "link/log_model.h"
#include "link/serial_platform.h"
#include "link/session_ui.h"
#include "link/terminal_session.h"
#include "profile/command_profile.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

namespace quillon::bench {

struct TEngineRig {
  CommandProfile Profile;
  TSettings Settings;
  std::unique_ptr<TComPort> Port;
  std::unique_ptr<TLogModel> Log;
  TConsoleSessionUi Ui{10};
  TMemoryProgressBar Progress;
  std::unique_ptr<TTerminalSession> Session;
  std::unique_ptr<THeadlessEditor> Editor;
  std::unique_ptr<TCommandEngine> Engine;
  std::unique_ptr<TBatchOperations> Batch;

  // The simulator's passwords, the given rate and one time-out for Timeout, TimeoutInterval and
  // TimeoutEcho; port is a device or an address. A null platform: the program's own.
  bool Start(const std::string& profileFile, const std::string& port, int baud, int timeoutMs,
             std::shared_ptr<ISerialPlatform> platform, std::string& error) {
    Profile.LoadCommandProfile(profileFile);
    if (Profile.Pages.empty()) {
      error = "no pages in " + profileFile;
      return false;
    }
    TIniFile none(profileFile + ".no-such-settings.ini");
    bool trueCustomer = false;
    LoadSettings(none, Profile, Settings, trueCustomer);
    Settings.COM = port;
    Settings.Speed = baud;
    Settings.Timeout = Settings.TimeoutInterval = Settings.TimeoutEcho = timeoutMs;
    Settings.Password = "1234";
    Settings.MasterPassword = Settings.EffectivePassword = "5678";
    Port = std::make_unique<TComPort>(std::move(platform));
    Port->ApplyPortSettings(Settings);
    Log = std::make_unique<TLogModel>(Settings);
    Session = std::make_unique<TTerminalSession>(*Port, *Log, Settings, Ui, Progress);
    Editor = std::make_unique<THeadlessEditor>(Profile);
    Engine = std::make_unique<TCommandEngine>(Profile, *Editor, *Session, Settings);
    RegisterResponseProcessors(Profile, Engine->Processors());
    Batch = std::make_unique<TBatchOperations>(*Engine);
    if (!Session->EnsureSession()) {
      error = "the simulator did not enter command mode on " + port;
      return false;
    }
    return true;
  }
};

}  // namespace quillon::bench
