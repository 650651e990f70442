// The command engine wired for the command line, as the main window wires it, with the console
// policy: the headless editor, the session, the response processors watched per command, and
// the protocol log filtered onto stderr. Shared by poll, apply, store, leave and config.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "editor/headless_editor.h"
#include "engine/batch_operations.h"
#include "engine/command_engine.h"
#include "engine/recording_editor.h"
#include "engine/write_verification.h"
#include "link/com_port.h"
#include "link/console_link.h"
#include "link/console_session_ui.h"
#include "link/log_model.h"
#include "link/terminal_session.h"
#include "profile/command_profile.h"
#include "settings/settings.h"

namespace quillon::cli {

// Exit codes beyond the link's (0 ok, 1 failure, 2 usage, 3 port, 4 command mode, 5 transfer).
enum TEngineExit : int {
  ceRefused = 6,       // the terminal refused: password, permission or parameters
  ceNotSupported = 7,  // the terminal does not know the command
  ceNoAnswer = 8,      // the expected answer did not come
  ceDiffers = 9,       // written, but read back different
  ceIncomplete = 10,   // an answer without all the values it should hold
};

// The exit code of a write's outcome: ceOk when verified or taken with nothing to compare.
int WriteExitCode(TWriteResult result);

// Help lines of the options ParseEngineOptions takes, with the exit codes.
extern const char kEngineHelp[];

// "quillon-cli <command>: <message>" on stderr.
void Fail(const char* command, const std::string& utf8Message);
std::string Utf8(const std::string& cp1251);

// The address of D1 for messages: NAME, NAME#K for an instance of an indexed command (instance
// from 0, shown from 1), with [P] for a parameter when param is not negative.
std::string Address(const TDevCommand& command, int instance, int param = -1);

// The options the engine commands share beyond the link's.
struct TEngineOptions {
  TConsoleLinkOptions Link;
  std::string ProfileFile;
  std::optional<std::string> MasterPassword;
  std::optional<int32_t> RetryCount;
  bool Json = false;
};

// Takes the engine options out of args; what is left goes to rest. False with a message.
bool ParseEngineOptions(const std::vector<std::string>& args, TEngineOptions& options,
                        std::vector<std::string>& rest, std::string& error);

// Loads the profile and the settings; false with a message when the profile has nothing.
bool LoadProfileAndSettings(const char* command, const TEngineOptions& options,
                            CommandProfile& profile, TSettings& settings);

// The command-line session UI: as the link commands answer, but every message box (a refusal
// by the terminal) is counted as a failure and names the command it came for.
class TEngineSessionUi : public TConsoleSessionUi {
 public:
  using TConsoleSessionUi::TConsoleSessionUi;

  void ShowMessage(const std::string& text) override;

  int Refusals = 0;
  std::string CurrentCommand;
  std::string LastMessage;  // the text of the last message box
};

class TEngineCli {
 public:
  // The profile's registry is filled with this run's processors.
  TEngineCli(CommandProfile& profile, const TSettings& settings, const TEngineOptions& options);

  // EnsureSession with an exit code: ceOk, cePortNotOpened or ceNoCommandMode, with a message.
  int Connect();

  // What the last answer to the command showed; nothing when it was never answered.
  std::optional<bool> Recognized(int page, int command) const;
  bool Dispatched(int page, int command) const { return recognized_.count({page, command}) > 0; }

  // Exit code for one command after its request: refusal, not supported, no answer or ok.
  int CommandOutcome(int page, int command) const;

  // The password the profile's command of that name (or the built-in request, when the profile
  // lacks it) would carry is there; else false with a message for the subcommand.
  bool SessionCommandPassword(const char* name, const char* subcommand) const;
  // Store into flash and leave command mode as the main window's menu items do, the terminal
  // being in command mode; then judge its answer: ceOk, ceRefused, ceNotSupported, ceNoAnswer,
  // ceTransferError, or ceFailure when the terminal reports an error of its own.
  int StoreIntoFlash();
  int LeaveCommandMode();

  // The raw answer of one poll of the command, for a write that is verified by reading back.
  std::string PollAnswer(const TDevCommand& command);
  // Judges the last apply of the instance (from 0) that sent these values.
  TWriteVerification VerifyApplied(int page, int command, int instance, const TSentValues& sent);

  CommandProfile& Profile;
  TSettings Settings;
  TComPort Port;
  TLogModel Log;
  TEngineSessionUi Ui;
  TMemoryProgressBar Progress;
  TTerminalSession Session;
  std::unique_ptr<THeadlessEditor> Editor;
  // The editor as the engine sees it: notes what the answers (or a loaded file) put in.
  std::unique_ptr<TRecordingEditor> Recorder;
  std::unique_ptr<TCommandEngine> Engine;
  std::unique_ptr<TBatchOperations> Batch;

 private:
  void WatchProcessors();
  int JudgeSessionCommand(const char* name);
  void PrintLogLine(std::string text);
  static size_t FailurePrefixLength(const std::string& line);

  bool verbose_ = false;
  std::map<std::pair<int, int>, bool> recognized_;
  std::set<std::pair<int, int>> refused_;
  std::set<std::pair<int, int>> cut_;               // commands whose answer was cut
  std::set<std::pair<int, int>> incompleteTables_;  // table answers without their closing line
};

}  // namespace quillon::cli
