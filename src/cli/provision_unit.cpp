// quillon-cli provision-unit: one terminal, start to end, reported line by line to the parent.
// Nothing is written to a terminal before its snapshot is safely on disk, the stop request of
// the status exchange always goes out, and command mode is always left while the link works.
// Whatever happens, the last line on stdout is the "done" line.
#include "cli/provision_unit.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <utility>

#include "cli/cli_commands.h"
#include "cli/cli_snapshots.h"
#include "cli/command_line.h"
#include "cli/config_transfer.h"
#include "cli/json_text.h"
#include "cli/stop_signals.h"
#include "cli/units_csv.h"
#include "link/password_masker.h"
#include "profile/cp1251.h"
#include "profile/fixed_texts.h"
#include "profile/text_utils.h"
#include "status/status_exchange.h"

namespace quillon::cli {

namespace {

constexpr const char* kName = "provision-unit";
constexpr int kIdentityWaitMs = 10000;

std::string ReadWholeFile(const std::string& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ok = ok && !in.bad();
  return data;
}

// Writes data under path only if no file of that name exists: written beside it, synced, and
// linked into place, so that a reader never sees half a snapshot and an earlier one is never
// replaced. exists: the name was taken.
bool WriteNewFile(const std::string& path, const std::string& data, bool& exists,
                  std::string& error) {
  exists = false;
  const std::string partial = path + ".partial-" + std::to_string(::getpid());
  const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = partial + ": " + std::strerror(errno);
    return false;
  }
  size_t at = 0;
  bool ok = true;
  while (ok && at < data.size()) {
    const ssize_t n = ::write(fd, data.data() + at, data.size() - at);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) at += static_cast<size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  if (!ok) error = partial + ": " + std::strerror(errno);
  ok = ::close(fd) == 0 && ok;
  if (ok && ::link(partial.c_str(), path.c_str()) != 0) {
    exists = errno == EEXIST;
    error = path + ": " + std::strerror(errno);
    ok = false;
  }
  ::unlink(partial.c_str());
  return ok;
}

// What the terminal's refusal keyword means, as the message boxes say it.
std::string RefusalText(const std::string& keyword) {
  if (keyword == "PASSWORD") return Text(TText::WrongPassword);
  if (keyword == "PERMISSION") return Text(TText::NoPermission);
  if (keyword == "COMMAND") return Text(TText::ParameterError);
  return keyword;
}

// The identity the terminal told.
struct TIdentity {
  std::string Imei, Model, Firmware;  // Windows-1251, as received
};

class TUnitWorker {
 public:
  TUnitWorker(const TProvisionUnitArgs& args, std::FILE* in, std::FILE* out)
      : args_(args), in_(in), out_(out), start_(std::chrono::steady_clock::now()) {
    masker_.Add(args.Engine.Link.Password.value_or(""));
    masker_.Add(args.Engine.MasterPassword.value_or(""));
  }

  int Run();
  // The last line when the unit ends before it ran: arguments that could not be read, or an
  // error nothing else caught.
  int FailedBeforeRun(const std::string& error, int code) {
    Failed(error, code);
    return Done("failed");
  }

 private:
  bool Prepare();
  bool LoadTemplate(TLoadResult& loaded);
  bool Identify();
  bool WaitForIdentityReport(TIdentity& identity, std::string& refusal);
  void AskVersion(TIdentity& identity);
  bool GoAhead();
  bool TakeSnapshot();
  bool SaveSnapshot(const std::set<std::pair<int, int>>& saved);
  bool LoadTemplateAndRow(std::vector<TNamedCommand>& named);
  void WriteAndStore(const std::vector<TNamedCommand>& named);
  void Leave();

  // The first error decides the result, its exit code and first_error; later ones go to stderr.
  void Failed(const std::string& utf8, int code);
  bool Ok() const { return code_ == ceOk; }
  // True once the parent asked the unit to stop or went away; the first time also fails it.
  bool Stopping();
  TReportMessage Reporter();
  std::string FirstReported() const { return reported_.empty() ? "" : reported_.front(); }

  void Emit(const std::string& json);
  void Stage(const char* stage, const std::string& utf8Text);
  void CommandLine(const TRestoreLine& line);
  int Done(const char* result);
  std::string Masked(const std::string& utf8) const;

