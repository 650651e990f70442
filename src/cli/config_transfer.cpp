#include "cli/config_transfer.h"

#include <tuple>

#include "editor/editor_rules.h"
#include "engine/restore_rules.h"

namespace quillon::cli {

namespace {

// The parameters of a polled command that the answer did not fill although the terminal
// reports them: a backup would hold the editor's defaults in their place.
std::vector<std::pair<int, int>> UnreadValues(const TEngineCli& cli, int page, int command) {
  const TDevCommand& cmd = *cli.Profile.Command(page, command);
  std::vector<std::pair<int, int>> missing;
  const int instances = cmd.Indexed ? InstanceCount(cmd) : 1;
  for (int k = 0; k < instances; ++k)
    for (int j = 0; j < static_cast<int>(cmd.Parameters.size()); ++j)
      if (ReadableFromTerminal(cmd.Parameters[j]) && !cli.Recorder->ValueSet(page, command, k, j))
        missing.emplace_back(k, j);
  return missing;
}

// Polls one command for the backup. ceOk: its values are all in the editor; ceNotSupported:
// leave it out; anything else stops the backup.
int PollForBackup(TEngineCli& cli, int page, int command, const TReportMessage& report) {
  const TDevCommand& cmd = *cli.Profile.Command(page, command);
  cli.Recorder->Forget();
  if (!cli.Engine->PollCommand({page, command, 0, 0})) {
    report(Utf8(cmd.Name) + ": the request failed");
    return ceTransferError;
  }
  const int outcome = cli.CommandOutcome(page, command);
  if (outcome != ceOk) return outcome;
  const auto missing = UnreadValues(cli, page, command);
  for (const auto& [k, j] : missing)
    report(Address(cmd, k, j) + " (" + Utf8(cmd.Parameters[j].Description) +
           "): the answer holds no value the profile knows");
  return missing.empty() ? static_cast<int>(ceOk) : static_cast<int>(ceIncomplete);
}

void NameUnreadableParameters(const TDevCommand& cmd, const TReportMessage& report) {
  const int instances = cmd.Indexed ? InstanceCount(cmd) : 1;
  for (int k = 0; k < instances; ++k)
    for (int j = 0; j < static_cast<int>(cmd.Parameters.size()); ++j)
      if (!ReadableFromTerminal(cmd.Parameters[j]))
        report(Address(cmd, k, j) + " (" + Utf8(cmd.Parameters[j].Description) +
               ") cannot be read from the terminal: left out of the file");
}

TRestoreLine NotWritten(int page, int command, std::optional<int> instance, const char* reason,
                        int code) {
  TRestoreLine line;
  line.Page = page;
  line.Command = command;
  line.Instance = instance;
  line.Result = std::string("not written (") + reason + ")";
  line.Code = code;
  return line;
}

// Writes the instances of one command and judges each. All values are taken before the first
// request: the answer to one instance refills every instance in the editor. False after a
// transfer failure (the lines of the instances not written are added too).
bool RestoreCommand(TEngineCli& cli, const TNamedCommand& n, std::vector<TRestoreLine>& lines,
                    const TRestoreObserver& observer, int& done, int total) {
  const TDevCommand& cmd = *cli.Profile.Command(n.Page, n.Command);
  std::vector<std::string> values;
  std::vector<TSentValues> sent;
  for (int k : n.Instances) {
    values.push_back(cli.Engine->BuildParamList(n.Page, n.Command, k));
    sent.push_back(SentValues(*cli.Editor, cmd, n.Page, n.Command, k));
  }
  auto add = [&](const TRestoreLine& line) {
    lines.push_back(line);
    if (observer.Line) observer.Line(line);
  };
  for (size_t i = 0; i < n.Instances.size(); ++i, ++done) {
    const bool stopped = observer.Stopped && observer.Stopped();
    if (!stopped && observer.BeforeWrite) observer.BeforeWrite(cmd, n.Instances[i], done, total);
    if (stopped || !cli.Engine->ApplyCommand({n.Page, n.Command, n.Instances[i], 0}, values[i])) {
      for (size_t rest = i; rest < n.Instances.size(); ++rest) {
        TRestoreLine line =
            NotWritten(n.Page, n.Command, n.Instances[rest],
                       rest == i && !stopped ? "transfer error" : "stopped", ceTransferError);
        line.Attempted = true;
        add(line);
      }
      return false;
    }
    if (observer.BeforeVerify) observer.BeforeVerify(cmd, n.Instances[i], done, total);
    const TWriteVerification v = cli.VerifyApplied(n.Page, n.Command, n.Instances[i], sent[i]);
    TRestoreLine line;
    line.Page = n.Page;
    line.Command = n.Command;
    line.Instance = n.Instances[i];
    line.Result = WriteResultText(v.Result);
    line.Code = WriteExitCode(v.Result);
    line.Attempted = true;
    line.Written = v.Result == wrVerified || v.Result == wrNotVerified || v.Result == wrDiffers;
    line.Verified = v.Result == wrVerified;
    line.Differs = v.Result == wrDiffers;
    line.Refusal = v.Refusal;
    line.Differences = v.Differences;
    add(line);
  }
  return true;
}

}  // namespace

int PollExportable(TEngineCli& cli, const TReportMessage& report,
                   std::set<std::pair<int, int>>& saved, const TBeforeCommand& before) {
  const CommandProfile& profile = cli.Profile;
  std::vector<std::pair<int, int>> pollable;
  for (int p = 0; p < static_cast<int>(profile.Pages.size()); ++p)
    for (int c = 0; c < static_cast<int>(profile.Pages[p].Commands.size()); ++c)
      if (profile.Pages[p].Commands[c].PollData && profile.Pages[p].Commands[c].ExportData)
        pollable.emplace_back(p, c);
  saved.clear();
  for (size_t i = 0; i < pollable.size(); ++i) {
    const auto [p, c] = pollable[i];
    const TDevCommand& cmd = *profile.Command(p, c);
    if (before && !before(cmd, static_cast<int>(i), static_cast<int>(pollable.size())))
      return ceFailure;
    const int outcome = PollForBackup(cli, p, c, report);
    if (outcome == ceNotSupported) {
      report(Utf8(cmd.Name) + ": left out of the file");
      continue;
    }
    if (outcome != ceOk) return outcome;
    saved.insert({p, c});
    NameUnreadableParameters(cmd, report);
  }
  return ceOk;
}

TConfigSaveOptions BackupSaveOptions(const std::set<std::pair<int, int>>& saved) {
  TConfigSaveOptions options;
  options.CommandFilter = [saved](int page, int command) {
    return saved.count({page, command}) > 0;
  };
  options.OmitNotOverwritable = true;
  return options;
}

void TakeEmptyTextElements(const CommandProfile& profile, TRecordingEditor& recorder,
                           const TLoadResult& loaded) {
  for (const ParamAddress& a : loaded.Parameters) {
    const TDevCommand* cmd = profile.Command(a.Page, a.Command);
    if (cmd == nullptr || a.Param < 0 || a.Param >= static_cast<int>(cmd->Parameters.size()))
      continue;
    if (cmd->Parameters[static_cast<size_t>(a.Param)].ParamType != ptString) continue;
    if (recorder.Given(a.Page, a.Command, a.Instance, a.Param)) continue;
    recorder.SetInputText(a.Page, a.Command, a.Instance, a.Param, "");
    recorder.SetValueOrigin(a.Page, a.Command, a.Instance, a.Param, voFile);
  }
}

bool LoadForRestore(TEngineCli& cli, const std::string& file, bool acceptDefaults,
                    const TReportMessage& report, TLoadResult& loaded, int& code) {
  TConfigMessages messages;
  cli.Recorder->Forget();
  loaded = LoadConfigurationFromFile(cli.Profile, *cli.Recorder, file, messages);
  for (const std::string& line : messages.Lines()) report(Utf8(line));
  if (loaded.Outcome == loLoaded) TakeEmptyTextElements(cli.Profile, *cli.Recorder, loaded);
  code = ceOk;
  switch (loaded.Outcome) {
    case loLoaded:
      break;
    case loCorrupt:
      report(Utf8(loaded.Error));
      code = ceFailure;
      return false;
    case loStopped:
    case loNotOpened:
    case loTooLarge:
      report("the file cannot be restored; nothing was sent");
      code = ceFailure;
      return false;
  }
  if (!messages.Empty() && !acceptDefaults) {
    code = ceFailure;
    report(
        "values of the file were replaced by their defaults; nothing was sent "
        "(--accept-defaults writes the defaults)");
    return false;
  }
  return true;
}

std::vector<TNamedCommand> NamedInProfileOrder(const TLoadResult& loaded,
                                               const std::vector<TLoadedInstance>& more) {
  std::set<std::pair<int, int>> commands;
  std::set<std::tuple<int, int, int>> instances;
  for (const TLoadedInstance& c : loaded.Commands) commands.insert({c.Page, c.Command});
  for (const std::vector<TLoadedInstance>* list : {&loaded.Instances, &more})
    for (const TLoadedInstance& i : *list) {
      commands.insert({i.Page, i.Command});
      instances.insert({i.Page, i.Command, i.Instance});
    }
  std::vector<TNamedCommand> named;
  for (const auto& [page, command] : commands) {
    TNamedCommand n{page, command, {}};
    for (const auto& [p, c, k] : instances)
      if (p == page && c == command) n.Instances.push_back(k);
    named.push_back(n);
  }
  return named;
}

bool ValuesMayBeSent(const TEngineCli& cli, const std::vector<TNamedCommand>& named,
                     bool allowDefaults, const TReportMessage& report, int& code) {
  bool ok = true;
  auto fail = [&](const std::string& message, int failureCode) {
    report(message);
    if (ok) code = failureCode;
    ok = false;
  };
  for (const TNamedCommand& n : named) {
    const TDevCommand& cmd = *cli.Profile.Command(n.Page, n.Command);
    if (!RestoreMayWrite(cmd)) continue;
    for (int k : n.Instances) {
      std::set<int> given;
      for (int j = 0; j < static_cast<int>(cmd.Parameters.size()); ++j)
        if (cli.Recorder->Given(n.Page, n.Command, k, j)) given.insert(j);
      if (!allowDefaults)
        for (int j : UnreadableWithoutValue(cmd, *cli.Editor, n.Page, n.Command, k, given))
          fail(Address(cmd, k, j) + " (" + Utf8(cmd.Parameters[j].Description) +
                   ") cannot be read back from the terminal and the file gives no value: it "
                   "would be written with the profile's value (--allow-defaults allows that)",
               ceUsage);
      // The terminal reads values by position: a comma would shift every later one.
      const TSentValues sent = SentValues(*cli.Editor, cmd, n.Page, n.Command, k);
      for (size_t j = 0; j < sent.size(); ++j)
        if (sent[j] && sent[j]->find_first_of(",\r\n") != std::string::npos)
          fail(Address(cmd, k, static_cast<int>(j)) +
                   ": a value holding a comma or a line break cannot be sent",
               ceFailure);
    }
    if (cli.Engine->CommandPassword(cmd).empty())
      fail("no password for " + Utf8(cmd.Name) +
               " (give --password or --master-password, or set it in the settings file)",
           ceFailure);
  }
  return ok;
}

bool WriteNamedCommands(TEngineCli& cli, const std::vector<TNamedCommand>& named,
                        std::vector<TRestoreLine>& lines, const TRestoreObserver& observer) {
  int total = 0, done = 0;
  for (const TNamedCommand& n : named)
    if (RestoreMayWrite(*cli.Profile.Command(n.Page, n.Command)))
      total += static_cast<int>(n.Instances.size());
  auto add = [&](const TRestoreLine& line) {
    lines.push_back(line);
    if (observer.Line) observer.Line(line);
  };
  bool linkOk = true;
  for (const TNamedCommand& n : named) {
    const TDevCommand& cmd = *cli.Profile.Command(n.Page, n.Command);
    if (!RestoreMayWrite(cmd)) {
      if (n.Instances.empty())
        add(NotWritten(n.Page, n.Command, std::nullopt, "not exportable", ceFailure));
      for (int k : n.Instances) add(NotWritten(n.Page, n.Command, k, "not exportable", ceFailure));
      continue;
    }
    if (!linkOk) {
      for (int k : n.Instances) {
        TRestoreLine line = NotWritten(n.Page, n.Command, k, "stopped", ceTransferError);
        line.Attempted = true;
        add(line);
      }
      continue;
    }
    // Named without any instance: there is no value of the file to write.
    if (n.Instances.empty())
      add(NotWritten(n.Page, n.Command, std::nullopt, "no values in the file", ceOk));
    linkOk = RestoreCommand(cli, n, lines, observer, done, total);
  }
  return linkOk;
}

TRestoreSummary SummarizeRestore(const std::vector<TRestoreLine>& lines) {
  TRestoreSummary s;
  for (const TRestoreLine& line : lines) {
    if (s.Code == ceOk) s.Code = line.Code;
    s.AnyWritten |= line.Written;
    if (line.Attempted && !line.Verified) s.AllVerified = false;
    s.Written += line.Written ? 1 : 0;
    s.Verified += line.Verified ? 1 : 0;
    s.Differing += line.Differs ? 1 : 0;
    s.Failed += !line.Written && line.Code != ceOk ? 1 : 0;
  }
  return s;
}

std::string LineAddress(const TEngineCli& cli, const TRestoreLine& line) {
  const TDevCommand& cmd = *cli.Profile.Command(line.Page, line.Command);
  return line.Instance ? Address(cmd, *line.Instance) : Utf8(cmd.Name);
}

}  // namespace quillon::cli
