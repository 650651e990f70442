// quillon-cli config save and config load: a backup of the terminal's settings into a
// configuration file, and a restore of one, verified value by value before anything is stored
// into flash.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/config_args.h"
#include "cli/config_transfer.h"
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
  const int polled = PollExportable(
      cli, [](const std::string& m) { Fail("config save", m); }, saved);
  if (polled != ceOk) {
    Fail("config save", "stopped; no file written");
    return polled;
  }

  TConfigMessages messages;
  const bool written = SaveConfigurationToFile(profile, *cli.Editor, parsed.File, messages,
                                               BackupSaveOptions(saved));
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
  const TReportMessage report = [](const std::string& m) { Fail("config load", m); };
  TLoadResult loaded;
  int code = ceOk;
  if (!LoadForRestore(cli, parsed.File, parsed.AcceptDefaults, report, loaded, code)) return code;
  const std::vector<TNamedCommand> named = NamedInProfileOrder(loaded);
  if (!ValuesMayBeSent(cli, named, parsed.AllowDefaults, report, code)) {
    Fail("config load", "nothing was sent");
    return code;
  }

  bool anyWritable = false;
  for (const TNamedCommand& n : named)
    anyWritable |= RestoreMayWrite(*profile.Command(n.Page, n.Command));
  if (anyWritable) {
    const int connected = cli.Connect();
    if (connected != ceOk) return connected;
  }
  std::vector<TRestoreLine> lines;
  const bool linkOk = WriteNamedCommands(cli, named, lines);

  // The first command in profile order decides the exit code.
  const TRestoreSummary summary = SummarizeRestore(lines);
  code = summary.Code;
  const bool anyWritten = summary.AnyWritten, allVerified = summary.AllVerified;
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