  const TProvisionUnitArgs& args_;
  std::FILE* in_;
  std::FILE* out_;
  std::chrono::steady_clock::time_point start_;
  TPasswordMasker masker_;
  CommandProfile profile_;
  TSettings settings_;
  std::unique_ptr<TEngineCli> cli_;
  TUnitsTable units_;

  TIdentity identity_;
  std::string snapshot_;
  int code_ = ceOk;
  std::string firstError_;
  std::vector<std::string> reported_;  // the messages of the step under way
  TRestoreSummary summary_;
  bool stored_ = false;
  bool outputLost_ = false;
};

int TUnitWorker::Run() {
  if (!Prepare()) return Done("failed");
  Stage("connecting", "command mode");
  const int connected = cli_->Connect();
  if (connected != ceOk) {
    Failed(connected == cePortNotOpened ? "cannot open port " + args_.Engine.Link.Port
                                        : "the terminal did not enter command mode",
           connected);
    return Done("failed");
  }
  if (Stopping() || !Identify()) {
    Leave();
    return Done("failed");
  }
  if (!GoAhead()) {
    const bool stopped = Stopping();  // the wait for the answer ends on a stop signal too
    Leave();
    return Done(stopped ? "failed" : "skipped");
  }
  std::vector<TNamedCommand> named;
  if (TakeSnapshot() && !Stopping() && LoadTemplateAndRow(named)) WriteAndStore(named);
  Leave();
  return Done(Ok() ? "passed" : "failed");
}

// Everything that can be checked before the port is opened: the profile, the settings, the
// template (loaded once here as a check) and the units file.
bool TUnitWorker::Prepare() {
  if (!LoadProfileAndSettings(kName, args_.Engine, profile_, settings_)) {
    Failed(profile_.FileStatus.Status == TFileReadStatus::Refused
               ? "refused command profile: " + profile_.FileStatus.Reason
           : profile_.Pages.empty() ? std::string("no pages in the command profile")
                                    : std::string("the settings file was refused"),
           ceFailure);
    return false;
  }
  cli_ = std::make_unique<TEngineCli>(profile_, settings_, args_.Engine);
  masker_ = PasswordMaskerFor(cli_->Settings);

  TLoadResult loaded;
  if (!LoadTemplate(loaded)) return false;
  if (args_.Units.empty()) return true;
  bool read = false;
  const std::string bytes = ReadWholeFile(args_.Units, read);
  const std::string error = read ? ReadUnitsCsv(profile_, bytes, units_) : "cannot be read";
  if (!error.empty()) {
    Failed(args_.Units + ": " + error, ceFailure);
    return false;
  }
  return true;
}

// The template into the editor, as a restore's scratch copy; false with the unit failed.
bool TUnitWorker::LoadTemplate(TLoadResult& loaded) {
  int code = ceOk;
  reported_.clear();
  if (LoadForRestore(*cli_, args_.Template, false, Reporter(), loaded, code)) return true;
  Failed(args_.Template + ": " + FirstReported(), code);
  return false;
}

// The identity from the "DPRM" report, the exchange started and stopped as the status window
// does; model and firmware from "+SVER" when the report leaves them out.
bool TUnitWorker::Identify() {
  Stage("identifying", "DPRM report");
  TIdentity identity;
  std::string refusal;
  const bool reported = WaitForIdentityReport(identity, refusal);
  if (Stopping()) return false;
  if (!cli_->Session.IsPortOpen()) {
    Failed("the link failed while waiting for the identity report", ceTransferError);
    return false;
  }
  if (!refusal.empty()) {
    Failed("the terminal refused the status reports: " + Utf8(RefusalText(refusal)) + " (ERROR," +
               Utf8(refusal) + ")",
           ceRefused);
    return false;
  }
  if (reported && (identity.Model.empty() || identity.Firmware.empty())) AskVersion(identity);
  identity_ = identity;
  if (!reported || !ValidImei(identity.Imei)) {
    std::fprintf(stderr, "quillon-cli %s: %s\n", kName,
                 reported
                     ? ("the IMEI '" + Masked(Utf8(identity.Imei)) + "' is not 15 digits").c_str()
                     : "no identity report within 10 s");
    Failed("no valid identity", ceFailure);
    return false;
  }
  Emit("{\"event\": \"identity\", \"imei\": " + JsonString(identity.Imei) + ", \"model\": " +
       JsonString(identity.Model) + ", \"firmware\": " + JsonString(identity.Firmware) + "}");
  return true;
}

bool TUnitWorker::WaitForIdentityReport(TIdentity& identity, std::string& refusal) {
  const TStatusTexts texts;
  const TGeneralNumberFormatter formatter;
  TStatusExchange exchange(cli_->Session, texts, formatter);
  bool reported = false;
  exchange.OnReport = [&](const std::string& line, const std::vector<TStatusUpdate>&) {
    const std::vector<std::string> items = SplitCsv(line);
    if (items.empty()) return;
    if (items[0] == "+RESP:DPRM" && items.size() >= 5 && !reported) {
      reported = true;
      identity.Model = items[1];
      identity.Imei = items[3];
      identity.Firmware = items[4];
    }
    // The start request carries the password: a wrong one is refused, and no report comes.
    if (items[0] == "+RESP:SDAD" && items.size() >= 3 && items[1] == "ERROR") refusal = items[2];
  };
  exchange.Start();
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(kIdentityWaitMs);
  while (!reported && refusal.empty() && cli_->Session.IsPortOpen() &&
         TStopSignals::Received() == 0) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd p{cli_->Port.ReadinessHandle(), POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(std::min<int64_t>(left, 250))) > 0)
      cli_->Session.DispatchPortEvents();
  }
  if (cli_->Session.IsPortOpen()) exchange.Stop();
  return reported;
}

