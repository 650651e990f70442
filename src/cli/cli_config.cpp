// quillon-cli config save and config load: a backup of the terminal's settings into a
// configuration file, and a restore of one, verified value by value before anything is stored
// into flash.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/config_args.h"
#include "cli/engine_cli.h"
#include "cli/json_text.h"
#include "configfiles/config_file.h"
#include "editor/editor_rules.h"
#include "engine/restore_rules.h"
#include "engine/write_verification.h"

namespace quillon::cli {

namespace {

bool FileExists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

void PrintMessages(const char* command, const TConfigMessages& messages) {
  for (const std::string& line : messages.Lines()) Fail(command, Utf8(line));
}

// --------------------------------------------------------------------------------------------
// config save

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
int PollForBackup(TEngineCli& cli, int page, int command) {
  const TDevCommand& cmd = *cli.Profile.Command(page, command);
  cli.Recorder->Forget();
  if (!cli.Engine->PollCommand({page, command, 0, 0})) {
    Fail("config save", Utf8(cmd.Name) + ": the request failed");
    return ceTransferError;
  }
  const int outcome = cli.CommandOutcome(page, command);
  if (outcome != ceOk) return outcome;
  const auto missing = UnreadValues(cli, page, command);
  for (const auto& [k, j] : missing)
    Fail("config save", Address(cmd, k, j) + " (" + Utf8(cmd.Parameters[j].Description) +
                            "): the answer holds no value the profile knows");
  return missing.empty() ? static_cast<int>(ceOk) : static_cast<int>(ceIncomplete);
}

void NameUnreadableParameters(const TDevCommand& cmd) {
  const int instances = cmd.Indexed ? InstanceCount(cmd) : 1;
  for (int k = 0; k < instances; ++k)
    for (int j = 0; j < static_cast<int>(cmd.Parameters.size()); ++j)
      if (!ReadableFromTerminal(cmd.Parameters[j]))
        Fail("config save", Address(cmd, k, j) + " (" + Utf8(cmd.Parameters[j].Description) +
                                ") cannot be read from the terminal: left out of the file");
}

// --------------------------------------------------------------------------------------------
// config load

// One line of the restore's report.
struct TRestoreLine {
  int Page = 0;
  int Command = 0;
  std::optional<int> Instance;  // from 0; none when the file named the command without one
  std::string Result;
  int Code = ceOk;
  bool Attempted = false;  // the restore meant to write it (it may write the command)
  bool Written = false;
  bool Verified = false;
  std::vector<TValueDifference> Differences;
};

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

// What the file names, in profile order: each command with the instances it names.
struct TNamedCommand {
  int Page = 0;
  int Command = 0;
  std::vector<int> Instances;
};

std::vector<TNamedCommand> NamedInProfileOrder(const TLoadResult& loaded) {
  std::set<std::pair<int, int>> commands;
  std::set<std::tuple<int, int, int>> instances;
  for (const TLoadedInstance& c : loaded.Commands) commands.insert({c.Page, c.Command});
  for (const TLoadedInstance& i : loaded.Instances) {
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

// The checks made before anything is sent; false with the messages on stderr.
bool ValuesMayBeSent(const TEngineCli& cli, const std::vector<TNamedCommand>& named,
                     bool allowDefaults, int& code) {
  bool ok = true;
  for (const TNamedCommand& n : named) {
    const TDevCommand& cmd = *cli.Profile.Command(n.Page, n.Command);
    if (!RestoreMayWrite(cmd)) continue;
    for (int k : n.Instances) {
      std::set<int> given;
      for (int j = 0; j < static_cast<int>(cmd.Parameters.size()); ++j)
        if (cli.Recorder->Given(n.Page, n.Command, k, j)) given.insert(j);
      if (!allowDefaults)
        for (int j : UnreadableWithoutValue(cmd, *cli.Editor, n.Page, n.Command, k, given)) {
          Fail("config load", Address(cmd, k, j) + " (" + Utf8(cmd.Parameters[j].Description) +
                                  ") cannot be read back from the terminal and the file gives "
                                  "no value: it would be written with the profile's value "
                                  "(--allow-defaults allows that)");
          if (ok) code = ceUsage;
          ok = false;
        }
      // The terminal reads values by position: a comma would shift every later one.
      const TSentValues sent = SentValues(*cli.Editor, cmd, n.Page, n.Command, k);
      for (size_t j = 0; j < sent.size(); ++j)
        if (sent[j] && sent[j]->find_first_of(",\r\n") != std::string::npos) {
          Fail("config load", Address(cmd, k, static_cast<int>(j)) +
                                  ": a value holding a comma or a line break cannot be sent");
          if (ok) code = ceFailure;
          ok = false;
        }
    }
    if (cli.Engine->CommandPassword(cmd).empty()) {
      Fail("config load", "no password for " + Utf8(cmd.Name) +
                              " (give --password or --master-password, or set it in the "
                              "settings file)");
      if (ok) code = ceFailure;
      ok = false;
    }
  }
  return ok;
}

int ResultCode(TWriteResult result) {
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

// Writes the instances of one command the file names and judges each. All values are taken
// before the first request: the answer to one instance refills every instance in the editor.
// False after a transfer failure (the lines of the instances not written are added too).
bool RestoreCommand(TEngineCli& cli, const TNamedCommand& n, std::vector<TRestoreLine>& lines) {
  const TDevCommand& cmd = *cli.Profile.Command(n.Page, n.Command);
  std::vector<std::string> values;
  std::vector<TSentValues> sent;
  for (int k : n.Instances) {
    values.push_back(cli.Engine->BuildParamList(n.Page, n.Command, k));
    sent.push_back(SentValues(*cli.Editor, cmd, n.Page, n.Command, k));
  }
  for (size_t i = 0; i < n.Instances.size(); ++i) {
    if (!cli.Engine->ApplyCommand({n.Page, n.Command, n.Instances[i], 0}, values[i])) {
      for (size_t rest = i; rest < n.Instances.size(); ++rest) {
        lines.push_back(NotWritten(n.Page, n.Command, n.Instances[rest],
                                   rest == i ? "transfer error" : "stopped", ceTransferError));
        lines.back().Attempted = true;
      }
      return false;
    }
    const TWriteVerification v = cli.VerifyApplied(n.Page, n.Command, n.Instances[i], sent[i]);
    TRestoreLine line;
    line.Page = n.Page;
    line.Command = n.Command;
    line.Instance = n.Instances[i];
    line.Result = WriteResultText(v.Result);
    line.Code = ResultCode(v.Result);
    line.Attempted = true;
    line.Written = v.Result == wrVerified || v.Result == wrNotVerified || v.Result == wrDiffers;
    line.Verified = v.Result == wrVerified;
    line.Differences = v.Differences;
    lines.push_back(line);
  }
  return true;
}

std::string LineAddress(const TEngineCli& cli, const TRestoreLine& line) {
  const TDevCommand& cmd = *cli.Profile.Command(line.Page, line.Command);
  return line.Instance ? Address(cmd, *line.Instance) : Utf8(cmd.Name);
}

void PrintRestoreText(const TEngineCli& cli, const std::vector<TRestoreLine>& lines, bool stored) {
  for (const TRestoreLine& line : lines) {
    std::printf("%s: %s\n", LineAddress(cli, line).c_str(), line.Result.c_str());
    const TDevCommand& cmd = *cli.Profile.Command(line.Page, line.Command);
    for (const TValueDifference& d : line.Differences)
      Fail("config load", Address(cmd, line.Instance.value_or(0), d.Index) + ": sent " +
                              Utf8(d.Sent) + ", read " + (d.Read ? Utf8(*d.Read) : "nothing"));
  }
  std::printf("%s\n", stored ? "stored into flash" : "not stored into flash");
}

void PrintRestoreJson(const TEngineCli& cli, const std::vector<TRestoreLine>& lines, bool stored) {
  std::string out = "{\"commands\": [";
  for (size_t i = 0; i < lines.size(); ++i) {
    const TRestoreLine& line = lines[i];
    const TDevCommand& cmd = *cli.Profile.Command(line.Page, line.Command);
    std::optional<int> instance = line.Instance;
    if (!instance && !cmd.Indexed) instance = 0;
    out += (i ? ",\n  " : "\n  ") + std::string("{\"command\": ") + JsonString(cmd.Name) +
           ", \"instance\": " + (instance ? std::to_string(*instance + 1) : "null") +
           ", \"result\": " + JsonString(line.Result) + ", \"differences\": [";
    for (size_t d = 0; d < line.Differences.size(); ++d) {
      const TValueDifference& diff = line.Differences[d];
      out += (d ? ", " : "") + std::string("{\"index\": ") + std::to_string(diff.Index) +
             ", \"sent\": " + JsonString(diff.Sent) +
             ", \"read\": " + (diff.Read ? JsonString(*diff.Read) : "null") + "}";
    }
    out += "]}";
  }
  out += lines.empty() ? "], " : "\n], ";
  out += "\"stored\": " + std::string(JsonBool(stored)) + "}\n";
  std::fputs(out.c_str(), stdout);
}

// Loads the file into the scratch editor; false (with the code) when the restore must stop.
bool LoadForRestore(TEngineCli& cli, const TConfigLoadArgs& args, TLoadResult& loaded, int& code) {
  TConfigMessages messages;
  cli.Recorder->Forget();
  loaded = LoadConfigurationFromFile(cli.Profile, *cli.Recorder, args.File, messages);
  PrintMessages("config load", messages);
  code = ceOk;
  switch (loaded.Outcome) {
    case loLoaded:
      break;
    case loCorrupt:
      Fail("config load", Utf8(loaded.Error));
      code = ceFailure;
      return false;
    case loStopped:
    case loNotOpened:
    case loTooLarge:
      Fail("config load", "the file cannot be restored; nothing was sent");
      code = ceFailure;
      return false;
  }
  if (!messages.Empty() && !args.AcceptDefaults) {
    code = ceFailure;
    Fail("config load",
         "values of the file were replaced by their defaults; nothing was sent "
         "(--accept-defaults writes the defaults)");
    return false;
  }
  return true;
}

}  // namespace

std::string ConfigSaveUsage() {
  return std::string(
             "usage: quillon-cli config save [--port PORT] FILE [--force] [options]\n"
             "\n"
             "A backup: reads every command of the profile that can be read and is exported\n"
             "and writes them into the configuration file FILE. A command the terminal does\n"
             "not support is left out and named on stderr, as is every parameter the\n"
             "terminal cannot report back (the file holds no value for it). A refusal, no\n"
             "answer, an answer without all its values (exit 10) or a failed transfer stops\n"
             "the backup with its exit code, and no file is written. The file is written\n"
             "beside FILE and renamed into place, so an earlier file survives a failure.\n"
             "Prints \"saved N commands to FILE\".\n"
             "\n"
             "  --force                replace an existing FILE (otherwise exit 2)\n"
             "options:\n") +
         TConsoleLinkOptions::Help() + kEngineHelp;
}

std::string ConfigLoadUsage() {
  return std::string(
             "usage: quillon-cli config load [--port PORT] FILE [--no-store] "
             "[--accept-defaults]\n"
             "                               [--allow-defaults] [--json] [options]\n"
             "\n"
             "A restore: the whole file is loaded and checked first, and nothing is sent when\n"
             "the loader reports anything (exit 1). Then every command the file names that a\n"
             "restore may write (SetData and ExportData, not one that leaves command mode) is\n"
             "written in profile order and checked against the terminal's answer; the\n"
             "settings are stored into flash only when every write was verified. One line\n"
             "per command instance:\n"
             "  NAME#K: verified | differs | refused | unsupported | no answer |\n"
             "          written, not verified | not written (REASON)\n"
             "then \"stored into flash\" or \"not stored into flash\". Each difference goes to\n"
             "stderr as NAME#K[P]: sent VALUE, read VALUE. A command that may not be written,\n"
             "or settings not stored because a write could not be verified, give exit 1.\n"
             "\n"
             "  --no-store             do not store into flash\n"
             "  --accept-defaults      write the defaults the loader put in place of values it\n"
             "                         refused (out of range, not matching, not in the list);\n"
             "                         a file the loader stops on is always refused\n"
             "  --allow-defaults       write parameters the terminal cannot report back with\n"
             "                         the profile's value when the file gives none\n"
             "                         (otherwise exit 2, nothing sent)\n"
             "  --json                 print JSON\n"
             "options:\n") +
         TConsoleLinkOptions::Help() + kEngineHelp +
         "\n"
         "JSON fields: {\"commands\": [{command, instance (from 1; null for an indexed\n"
         "  command named without an instance), result, differences: [{index (from 0), sent,\n"
         "  read (null when the answer held no value)}]}], stored (bool)}\n";
}

int ConfigSave(const Args& args) {
  TConfigSaveArgs parsed;
  const std::string error = ParseConfigSaveArgs(args, parsed);
  if (!error.empty()) return UsageError("config save", error, ConfigSaveUsage());
  if (!parsed.Force && FileExists(parsed.File)) {
    Fail("config save", parsed.File + " exists; --force replaces it");
    return ceUsage;
  }
  CommandProfile profile;
  TSettings settings;
  if (!LoadProfileAndSettings("config save", parsed.Engine, profile, settings)) return ceFailure;
  TEngineCli cli(profile, settings, parsed.Engine);
  const int connected = cli.Connect();
  if (connected != ceOk) return connected;

  std::set<std::pair<int, int>> saved;
  for (int p = 0; p < static_cast<int>(profile.Pages.size()); ++p)
    for (int c = 0; c < static_cast<int>(profile.Pages[p].Commands.size()); ++c) {
      const TDevCommand& cmd = profile.Pages[p].Commands[c];
      if (!cmd.PollData || !cmd.ExportData) continue;
      const int outcome = PollForBackup(cli, p, c);
      if (outcome == ceNotSupported) {
        Fail("config save", Utf8(cmd.Name) + ": left out of the file");
        continue;
      }
      if (outcome != ceOk) {
        Fail("config save", "stopped; no file written");
        return outcome;
      }
      saved.insert({p, c});
      NameUnreadableParameters(cmd);
    }

  TConfigMessages messages;
  TConfigSaveOptions options;
  options.CommandFilter = [&](int page, int command) { return saved.count({page, command}) > 0; };
  options.OmitNotOverwritable = true;
  const bool written =
      SaveConfigurationToFile(profile, *cli.Editor, parsed.File, messages, options);
  PrintMessages("config save", messages);
  if (!written) return ceFailure;
  std::printf("saved %zu commands to %s\n", saved.size(), parsed.File.c_str());
  return ceOk;
}

int ConfigLoad(const Args& args) {
  TConfigLoadArgs parsed;
  const std::string error = ParseConfigLoadArgs(args, parsed);
  if (!error.empty()) return UsageError("config load", error, ConfigLoadUsage());
  CommandProfile profile;
  TSettings settings;
  if (!LoadProfileAndSettings("config load", parsed.Engine, profile, settings)) return ceFailure;
  TEngineCli cli(profile, settings, parsed.Engine);

  // Everything is checked before the first byte goes out.
  TLoadResult loaded;
  int code = ceOk;
  if (!LoadForRestore(cli, parsed, loaded, code)) return code;
  const std::vector<TNamedCommand> named = NamedInProfileOrder(loaded);
  if (!ValuesMayBeSent(cli, named, parsed.AllowDefaults, code)) {
    Fail("config load", "nothing was sent");
    return code;
  }

  std::vector<TRestoreLine> lines;
  bool anyWritable = false;
  for (const TNamedCommand& n : named)
    anyWritable |= RestoreMayWrite(*profile.Command(n.Page, n.Command));
  if (anyWritable) {
    const int connected = cli.Connect();
    if (connected != ceOk) return connected;
  }
  bool linkOk = true;
  for (const TNamedCommand& n : named) {
    const TDevCommand& cmd = *profile.Command(n.Page, n.Command);
    if (!RestoreMayWrite(cmd)) {
      if (n.Instances.empty())
        lines.push_back(NotWritten(n.Page, n.Command, std::nullopt, "not exportable", ceFailure));
      for (int k : n.Instances)
        lines.push_back(NotWritten(n.Page, n.Command, k, "not exportable", ceFailure));
      continue;
    }
    if (!linkOk) {
      for (int k : n.Instances) {
        lines.push_back(NotWritten(n.Page, n.Command, k, "stopped", ceTransferError));
        lines.back().Attempted = true;
      }
      continue;
    }
    // Named without any instance: there is no value of the file to write.
    if (n.Instances.empty())
      lines.push_back(NotWritten(n.Page, n.Command, std::nullopt, "no values in the file", ceOk));
    linkOk = RestoreCommand(cli, n, lines);
  }

  // The first command in profile order decides the exit code.
  bool anyWritten = false, allVerified = true;
  for (const TRestoreLine& line : lines) {
    if (code == ceOk) code = line.Code;
    anyWritten |= line.Written;
    // A write that was refused, unanswered or not checked leaves the restore unfinished:
    // storing it would keep half of it across the next restart.
    if (line.Attempted && !line.Verified) allVerified = false;
  }
  bool stored = false;
  if (!parsed.NoStore && linkOk && anyWritten && allVerified) {
    const int storeCode = cli.StoreIntoFlash();
    stored = storeCode == ceOk;
    if (code == ceOk) code = storeCode;
  } else if (!parsed.NoStore && anyWritten && code == ceOk) {
    // Every write went through, but one of them could not be checked.
    code = ceFailure;
  }
  if (parsed.Engine.Json)
    PrintRestoreJson(cli, lines, stored);
  else
    PrintRestoreText(cli, lines, stored);
  return code;
}

// The subcommands of config, answered as the top level answers its own: --help after one
// prints its usage with the numbering and exit codes.
int Config(const Args& args) {
  static const std::vector<TSubCommand> kSubcommands = {
      {"save", ConfigSave, "back up the terminal's settings into a configuration file",
       ConfigSaveUsage},
      {"load", ConfigLoad, "restore a configuration file into the terminal, verified",
       ConfigLoadUsage},
      {"show", ConfigShow, "show what a configuration file holds, as loading it would",
       ConfigShowUsage},
      {"diff", ConfigDiff, "compare two configuration files, or the terminal with a file",
       ConfigDiffUsage},
  };
  const Args rest = args.empty() ? Args() : Args(args.begin() + 1, args.end());
  for (const TSubCommand& sub : kSubcommands) {
    if (args.empty() || args[0] != sub.Name) continue;
    if (AsksForHelp(rest)) {
      std::fputs(SubCommandHelp(sub).c_str(), stdout);
      return ceOk;
    }
    return sub.Run(rest);
  }
  std::string text = "usage: quillon-cli config SUBCOMMAND [ARGS]\n\nSubcommands:\n";
  for (const TSubCommand& sub : kSubcommands)
    text += "  " + std::string(sub.Name) + "  " + sub.Summary + "\n";
  text += "\n'quillon-cli config SUBCOMMAND --help' shows its options.\n";
  if (AsksForHelp(args)) {
    const TSubCommand config{"config", Config, "", nullptr};
    std::fputs((text + SubCommandHelp(config)).c_str(), stdout);
    return ceOk;
  }
  Fail("config",
       args.empty() ? "a subcommand is required" : "unknown subcommand '" + args[0] + "'");
  std::fputs(text.c_str(), stderr);
  return ceUsage;
}

}  // namespace quillon::cli
