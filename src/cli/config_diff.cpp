// quillon-cli config diff: two configuration files, or the terminal and a file, compared value
// by value per parameter address.
#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/config_args.h"
#include "cli/engine_cli.h"
#include "cli/json_text.h"
#include "configfiles/config_compare.h"
#include "editor/editor_rules.h"

namespace quillon::cli {

namespace {

constexpr int kDiffEqual = 0;
constexpr int kDiffDiffers = 1;
constexpr int kDiffUnreadable = 2;

std::string Quoted(const std::optional<std::string>& value) {
  return value ? "\"" + Utf8(*value) + "\"" : "(none)";
}

void PrintText(const CommandProfile& profile, const std::vector<TConfigDifference>& differences,
               const std::string& a, const std::string& b) {
  std::printf("A: %s\nB: %s\n", a.c_str(), b.c_str());
  for (const TConfigDifference& d : differences) {
    const TDevCommand& cmd = *profile.Command(d.Address.Page, d.Address.Command);
    const TCmdParameter& param = cmd.Parameters[static_cast<size_t>(d.Address.Param)];
    std::printf("%s (%s): %s: A %s, B %s\n",
                Address(cmd, d.Address.Instance, d.Address.Param).c_str(),
                Utf8(param.Description).c_str(), DifferenceKindText(d.Kind), Quoted(d.A).c_str(),
                Quoted(d.B).c_str());
  }
  if (differences.empty())
    std::printf("no differences\n");
  else
    std::printf("%zu difference%s\n", differences.size(), differences.size() == 1 ? "" : "s");
}

void PrintJson(const CommandProfile& profile, const std::vector<TConfigDifference>& differences) {
  std::string out = "{\"differences\": [";
  for (size_t i = 0; i < differences.size(); ++i) {
    const TConfigDifference& d = differences[i];
    const TDevCommand& cmd = *profile.Command(d.Address.Page, d.Address.Command);
    const TCmdParameter& param = cmd.Parameters[static_cast<size_t>(d.Address.Param)];
    out += (i ? ",\n  " : "\n  ") + std::string("{\"command\": ") + JsonString(cmd.Name) +
           ", \"instance\": " + std::to_string(d.Address.Instance + 1) +
           ", \"index\": " + std::to_string(d.Address.Param) +
           ", \"description\": " + JsonString(param.Description) +
           ", \"a\": " + (d.A ? JsonString(*d.A) : "null") +
           ", \"b\": " + (d.B ? JsonString(*d.B) : "null") + ", \"kind\": \"" +
           DifferenceKindText(d.Kind) + "\"}";
  }
  out += differences.empty() ? "]}\n" : "\n]}\n";
  std::fputs(out.c_str(), stdout);
}

// Reads one file; false (messages on stderr) when it cannot be read to its end.
bool ReadSide(const CommandProfile& profile, const std::string& file, TConfigRead& read) {
  read = ReadConfigurationFile(profile, file);
  for (const std::string& line : read.Messages) Fail("config diff", file + ": " + Utf8(line));
  if (!read.Readable()) Fail("config diff", file + " cannot be read; nothing compared");
  return read.Readable();
}

// The commands the file names, in profile order.
std::set<std::pair<int, int>> NamedCommands(const TLoadResult& loaded) {
  std::set<std::pair<int, int>> named;
  for (const TLoadedInstance& c : loaded.Commands) named.insert({c.Page, c.Command});
  for (const TLoadedInstance& i : loaded.Instances) named.insert({i.Page, i.Command});
  return named;
}

// Polls the file's commands that the terminal can report; ceOk with the terminal's values of
// the parameters the file names (a poll answers every instance; the file asks only about its
// own), or the exit code that stops the comparison.
int ReadTerminal(TEngineCli& cli, const TConfigRead& file, TConfiguration& terminal) {
  const std::set<std::pair<int, int>> named = NamedCommands(file.Loaded);
  const int connected = cli.Connect();
  if (connected != ceOk) return connected;
  cli.Recorder->Forget();
  std::set<std::pair<int, int>> polled;
  for (const auto& [page, command] : named) {
    const TDevCommand& cmd = *cli.Profile.Command(page, command);
    if (!cmd.PollData || IsTableCommand(cmd)) continue;
    if (!cli.Engine->PollCommand({page, command, 0, 0})) {
      Fail("config diff", Utf8(cmd.Name) + ": the request failed");
      return ceTransferError;
    }
    const int outcome = cli.CommandOutcome(page, command);
    if (outcome == ceNotSupported) {
      Fail("config diff", Utf8(cmd.Name) + ": not supported by the terminal");
      continue;
    }
    if (outcome != ceOk) return outcome;
    polled.insert({page, command});
  }
  terminal = EditorConfiguration(cli.Profile, *cli.Editor, [&](const ParamAddress& a) {
    const bool read = polled.count({a.Page, a.Command}) > 0 && file.Values.Entries.count(a) > 0 &&
                      cli.Recorder->ValueSet(a.Page, a.Command, a.Instance, a.Param);
    return TPresence{read, false};
  });
  terminal.FromTerminal = true;
  return ceOk;
}

}  // namespace

std::string ConfigDiffUsage() {
  return std::string(
             "usage: quillon-cli config diff A.zxml B.zxml [--json] [--profile FILE]\n"
             "       quillon-cli config diff --port PORT FILE [--json] [options]\n"
             "\n"
             "Compares two configuration files, or the terminal (A) with a file (B), value by\n"
             "value per parameter address, as loading each file would give its values.\n"
             "Integers and hexadecimal values compare as numbers, strings exactly, options by\n"
             "their value. With --port the file's commands that the terminal can report\n"
             "(PollData) are polled first and the values the file holds are compared with\n"
             "the terminal's (its other values are not listed); parameters the terminal never\n"
             "reports (no Overwrite, or a command without PollData) are listed as \"not\n"
             "comparable\", and a command the terminal does not support is named on stderr.\n"
             "One line per difference, in profile order:\n"
             "  NAME#K[P] (DESCRIPTION): KIND: A \"VALUE\", B \"VALUE\"\n"
             "KIND: changed | only in A | only in B | enabled differs (the box of an optional\n"
             "parameter; values on and off) | not comparable. A missing value shows as (none).\n"
             "The last line says how many differences there are, or \"no differences\".\n"
             "\n"
             "Exit codes (like diff): 0 equal, 1 differences, 2 usage or a file that cannot be\n"
             "read to its end; with --port also 3-8 as below.\n"
             "\n"
             "  --json          one JSON object:\n"
             "                  {\"differences\": [{\"command\", \"instance\", \"index\",\n"
             "                   \"description\", \"a\", \"b\", \"kind\"}]}\n"
             "                  instance counts from 1, index from 0; a and b are the values\n"
             "                  (null where that side has none); kind as above\n"
             "  --profile FILE  the command profile (default: the program's cmdprofile.xml)\n"
             "options (with --port):\n") +
         TConsoleLinkOptions::Help() + kEngineHelp;
}

int ConfigDiff(const Args& args) {
  TConfigDiffArgs parsed;
  const std::string error = ParseConfigDiffArgs(args, parsed);
  if (!error.empty()) return UsageError("config diff", error, ConfigDiffUsage());
  CommandProfile profile;
  TSettings settings;
  if (!LoadProfileAndSettings("config diff", parsed.Engine, profile, settings))
    return kDiffUnreadable;

  TConfigRead b;
  if (!ReadSide(profile, parsed.B, b)) return kDiffUnreadable;
  TConfiguration a;
  std::string aName = parsed.A;
  if (parsed.Terminal) {
    TEngineCli cli(profile, settings, parsed.Engine);
    const int code = ReadTerminal(cli, b, a);
    if (code != ceOk) return code;
    aName = "terminal on " + parsed.Engine.Link.Port;
  } else {
    TConfigRead read;
    if (!ReadSide(profile, parsed.A, read)) return kDiffUnreadable;
    a = std::move(read.Values);
  }

  const std::vector<TConfigDifference> differences = CompareConfigurations(profile, a, b.Values);
  if (parsed.Engine.Json)
    PrintJson(profile, differences);
  else
    PrintText(profile, differences, aName, parsed.B);
  if (std::fflush(stdout) != 0) return kDiffUnreadable;
  return differences.empty() ? kDiffEqual : kDiffDiffers;
}

}  // namespace quillon::cli