// "+RESP:SVER,<model>,<firmware>,<IMEI>".
void TUnitWorker::AskVersion(TIdentity& identity) {
  TDevCommand version;
  version.Name = "+SVER";
  std::string buffer = cli_->PollAnswer(version), line;
  while (!buffer.empty()) {
    if (!ExtractLine(buffer, line)) {
      line = buffer;
      buffer.clear();
    }
    const std::vector<std::string> items = SplitCsv(line);
    if (items.size() < 3 || items[0] != "+RESP:SVER") continue;
    if (identity.Model.empty()) identity.Model = items[1];
    if (identity.Firmware.empty()) identity.Firmware = items[2];
    return;
  }
}

// One line from the parent: "go" goes on; "skip", anything else or the end of stdin stops.
bool TUnitWorker::GoAhead() {
  // A stop signal may land before the read starts, where it would not interrupt it: wait in
  // short polls that look at it, and read only once the answer is there.
  const int fd = fileno(in_);
  while (fd >= 0 && TStopSignals::Received() == 0) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 100) > 0) break;
  }
  if (TStopSignals::Received() != 0) return false;
  char buffer[256];
  if (std::fgets(buffer, sizeof buffer, in_) == nullptr) return false;
  std::string answer = buffer;
  while (!answer.empty() &&
         (answer.back() == '\n' || answer.back() == '\r' || answer.back() == ' '))
    answer.pop_back();
  return answer == "go";
}

bool TUnitWorker::TakeSnapshot() {
  // The template was loaded as a check: the snapshot starts from a fresh editor.
  *cli_->Editor = THeadlessEditor(profile_);
  cli_->Recorder->Forget();
  std::set<std::pair<int, int>> saved;
  const TDevCommand* current = nullptr;
  reported_.clear();
  const int polled = PollExportable(
      *cli_, Reporter(), saved, [&](const TDevCommand& command, int done, int total) {
        current = &command;
        Stage("snapshot",
              Utf8(command.Name) + " " + std::to_string(done + 1) + "/" + std::to_string(total));
        return !Stopping();
      });
  if (polled != ceOk && !Ok()) return false;  // stopped
  if (polled != ceOk) {
    const std::string name = current != nullptr ? Utf8(current->Name) : std::string();
    std::string why;
    switch (polled) {
      case ceRefused:
        why = "refused: " + Utf8(cli_->Ui.LastMessage);
        break;
      case ceNoAnswer:
        why = "no answer from the terminal";
        break;
      case ceIncomplete:
        why = "answer incomplete";
        break;
      case ceTransferError:
        why = "the request failed";
        break;
      default:
        why = FirstReported();
    }
    Failed("snapshot: " + name + ": " + why + "; nothing was written", polled);
    return false;
  }
  return SaveSnapshot(saved);
}

