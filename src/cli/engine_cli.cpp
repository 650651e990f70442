#include "cli/engine_cli.h"

#include <cstdio>

#include "engine/response_processors.h"
#include "link/password_masker.h"
#include "profile/cp1251.h"
#include "profile/text_utils.h"
#include "settings/program_paths.h"

namespace quillon::cli {

const char kEngineHelp[] =
    "  --profile FILE         command profile (default: the program's cmdprofile.xml)\n"
    "  --master-password TEXT master (administrator) password (default: the settings file)\n"
    "  --retry-count N        attempts per request when the answer does not come\n";

int WriteExitCode(TWriteResult result) {
  switch (result) {
    case wrVerified:
    case wrNotVerified:
      return ceOk;
    case wrDiffers:
      return ceDiffers;
    case wrRefused:
      return ceRefused;
    case wrUnsupported:
      return ceNotSupported;
    case wrNoAnswer:
      return ceNoAnswer;
  }
  return ceFailure;
}

void Fail(const char* command, const std::string& utf8Message) {
  std::fprintf(stderr, "quillon-cli %s: %s\n", command, utf8Message.c_str());
}

std::string Utf8(const std::string& cp1251) {
  return Cp1251ToUtf8(cp1251);
}

std::string Address(const TDevCommand& command, int instance, int param) {
  std::string text = Utf8(command.Name);
  if (command.Indexed) text += "#" + std::to_string(instance + 1);
  if (param >= 0) text += "[" + std::to_string(param) + "]";
  return text;
}

// Takes the engine options out of rest; what is left stays in rest. False with a message.
bool ParseEngineOptions(const std::vector<std::string>& args, TEngineOptions& options,
                        std::vector<std::string>& rest, std::string& error) {
  std::vector<std::string> linkRest;
  if (!options.Link.Parse(args, linkRest, error)) return false;
  rest.clear();
  for (size_t i = 0; i < linkRest.size(); ++i) {
    const std::string& a = linkRest[i];
    if (a == "--json") {
      options.Json = true;
      continue;
    }
    if (a != "--profile" && a != "--master-password" && a != "--retry-count") {
      rest.push_back(a);
      continue;
    }
    if (i + 1 >= linkRest.size()) {
      error = "missing value after " + a;
      return false;
    }
    const std::string& v = linkRest[++i];
    if (a == "--profile") {
      options.ProfileFile = v;
    } else if (a == "--master-password") {
      options.MasterPassword = Utf8ToCp1251(v);
    } else {
      int32_t n = 0;
      if (!ParseInt32(v, n) || n < 1) {
        error = "invalid value for --retry-count: '" + v + "'";
        return false;
      }
      options.RetryCount = n;
    }
  }
  return true;
}

// Loads the profile and the settings; false with a message when the profile has nothing.
bool LoadProfileAndSettings(const char* command, const TEngineOptions& options,
                            CommandProfile& profile, TSettings& settings) {
  const std::string file =
      options.ProfileFile.empty() ? ProgramPaths().ProfileFile : options.ProfileFile;
  profile.LoadCommandProfile(file);
  if (profile.FileStatus.Status == TFileReadStatus::Refused) {
    Fail(command, "refused command profile '" + file + "': " + profile.FileStatus.Reason);
    return false;
  }
  if (profile.Pages.empty()) {
    Fail(command, "no pages in the command profile " + file);
    return false;
  }
  // Caps the loader applied (instances, parameters) are worth a word, but not a stop.
  for (const std::string& notice : profile.LoadMessages) Fail(command, Utf8(notice));
  return LoadConsoleSettings(profile, settings);
}

void TEngineSessionUi::ShowMessage(const std::string& text) {
  ++Refusals;
  LastMessage = text;
  std::fprintf(stderr, "quillon-cli: %s%s%s\n", Utf8(CurrentCommand).c_str(),
               CurrentCommand.empty() ? "" : ": ", Utf8(text).c_str());
}

TEngineCli::TEngineCli(CommandProfile& profile, const TSettings& settings,
                       const TEngineOptions& options)
    : Profile(profile),
      Settings(settings),
      Log(Settings),
      Ui(options.Link.ConnectTries),
      Session(Port, Log, Settings, Ui, Progress) {
  options.Link.ApplyTo(Settings);
  if (options.Link.Password) Settings.Password = *options.Link.Password;
  if (options.MasterPassword) Settings.MasterPassword = *options.MasterPassword;
  if (options.RetryCount) Settings.RetryCount = *options.RetryCount;
  Settings.EffectivePassword =
      Settings.MasterPassword.empty() ? Settings.Password : Settings.MasterPassword;
  Port.ApplyPortSettings(Settings);
  Session.SetFastAnswer(options.Link.Fast);
  verbose_ = options.Link.Verbose;
  Log.SetListener([this](const std::vector<TLogLine>& appended, size_t) {
    for (const TLogLine& line : appended) PrintLogLine(line.Text);
  });

  Editor = std::make_unique<THeadlessEditor>(Profile);
  Recorder = std::make_unique<TRecordingEditor>(*Editor);
  Engine = std::make_unique<TCommandEngine>(Profile, *Recorder, Session, Settings);
  RegisterResponseProcessors(Profile, Engine->Processors());
  WatchProcessors();
  Batch = std::make_unique<TBatchOperations>(*Engine);
}

int TEngineCli::Connect() {
  if (Session.EnsureSession()) return ceOk;
  if (!Session.IsPortOpen()) {
    std::fprintf(stderr, "quillon-cli: cannot open port %s\n", Utf8(Port.Port()).c_str());
    return cePortNotOpened;
  }
  std::fprintf(stderr, "quillon-cli: the terminal did not enter command mode after %d tries\n",
               Ui.EntryTries());
  return ceNoCommandMode;
}

std::optional<bool> TEngineCli::Recognized(int page, int command) const {
  auto it = recognized_.find({page, command});
  if (it == recognized_.end()) return std::nullopt;
  return it->second;
}

int TEngineCli::CommandOutcome(int page, int command) const {
  const TDevCommand* cmd = Profile.Command(page, command);
  const std::string name = cmd != nullptr ? Utf8(cmd->Name) : std::string();
  if (refused_.count({page, command}) > 0) return ceRefused;
  if (cut_.count({page, command}) > 0) {
    std::fprintf(stderr, "quillon-cli: %s: answer incomplete (cut at the size or time bound)\n",
                 name.c_str());
    return ceIncomplete;
  }
  if (incompleteTables_.count({page, command}) > 0) {
    std::fprintf(stderr,
                 "quillon-cli: %s: table incomplete (its closing line never came: the terminal "
                 "paused longer than TimeoutInterval)\n",
                 name.c_str());
    return ceIncomplete;
  }
  if (!Editor->GroupEnabled(page, command)) {
    std::fprintf(stderr, "quillon-cli: %s: NOT SUPPORTED by the terminal\n", name.c_str());
    return ceNotSupported;
  }
  if (!Recognized(page, command).value_or(false)) {
    std::fprintf(stderr, "quillon-cli: %s: no answer from the terminal\n", name.c_str());
    return ceNoAnswer;
  }
  return ceOk;
}

bool TEngineCli::SessionCommandPassword(const char* name, const char* subcommand) const {
  int page = -1, command = -1;
  const bool inProfile = Profile.FindCommand(name, page, command) && page >= 0;
  const std::string password = inProfile ? Engine->CommandPassword(*Profile.Command(page, command))
                                         : Settings.EffectivePassword;
  if (!password.empty()) return true;
  Fail(subcommand, std::string("no password for ") + name +
                       " (give --password or --master-password, or set it in the settings file)");
  return false;
}

int TEngineCli::StoreIntoFlash() {
  Session.StoreSettingsToFlash();
  return JudgeSessionCommand("+SAVE");
}

int TEngineCli::LeaveCommandMode() {
  Session.LeaveCommandMode();
  return JudgeSessionCommand("+TEXT");
}

// The answer to "+SAVE" or "+TEXT" read as a write that gives nothing to compare: refused, not
// supported or unanswered; an error the terminal names beyond the refusals ("ERROR,FLASH") is a
// failure too, though the response processors take it for values.
int TEngineCli::JudgeSessionCommand(const char* name) {
  if (!Session.IsPortOpen()) {
    std::fprintf(stderr, "quillon-cli: %s: the request failed\n", name);
    return ceTransferError;
  }
  int page = -1, command = -1;
  if (!Profile.FindCommand(name, page, command)) page = command = -1;
  const TSessionCommandVerdict verdict =
      quillon::JudgeSessionCommand(Profile, name, Session.LastAnswer());
  const TWriteVerification& v = verdict.Write;
  const std::string shown = Utf8(page >= 0 ? Profile.Command(page, command)->Name : name);
  switch (v.Result) {
    case wrRefused:
      // The profile's processor has said why, unless it is one that reads no answer.
      if (refused_.count({page, command}) == 0)
        std::fprintf(stderr, "quillon-cli: %s: refused (%s)\n", shown.c_str(), v.Refusal.c_str());
      return ceRefused;
    case wrUnsupported:
      std::fprintf(stderr, "quillon-cli: %s: NOT SUPPORTED by the terminal\n", shown.c_str());
      return ceNotSupported;
    case wrNoAnswer:
      std::fprintf(stderr, "quillon-cli: %s: no answer from the terminal\n", shown.c_str());
      return ceNoAnswer;
    default:
      break;
  }
  if (!verdict.NamedError.empty()) {
    std::fprintf(stderr, "quillon-cli: %s: the terminal answered %s\n", shown.c_str(),
                 Utf8(verdict.NamedError).c_str());
    return ceFailure;
  }
  return ceOk;
}

std::string TEngineCli::PollAnswer(const TDevCommand& command) {
  const std::string request = "AT" + command.Name + "=?";
  bool error = false;
  std::string answer;
  Session.ExecuteCommand(request, error, request, false, true, false,
                         TCommandEngine::CommandTimeout(command), answer);
  return error ? std::string() : answer;
}

TWriteVerification TEngineCli::VerifyApplied(int page, int command, int instance,
                                             const TSentValues& sent) {
  const TDevCommand& cmd = *Profile.Command(page, command);
  if (!Session.IsPortOpen()) return TWriteVerification{};  // the write itself failed
  return VerifyWrite(cmd, instance, sent, Session.LastAnswer(), [&] { return PollAnswer(cmd); });
}

// Wraps every registered processor, to learn per command whether its answer came and whether
// it was refused.
void TEngineCli::WatchProcessors() {
  for (auto& [name, routine] : Profile.PollProcessorRegistry) {
    TResponseProcessor inner = routine;
    routine = [this, inner](int page, int command, int instance, int param,
                            const std::string& answer) {
      const TDevCommand* cmd = Profile.Command(page, command);
      Ui.CurrentCommand = cmd != nullptr ? cmd->Name : std::string();
      const int refusalsBefore = Ui.Refusals;
      inner(page, command, instance, param, answer);
      recognized_[{page, command}] = Engine->AnswerRecognized;
      if (Ui.Refusals != refusalsBefore) refused_.insert({page, command});
      if (Session.LastAnswerCut()) cut_.insert({page, command});
      if (Engine->Processors().LastTableIncomplete()) incompleteTables_.insert({page, command});
    };
  }
}

// --verbose shows the whole protocol log; otherwise only the lines that say why something went
// wrong: the notices (kind 4, "]") and the transfer failures (kinds 2 and 3, "E<" and "E>").
// The terminal echoes a request with its password, and the log keeps what was received: the
// password is masked here before anything is printed.
void TEngineCli::PrintLogLine(std::string text) {
  const size_t prefix = FailurePrefixLength(text);
  if (!verbose_ && prefix == 0) return;
  text = MaskPasswords(text, Settings);  // the log has masked it already; stderr is output too
  if (verbose_)
    std::fprintf(stderr, "%s\n", Utf8(text).c_str());
  else
    std::fprintf(stderr, "quillon-cli: %s\n", Utf8(text.substr(prefix)).c_str());
}

// Length of the prefix of a line that tells of a failure or a notice, else 0.
size_t TEngineCli::FailurePrefixLength(const std::string& line) {
  if (line.compare(0, 1, "]") == 0) return 1;
  if (line.compare(0, 2, "E<") == 0 || line.compare(0, 2, "E>") == 0) return 2;
  return 0;
}

}  // namespace quillon::cli
