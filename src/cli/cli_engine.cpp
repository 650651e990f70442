// quillon-cli poll and apply: the command engine on the headless editor, for scripts. Values are
// read from and written to the terminal exactly as the editor's buttons do; what the editor
// would show in a window goes to stdout, refusals and failures to stderr with a non-zero exit.
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/engine_cli.h"
#include "cli/json_text.h"
#include "editor/editor_rules.h"
#include "editor/headless_editor.h"
#include "editor/mask_matcher.h"
#include "engine/batch_operations.h"
#include "engine/command_engine.h"
#include "engine/response_processors.h"
#include "engine/restore_rules.h"
#include "engine/write_verification.h"
#include "link/com_port.h"
#include "link/console_link.h"
#include "link/console_session_ui.h"
#include "link/log_model.h"
#include "link/terminal_session.h"
#include "profile/command_profile.h"
#include "profile/cp1251.h"
#include "profile/text_utils.h"
#include "settings/program_paths.h"
#include "settings/settings.h"

namespace quillon::cli {

namespace {

// --------------------------------------------------------------------------------------------
// Output of the values the editor holds.

struct TValueView {
  bool Known = true;  // false: nothing was read (no selection, or a value never overwritten)
  std::string Value;
  std::string Text;  // option parameters: the option's text
};

TValueView ViewValue(const IParameterEditor& editor, const TCmdParameter& param, int page,
                     int command, int instance, int index) {
  TValueView view;
  if (!param.Overwrite) {
    view.Known = false;
    return view;
  }
  if (param.ParamType != ptOption) {
    view.Value = editor.InputText(page, command, instance, index);
    return view;
  }
  const int selected = editor.OptionIndex(page, command, instance, index);
  if (selected < 0 || selected >= static_cast<int>(param.Options.size())) {
    view.Known = false;
    return view;
  }
  view.Value = param.Options[selected].Value;
  view.Text = param.Options[selected].Text;
  return view;
}

void PrintCommandText(const TEngineCli& cli, int page, int command) {
  const TDevCommand& cmd = *cli.Profile.Command(page, command);
  std::printf("%s  %s\n", Utf8(cmd.Name).c_str(), Utf8(cmd.Description).c_str());
  if (IsTableCommand(cmd)) {
    for (const auto& row : cli.Editor->TableRows(page, command, 0, 0)) {
      std::string line;
      for (size_t i = 0; i < row.size(); ++i) line += (i ? " | " : "") + Utf8(row[i]);
      std::printf("  %s\n", line.c_str());
    }
  }
  const int instances = cmd.Indexed ? InstanceCount(cmd) : 1;
  for (int k = 0; k < instances; ++k) {
    if (cmd.Indexed) std::printf("  #%d\n", k + 1);
    const char* indent = cmd.Indexed ? "    " : "  ";
    for (int i = 0; i < static_cast<int>(cmd.Parameters.size()); ++i) {
      const TCmdParameter& param = cmd.Parameters[i];
      const TValueView v = ViewValue(*cli.Editor, param, page, command, k, i);
      std::string shown = !v.Known ? "(not read)" : Utf8(v.Value);
      if (v.Known && param.ParamType == ptOption) shown += " (" + Utf8(v.Text) + ")";
      std::printf("%s[%d] %s = %s\n", indent, i, Utf8(param.Description).c_str(), shown.c_str());
    }
  }
}

std::string CommandJson(const TEngineCli& cli, int page, int command) {
  const TDevCommand& cmd = *cli.Profile.Command(page, command);
  std::string out = "{\"page\": " + JsonString(cli.Profile.Pages[page].Id) +
                    ", \"command\": " + JsonString(cmd.Name) +
                    ", \"description\": " + JsonString(cmd.Description) +
                    ", \"indexed\": " + JsonBool(cmd.Indexed);
  if (IsTableCommand(cmd)) {
    out += ", \"rows\": [";
    bool firstRow = true;
    for (const auto& row : cli.Editor->TableRows(page, command, 0, 0)) {
      out += firstRow ? "[" : ", [";
      firstRow = false;
      for (size_t i = 0; i < row.size(); ++i) out += (i ? ", " : "") + JsonString(row[i]);
      out += "]";
    }
    out += "]";
  }
  out += ", \"instances\": [";
  const int instances = cmd.Indexed ? InstanceCount(cmd) : 1;
  for (int k = 0; k < instances; ++k) {
    out += (k ? ", " : "") + std::string("{\"instance\": ") + std::to_string(k + 1) +
           ", \"parameters\": [";
    for (int i = 0; i < static_cast<int>(cmd.Parameters.size()); ++i) {
      const TCmdParameter& param = cmd.Parameters[i];
      const TValueView v = ViewValue(*cli.Editor, param, page, command, k, i);
      out += (i ? ", " : "") + std::string("{\"index\": ") + std::to_string(i) +
             ", \"description\": " + JsonString(param.Description) + ", \"type\": \"" +
             JsonTypeName(param.ParamType) +
             "\", \"value\": " + (v.Known ? JsonString(v.Value) : "null");
      if (param.ParamType == ptOption)
        out += ", \"text\": " + (v.Known ? JsonString(v.Text) : "null");
      out += "}";
    }
    out += "]}";
  }
  out += "]}";
  return out;
}

void PrintResults(const TEngineCli& cli, const std::vector<std::pair<int, int>>& commands,
                  bool json) {
  if (!json) {
    for (const auto& [page, command] : commands) PrintCommandText(cli, page, command);
    return;
  }
  std::string out = "{\"commands\": [";
  for (size_t i = 0; i < commands.size(); ++i)
    out += (i ? ",\n  " : "\n  ") + CommandJson(cli, commands[i].first, commands[i].second);
  out += commands.empty() ? "]}\n" : "\n]}\n";
  std::fputs(out.c_str(), stdout);
}

// Before a poll the command's values are emptied, so that what is printed afterwards is what
// the terminal sent and not a default the answer happened not to reach.
void ForgetValues(IParameterEditor& editor, const TDevCommand& cmd, int page, int command) {
  const int instances = cmd.Indexed ? InstanceCount(cmd) : 1;
  for (int k = 0; k < instances; ++k)
    for (int i = 0; i < static_cast<int>(cmd.Parameters.size()); ++i) {
      if (cmd.Parameters[i].ParamType == ptOption)
        editor.SetOptionIndex(page, command, k, i, -1);
      else
        editor.SetInputText(page, command, k, i, "");
    }
}

void PutValues(IParameterEditor& editor, const TDevCommand& cmd, int page, int command,
               int instance, const std::vector<TPreparedValue>& values) {
  for (const TPreparedValue& v : values) {
    const TCmdParameter& param = cmd.Parameters[v.Index];
    if (param.Optional) editor.SetChecked(page, command, instance, v.Index, !v.Untick);
    if (v.Untick) continue;
    if (param.ParamType != ptOption) {
      editor.SetInputText(page, command, instance, v.Index, v.Value);
      continue;
    }
    for (size_t o = 0; o < param.Options.size(); ++o)
      if (param.Options[o].Value == v.Value) {
        editor.SetOptionIndex(page, command, instance, v.Index, static_cast<int>(o));
        break;
      }
  }
}

// The password the command's mode picks must be there. --password is the user password: a
// command that takes the master password says so, as the operator may have meant it for it.
bool CheckPassword(const TEngineCli& cli, const TDevCommand& cmd, const TEngineOptions& options) {
  const std::string password = cli.Engine->CommandPassword(cmd);
  const bool userGiven = options.Link.Password.has_value() && !options.MasterPassword;
  const bool takesMaster = !password.empty() && password == cli.Settings.MasterPassword &&
                           (cmd.PasswordMode == pmAdmin || cmd.PasswordMode == pmAdminUser);
  if (password.empty() && cmd.PasswordMode == pmAdmin) {
    Fail("apply", Utf8(cmd.Name) + " needs the master password: give --master-password or set " +
                      "MasterPassword in the settings file" +
                      (userGiven ? " (--password is the user password)" : ""));
    return false;
  }
  if (password.empty()) {
    Fail("apply", "no password for " + Utf8(cmd.Name) +
                      " (give --password or --master-password, or set it in the settings file)");
    return false;
  }
  if (userGiven && takesMaster)
    Fail("apply", Utf8(cmd.Name) +
                      " takes the master password, so the one of the settings file is sent, not "
                      "--password (give --master-password to choose it)");
  return true;
}

// Parameters the terminal cannot report back keep no value of its own in the editor: without
// --set they would be written with the profile's default. False with a message per parameter.
bool UnreadableParametersGiven(const IParameterEditor& editor, const TDevCommand& cmd, int page,
                               int command, int instance,
                               const std::vector<TPreparedValue>& values) {
  std::set<int> given;
  for (const TPreparedValue& v : values) given.insert(v.Index);
  const std::vector<int> missing =
      UnreadableWithoutValue(cmd, editor, page, command, instance, given);
  for (int i : missing)
    Fail("apply", Address(cmd, instance, i) + " (" + Utf8(cmd.Parameters[i].Description) +
                      ") cannot be read back from the terminal and would be written with the "
                      "profile's value: give --set " +
                      std::to_string(i) + "=VALUE" +
                      (cmd.Parameters[i].Optional ? " or --unset " + std::to_string(i) : "") +
                      ", or --allow-defaults");
  return missing.empty();
}

// Without a poll first, every parameter not given goes out with what the editor starts with,
// the profile's value: named on stderr, so that the operator sees what else was written.
void NameDefaultsSent(const IParameterEditor& editor, const TDevCommand& cmd, int page, int command,
                      int instance, const std::vector<TPreparedValue>& values) {
  std::set<int> given;
  for (const TPreparedValue& v : values) given.insert(v.Index);
  for (int i = 0; i < static_cast<int>(cmd.Parameters.size()); ++i) {
    if (given.count(i)) continue;
    const TCmdParameter& param = cmd.Parameters[i];
    if (param.Optional && !editor.Checked(page, command, instance, i)) continue;
    std::string value;
    if (param.ParamType != ptOption)
      value = editor.InputText(page, command, instance, i);
    else if (const int o = editor.OptionIndex(page, command, instance, i);
             o >= 0 && o < static_cast<int>(param.Options.size()))
      value = param.Options[o].Value;
    Fail("apply", Address(cmd, instance, i) + " (" + Utf8(param.Description) +
                      ") is sent with the profile's value \"" + Utf8(value) + "\"");
  }
}

// apply --store: a write is stored into flash once it is verified, or when the command gives
// nothing to compare with and the terminal took it without a refusal. The exit code.
int StoreAfterApply(TEngineCli& cli, const TDevCommand& cmd, int instance,
                    const TWriteVerification& v, bool& stored) {
  stored = false;
  switch (v.Result) {
    case wrNotVerified:
      std::fprintf(stderr, "quillon-cli apply: %s: written, not verified\n",
                   Address(cmd, instance).c_str());
      break;
    case wrDiffers:
      for (const TValueDifference& d : v.Differences)
        std::fprintf(stderr, "quillon-cli apply: %s: sent %s, read %s\n",
                     Address(cmd, instance, d.Index).c_str(), Utf8(d.Sent).c_str(),
                     d.Read ? Utf8(*d.Read).c_str() : "nothing");
      break;
    case wrNoAnswer:
      std::fprintf(stderr, "quillon-cli apply: %s: no answer to the reading back\n",
                   Address(cmd, instance).c_str());
      break;
    case wrVerified:
    case wrRefused:
    case wrUnsupported:
      break;
  }
  if (const int code = WriteExitCode(v.Result); code != ceOk) return code;
  const int code = cli.StoreIntoFlash();
  stored = code == ceOk;
  return code;
}

// " #k" for an indexed command (k from 1), else nothing.
std::string InstanceSuffix(const TDevCommand& cmd, int instance) {
  return cmd.Indexed ? " #" + std::to_string(instance + 1) : std::string();
}

}  // namespace

// --------------------------------------------------------------------------------------------

std::string PollUsage() {
  return std::string(
             "usage: quillon-cli poll [--port PORT] [--page ID | --command NAME] [--json] "
             "[options]\n"
             "\n"
             "Reads settings from the terminal as the editor's poll buttons do and prints them:\n"
             "every page, one page, or one command.\n"
             "\n"
             "  --page ID              poll the commands of one page (its id in the profile)\n"
             "  --command NAME         poll one command\n"
             "  --yes                  write a command the profile marks \"confirm\" (such as a\n"
             "                         factory reset); without it such a command is refused\n"
             "                         with exit 2 and its question, nothing sent\n"
             "  --json                 print JSON\n"
             "options:\n") +
         TConsoleLinkOptions::Help() + kEngineHelp +
         "\n"
         "JSON fields: {\"commands\": [{page, command, description, indexed, rows (a table\n"
         "  command's rows), instances: [{instance (from 1), parameters: [{index (from 0),\n"
         "  description, type (integer | string | hex | option), value (null when not read),\n"
         "  text (an option's text)}]}]}]}\n";
}

std::string ApplyUsage() {
  return std::string(
             "usage: quillon-cli apply [--port PORT] --command NAME [--instance K] "
             "[--set INDEX=VALUE ...]\n"
             "                         [--unset INDEX ...] [--no-poll-first] [--allow-defaults]\n"
             "                         [--store] [--yes] [--json] [options]\n"
             "\n"
             "Writes one command (one instance of an indexed command) to the terminal as the\n"
             "editor's apply button does.\n"
             "\n"
             "  --command NAME         the command, e.g. +SSRV\n"
             "  --instance K           instance of an indexed command, from 1\n"
             "  --set INDEX=VALUE      value of parameter INDEX (from 0); an option takes its\n"
             "                         value or its text; an optional parameter is ticked\n"
             "  --unset INDEX          untick an optional parameter (sent empty)\n"
             "  --poll-first           read the command first (the default for a command that\n"
             "                         can be read), so that parameters not set keep the\n"
             "                         terminal's values\n"
             "  --no-poll-first        do not read first: parameters not set are written with\n"
             "                         the profile's values, each named on stderr (as for a\n"
             "                         command that cannot be read)\n"
             "  --allow-defaults       write parameters the terminal cannot report back with\n"
             "                         the profile's value when --set gives none (otherwise\n"
             "                         such a command is refused with exit 2, nothing sent)\n"
             "  --store                check the terminal's answer against what was sent and,\n"
             "                         when it agrees, store into flash: prints \"stored into\n"
             "                         flash\" or \"not stored into flash\" (exit 9 when a\n"
             "                         value came back different)\n"
             "  --json                 print JSON\n"
             "options:\n") +
         TConsoleLinkOptions::Help() + kEngineHelp +
         "  The command's password mode picks the password: admin takes the master password\n"
         "  (--master-password), user the user password (--password); see quillon-cli profile.\n"
         "\n"
         "JSON fields: command, instance (from 1), request (as sent, the password as \"*\"),\n"
         "  applied (true when the terminal took it); with --store also result (verified |\n"
         "  differs | refused | unsupported | no answer | written, not verified; null when\n"
         "  not written) and stored (bool).\n";
}

int Poll(const Args& args) {
  TPollArgs parsed;
  const std::string error = ParsePollArgs(args, parsed);
  if (!error.empty()) return UsageError("poll", error, PollUsage());
  const TEngineOptions& options = parsed.Engine;
  const std::string& pageId = parsed.PageId;
  const std::string& commandName = parsed.CommandName;

  CommandProfile profile;
  TSettings settings;
  if (!LoadProfileAndSettings("poll", options, profile, settings)) return ceFailure;

  // Pages to run, or the one command.
  std::vector<int> pages;
  int onePage = -1, oneCommand = -1;
  if (!commandName.empty()) {
    if (!profile.FindCommand(commandName, onePage, oneCommand) || onePage < 0) {
      Fail("poll", "no command " + Utf8(commandName) + " in the profile");
      return ceUsage;
    }
    if (!profile.Command(onePage, oneCommand)->PollData) {
      Fail("poll", Utf8(commandName) + " cannot be read from the terminal");
      return ceUsage;
    }
  } else {
    for (int p = 0; p < static_cast<int>(profile.Pages.size()); ++p)
      if (pageId.empty() || profile.Pages[p].Id == pageId) pages.push_back(p);
    if (pages.empty()) {
      Fail("poll", "no page with id " + Utf8(pageId) + " in the profile");
      return ceUsage;
    }
  }

  TEngineCli cli(profile, settings, options);
  const int connected = cli.Connect();
  if (connected != ceOk) return connected;

  int code = ceOk;
  if (oneCommand >= 0) {
    ForgetValues(*cli.Editor, *cli.Profile.Command(onePage, oneCommand), onePage, oneCommand);
    if (!cli.Engine->PollCommand({onePage, oneCommand, 0, 0})) code = ceTransferError;
  } else {
    for (int p : pages) {
      for (int c = 0; c < static_cast<int>(cli.Profile.Pages[p].Commands.size()); ++c)
        ForgetValues(*cli.Editor, cli.Profile.Pages[p].Commands[c], p, c);
      if (!cli.Batch->CmdPollAll({p, 0, 0, 0})) {
        code = ceTransferError;
        break;
      }
    }
  }

  // Commands answered, in profile order; the worst outcome decides the exit code.
  std::vector<std::pair<int, int>> answered;
  int worst = ceOk;
  for (int p = 0; p < static_cast<int>(cli.Profile.Pages.size()); ++p)
    for (int c = 0; c < static_cast<int>(cli.Profile.Pages[p].Commands.size()); ++c) {
      if (!cli.Dispatched(p, c)) continue;
      const int outcome = cli.CommandOutcome(p, c);
      if (outcome == ceOk)
        answered.emplace_back(p, c);
      else if (worst == ceOk)
        worst = outcome;
    }
  PrintResults(cli, answered, options.Json);
  if (code != ceOk) {
    std::fprintf(stderr, "quillon-cli poll: stopped by a failed request\n");
    return code;
  }
  return worst;
}

int Apply(const Args& args) {
  TApplyArgs request;
  const std::string error = ParseApplyArgs(args, request);
  if (!error.empty()) return UsageError("apply", error, ApplyUsage());
  const TEngineOptions& options = request.Engine;

  CommandProfile profile;
  TSettings settings;
  if (!LoadProfileAndSettings("apply", options, profile, settings)) return ceFailure;
  int page = -1, command = -1;
  if (!profile.FindCommand(request.CommandName, page, command) || page < 0) {
    Fail("apply", "no command " + Utf8(request.CommandName) + " in the profile");
    return ceUsage;
  }
  const TDevCommand& cmd = *profile.Command(page, command);
  if (!cmd.SetData) {
    Fail("apply", Utf8(cmd.Name) + " cannot be written to the terminal");
    return ceUsage;
  }
  if (request.PollFirst && !cmd.PollData) {
    Fail("apply", Utf8(cmd.Name) + " cannot be read, so --poll-first is not possible");
    return ceUsage;
  }
  // The editor asks before such a command is written; a script says yes beforehand.
  const std::string question = ConfirmQuestion(cmd);
  if (!question.empty() && !request.Yes) {
    Fail("apply",
         Utf8(cmd.Name) + " asks first: \"" + Utf8(question) + "\"; give --yes to write it");
    return ceUsage;
  }
  // A command that can be read is read first, so that what is not given keeps the terminal's
  // value instead of being reset to the profile's.
  const bool pollFirst = cmd.PollData && !request.NoPollFirst;
  int instance = 0;
  std::vector<TPreparedValue> values;
  std::string valueError = ResolveInstance(cmd, request.Instance, instance);
  if (valueError.empty()) valueError = PrepareValues(cmd, request, values);
  if (!valueError.empty()) {
    Fail("apply", valueError);
    return ceUsage;
  }
  for (const TPreparedValue& value : values)
    if (!value.Warning.empty()) Fail("apply", value.Warning);

  // Bad input and a missing password are found before anything goes to the terminal.
  TEngineCli cli(profile, settings, options);
  if (!CheckPassword(cli, cmd, options)) return ceFailure;
  if (!request.AllowDefaults &&
      !UnreadableParametersGiven(*cli.Editor, cmd, page, command, instance, values))
    return ceUsage;
  const int connected = cli.Connect();
  if (connected != ceOk) return connected;

  if (pollFirst) {
    if (!cli.Engine->PollCommand({page, command, 0, 0})) return ceTransferError;
    const int outcome = cli.CommandOutcome(page, command);
    if (outcome != ceOk) {
      std::fprintf(stderr, "quillon-cli apply: nothing written\n");
      return outcome;
    }
  }
  PutValues(*cli.Editor, cmd, page, command, instance, values);
  if (!pollFirst) NameDefaultsSent(*cli.Editor, cmd, page, command, instance, values);
  const std::string sent =
      "AT" + cmd.Name + "=*," + cli.Engine->BuildParamList(page, command, instance);
  // Taken before the answer refills the editor.
  const TSentValues sentValues = SentValues(*cli.Editor, cmd, page, command, instance);
  if (!cli.Engine->ApplyCommand({page, command, instance, 0})) {
    std::fprintf(stderr, "quillon-cli apply: the request failed\n");
    if (request.Store && options.Json)
      std::printf(
          "{\"command\": %s, \"instance\": %d, \"request\": %s, \"applied\": false, "
          "\"stored\": false}\n",
          JsonString(cmd.Name).c_str(), instance + 1, JsonString(sent).c_str());
    else if (request.Store)
      std::printf("not stored into flash\n");
    return ceTransferError;
  }
  int outcome = cli.CommandOutcome(page, command);
  std::optional<TWriteResult> verified;
  bool stored = false;
  if (request.Store && outcome == ceOk) {
    const TWriteVerification v = cli.VerifyApplied(page, command, instance, sentValues);
    verified = v.Result;
    outcome = StoreAfterApply(cli, cmd, instance, v, stored);
  }
  if (options.Json) {
    std::string json = "{\"command\": " + JsonString(cmd.Name) +
                       ", \"instance\": " + std::to_string(instance + 1) +
                       ", \"request\": " + JsonString(sent) +
                       ", \"applied\": " + JsonBool(outcome == ceOk || verified.has_value());
    if (request.Store)
      json += std::string(", \"result\": ") +
              (verified ? "\"" + std::string(WriteResultText(*verified)) + "\"" : "null") +
              ", \"stored\": " + JsonBool(stored);
    std::printf("%s}\n", json.c_str());
  } else {
    if (outcome == ceOk || verified)
      std::printf("%s%s applied: %s\n", Utf8(cmd.Name).c_str(),
                  InstanceSuffix(cmd, instance).c_str(), Utf8(sent).c_str());
    if (request.Store) std::printf("%s\n", stored ? "stored into flash" : "not stored into flash");
  }
  return outcome;
}

}  // namespace quillon::cli