// DIR/<IMEI>/<YYYYMMDDTHHMMSSZ>.zxml; a name already taken (a second snapshot within the same
// second) moves on to the next second rather than replace it.
bool TUnitWorker::SaveSnapshot(const std::set<std::pair<int, int>>& saved) {
  TConfigMessages messages;
  std::string bytes;
  const bool built =
      SaveConfigurationToBuffer(profile_, *cli_->Editor, bytes, messages, BackupSaveOptions(saved));
  for (const std::string& line : messages.Lines()) Reporter()(Utf8(line));
  if (!built) {
    Failed("snapshot: " +
               (messages.Lines().empty() ? std::string("cannot be built")
                                         : Utf8(messages.Lines().front())) +
               "; nothing was written",
           ceFailure);
    return false;
  }
  const std::filesystem::path folder =
      std::filesystem::path(args_.Snapshots) / Cp1251ToUtf8(identity_.Imei);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    Failed("snapshot: " + folder.string() + ": " + ec.message() + "; nothing was written",
           ceFailure);
    return false;
  }
  const std::time_t now = std::time(nullptr);
  std::string error;
  for (int later = 0; later < 60; ++later) {
    const std::string path = (folder / SnapshotFileName(now + later)).string();
    bool exists = false;
    if (WriteNewFile(path, bytes, exists, error)) {
      snapshot_ = path;
      return true;
    }
    if (!exists) break;
  }
  Failed("snapshot: " + error + "; nothing was written", ceFailure);
  return false;
}

// A fresh editor with the template, then the unit's row over it; every check of a restore.
bool TUnitWorker::LoadTemplateAndRow(std::vector<TNamedCommand>& named) {
  std::vector<TLoadedInstance> rowInstances;
  const std::vector<TUnitValue>* row = nullptr;
  if (!args_.Units.empty()) {
    auto found = units_.Rows.find(identity_.Imei);
    if (found == units_.Rows.end()) {
      Failed("no row for IMEI " + Utf8(identity_.Imei) + " in " + args_.Units, ceFailure);
      return false;
    }
    row = &found->second;
  }
  *cli_->Editor = THeadlessEditor(profile_);
  TLoadResult loaded;
  if (!LoadTemplate(loaded)) return false;
  if (row != nullptr)
    for (const TUnitValue& v : *row) {
      const TCmdParameter& param = profile_.Command(v.Page, v.Command)->Parameters[v.Param];
      IParameterEditor& editor = *cli_->Recorder;
      if (param.Optional) editor.SetChecked(v.Page, v.Command, v.Instance, v.Param, true);
      if (param.ParamType != ptOption) {
        editor.SetInputText(v.Page, v.Command, v.Instance, v.Param, v.Value);
      } else {
        for (size_t o = 0; o < param.Options.size(); ++o)
          if (param.Options[o].Value == v.Value)
            editor.SetOptionIndex(v.Page, v.Command, v.Instance, v.Param, static_cast<int>(o));
      }
      rowInstances.push_back({v.Page, v.Command, v.Instance});
    }
  named = NamedInProfileOrder(loaded, rowInstances);
  int code = ceOk;
  reported_.clear();
  if (!ValuesMayBeSent(*cli_, named, args_.AllowDefaults, Reporter(), code)) {
    Failed(FirstReported() + "; nothing was written", code);
    return false;
  }
  return true;
}

void TUnitWorker::WriteAndStore(const std::vector<TNamedCommand>& named) {
  auto progress = [](const TDevCommand& command, int instance, int done, int total) {
    return Address(command, instance) + " " + std::to_string(done + 1) + "/" +
           std::to_string(total);
  };
  TRestoreObserver observer;
  observer.BeforeWrite = [&](const TDevCommand& command, int instance, int done, int total) {
    Stage("writing", progress(command, instance, done, total));
  };
  observer.BeforeVerify = [&](const TDevCommand& command, int instance, int done, int total) {
    Stage("verifying", progress(command, instance, done, total));
  };
  observer.Stopped = [&] { return Stopping(); };
  observer.Line = [&](const TRestoreLine& line) {
    CommandLine(line);
    if (line.Code == ceOk) return;
    std::string why = line.Result;
    if (!line.Refusal.empty())
      why += " (" + Utf8(RefusalText(line.Refusal)) + ", ERROR," + Utf8(line.Refusal) + ")";
    if (!line.Differences.empty()) {
      const TValueDifference& d = line.Differences.front();
      why += " ([" + std::to_string(d.Index) + "] sent \"" + Utf8(d.Sent) + "\", read " +
             (d.Read ? "\"" + Utf8(*d.Read) + "\"" : std::string("nothing")) + ")";
    }
    Failed(LineAddress(*cli_, line) + ": " + why, line.Code);
  };
  std::vector<TRestoreLine> lines;
  const bool linkOk = WriteNamedCommands(*cli_, named, lines, observer);
  summary_ = SummarizeRestore(lines);
  if (!args_.NoStore && linkOk && summary_.AnyWritten && summary_.AllVerified && !Stopping()) {
    Stage("storing", "+SAVE");
    const int code = cli_->StoreIntoFlash();
    stored_ = code == ceOk;
    if (!stored_) Failed("+SAVE: storing into flash failed", code);
  } else if (!args_.NoStore && summary_.AnyWritten) {
    Failed("not stored into flash: a write was not verified", ceFailure);
  }
}

