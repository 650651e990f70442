// Everything a command-line link session needs, wired together: settings from the settings file
// with command-line overrides, the port, the protocol log (optionally echoed to stderr), the
// console session policy and the session itself. Used by the link and engine commands of
// quillon-cli.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/com_port.h"
#include "link/console_session_ui.h"
#include "link/log_model.h"
#include "link/session_ui.h"
#include "link/terminal_session.h"
#include "settings/settings.h"

namespace quillon {

class CommandProfile;

// Exit codes of the link commands.
enum TConsoleExit : int {
  ceOk = 0,
  ceFailure = 1,
  ceUsage = 2,
  cePortNotOpened = 3,
  ceNoCommandMode = 4,
  ceTransferError = 5,
  ceIncomplete = 10,  // an answer cut at the size or flow bound
};

struct TConsoleLinkOptions {
  std::string Port;  // empty: the COM setting
  int ConnectTries = 10;
  bool Verbose = false;
  bool Fast = false;  // answers end at the terminal's prompt
  std::optional<int32_t> Timeout, TimeoutInterval, TimeoutEcho, Speed;
  std::optional<std::string> Password;

  // Takes the common options out of args: --port P, --timeout MS, --timeout-interval MS,
  // --timeout-echo MS, --speed BAUD, --password P, --connect-tries N, --verbose, --fast. Other
  // arguments are left in rest, in order. False with a message for a missing or bad value.
  bool Parse(const std::vector<std::string>& args, std::vector<std::string>& rest,
             std::string& error);
  static const char* Help();
  void ApplyTo(TSettings& settings) const;
};

// The settings file beside the executable; defaults where it is missing.
TSettings LoadConsoleSettings(const CommandProfile& profile);
// Same, but false with a message on stderr when the file was refused (not a regular file, or
// too large): a command line run then ends with exit code 1.
bool LoadConsoleSettings(const CommandProfile& profile, TSettings& settings);

class TConsoleLink {
 public:
  TConsoleLink(const TSettings& settings, const TConsoleLinkOptions& options);

  // EnsureSession with an exit code: ceOk, cePortNotOpened or ceNoCommandMode, with a message on
  // stderr for the failures.
  int Connect();
  // Opens the port only (ceOk or cePortNotOpened).
  int OpenOnly();
  // "quillon-cli: <what>: <reason>" on stderr, the reason being the last protocol log line.
  void ReportFailure(const std::string& what) const;

  TSettings Settings;
  TComPort Port;
  TLogModel Log;
  TConsoleSessionUi Ui;
  TMemoryProgressBar Progress;
  TTerminalSession Session;

 private:
  bool verbose_ = false;
};

}  // namespace quillon