// Where the link still works the terminal goes back to work, whatever happened before.
void TUnitWorker::Leave() {
  if (!cli_->Session.IsPortOpen() || !cli_->Session.InCommandMode) return;
  Stage("leaving", "+TEXT");
  const int code = cli_->LeaveCommandMode();
  if (code != ceOk) Failed("+TEXT: leaving command mode failed", code);
}

void TUnitWorker::Failed(const std::string& utf8, int code) {
  std::fprintf(stderr, "quillon-cli %s: %s\n", kName, Masked(utf8).c_str());
  if (code_ != ceOk) return;
  code_ = code == ceOk ? ceFailure : code;
  firstError_ = utf8;
}

TReportMessage TUnitWorker::Reporter() {
  return [this](const std::string& utf8) {
    reported_.push_back(utf8);
    std::fprintf(stderr, "quillon-cli %s: %s\n", kName, Masked(utf8).c_str());
  };
}

std::string TUnitWorker::Masked(const std::string& utf8) const {
  return Cp1251ToUtf8(masker_.Mask(Utf8ToCp1251(utf8)));
}

void TUnitWorker::Emit(const std::string& json) {
  if (std::fputs((json + "\n").c_str(), out_) < 0 || std::fflush(out_) != 0) outputLost_ = true;
}

bool TUnitWorker::Stopping() {
  const int caught = TStopSignals::Received();
  if (caught == 0 && !outputLost_) return false;
  if (Ok())
    Failed(caught != 0 ? "stopped by signal " + std::to_string(caught)
                       : std::string("stopped: the parent no longer reads the output"),
           ceFailure);
  return true;
}

void TUnitWorker::Stage(const char* stage, const std::string& utf8Text) {
  Emit("{\"event\": \"stage\", \"stage\": \"" + std::string(stage) +
       "\", \"text\": " + JsonUtf8String(Masked(utf8Text)) + "}");
}

void TUnitWorker::CommandLine(const TRestoreLine& line) {
  const TDevCommand& cmd = *profile_.Command(line.Page, line.Command);
  std::optional<int> instance = line.Instance;
  if (!instance && !cmd.Indexed) instance = 0;
  std::string json = "{\"event\": \"command\", \"command\": " + JsonString(cmd.Name) +
                     ", \"instance\": " + (instance ? std::to_string(*instance + 1) : "null") +
                     ", \"result\": " + JsonString(line.Result) + ", \"differences\": [";
  for (size_t d = 0; d < line.Differences.size(); ++d) {
    const TValueDifference& diff = line.Differences[d];
    json += (d ? ", " : "") + std::string("{\"index\": ") + std::to_string(diff.Index) +
            ", \"sent\": " + JsonString(masker_.Mask(diff.Sent)) +
            ", \"read\": " + (diff.Read ? JsonString(masker_.Mask(*diff.Read)) : "null") + "}";
  }
  Emit(json + "]}");
}

int TUnitWorker::Done(const char* result) {
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  char secondsText[32];
  std::snprintf(secondsText, sizeof secondsText, "%.3f", seconds);
  Emit("{\"event\": \"done\", \"result\": \"" + std::string(result) + "\", \"imei\": " +
       JsonString(identity_.Imei) + ", \"model\": " + JsonString(identity_.Model) +
       ", \"firmware\": " + JsonString(identity_.Firmware) + ", \"written\": " +
       std::to_string(summary_.Written) + ", \"verified\": " + std::to_string(summary_.Verified) +
       ", \"differing\": " + std::to_string(summary_.Differing) +
       ", \"failed\": " + std::to_string(summary_.Failed) + ", \"seconds\": " + secondsText +
       ", \"first_error\": " + JsonUtf8String(Masked(firstError_)) +
       ", \"snapshot\": " + JsonUtf8String(snapshot_) + ", \"stored\": " + JsonBool(stored_) + "}");
  return std::string(result) == "failed" ? code_ : ceOk;
}

}  // namespace

std::string ParseProvisionUnitArgs(const std::vector<std::string>& args, TProvisionUnitArgs& out) {
  out = TProvisionUnitArgs();
  std::vector<std::string> rest;
  std::string error;
  if (!ParseEngineOptions(args, out.Engine, rest, error)) return error;
  if (out.Engine.Json) return "unknown option '--json'";
  for (size_t i = 0; i < rest.size(); ++i) {
    const std::string& a = rest[i];
    std::string* value = a == "--config"      ? &out.Template
                         : a == "--units"     ? &out.Units
                         : a == "--snapshots" ? &out.Snapshots
                                              : nullptr;
    if (value != nullptr) {
      if (i + 1 >= rest.size() || rest[i + 1].empty()) return a + " wants a value";
      *value = rest[++i];
    } else if (a == "--no-store") {
      out.NoStore = true;
    } else if (a == "--allow-defaults") {
      out.AllowDefaults = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option '" + a + "'";
    } else {
      return "unexpected argument '" + a + "'";
    }
  }
  if (out.Engine.Link.Port.empty()) return "--port PORT is required";
  if (out.Template.empty()) return "--config TEMPLATE.zxml is required";
  return {};
}

std::string ProvisionUnitUsage() {
  return std::string(
             "usage: quillon-cli provision-unit --port PORT --config TEMPLATE.zxml\n"
             "                                  [--units UNITS.csv] [--snapshots DIR]\n"
             "                                  [--no-store] [--allow-defaults] [options]\n"
             "\n"
             "The worker quillon-cli provision starts once per port; not meant to be run by\n"
             "hand. It enters command mode, identifies the terminal from its DPRM report,\n"
             "prints the identity and reads one line on stdin: \"go\" goes on, \"skip\" or the\n"
             "end of stdin leaves command mode at once. Then it saves a snapshot of every\n"
             "readable exported command to DIR/<IMEI>/<YYYYMMDDTHHMMSSZ>.zxml (default DIR:\n"
             "./snapshots), loads the template and the unit's row of UNITS.csv over it,\n"
             "writes and verifies every command they name, stores into flash unless --no-store\n"
             "or a write was not verified, and leaves command mode.\n"
             "\n"
             "  --config FILE          the template every unit gets\n"
             "  --units FILE           values per unit by IMEI (a unit without a row fails)\n"
             "  --snapshots DIR        where the snapshots go\n"
             "  --no-store             do not store into flash\n"
             "  --allow-defaults       write parameters the terminal cannot report back with\n"
             "                         the profile's value when nothing gives one\n"
             "options:\n") +
         TConsoleLinkOptions::Help() + kEngineHelp +
         "\n"
         "Output: one JSON object per line, flushed each:\n"
         "  {event: \"stage\", stage (connecting, identifying, snapshot, writing, verifying,\n"
         "   storing, leaving), text}\n"
         "  {event: \"identity\", imei, model, firmware}\n"
         "  {event: \"command\", command, instance (from 1), result (as config load),\n"
         "   differences: [{index (from 0), sent, read (null when none)}]}\n"
         "  {event: \"done\", result (passed, failed, skipped), imei, model, firmware, written,\n"
         "   verified, differing, failed, seconds, first_error, snapshot (path), stored}\n"
         "The done line always comes last; unknown strings are \"\". Exit code: 0 passed or\n"
         "skipped, otherwise the code of the first error.\n";
}

int ProvisionUnit(const Args& args) {
  TProvisionUnitArgs parsed;
  const std::string error = ParseProvisionUnitArgs(args, parsed);
  TUnitWorker worker(parsed, stdin, stdout);
  if (!error.empty()) {
    UsageError(kName, error, ProvisionUnitUsage());
    return worker.FailedBeforeRun(error, ceUsage);
  }
  // SIGINT, SIGTERM or SIGHUP: the parent stops the unit. It ends at the next request, without
  // storing, and leaves command mode.
  TStopSignals signals;
  try {
    return worker.Run();
  } catch (const std::exception& e) {
    return worker.FailedBeforeRun(std::string("internal error: ") + e.what(), ceFailure);
  }
}

}  // namespace quillon::cli
