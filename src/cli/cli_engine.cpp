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

#include "cli/cli_commands.h"
#include "cli/engine_cli.h"
#include "cli/json_text.h"
#include "editor/editor_rules.h"
#include "editor/headless_editor.h"
#include "editor/mask_matcher.h"
#include "engine/batch_operations.h"
#include "engine/command_engine.h"
#include "engine/response_processors.h"
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

void PrintPollUsage() {
  std::fprintf(stderr,
               "usage: quillon-cli poll --port PORT [--page ID | --command NAME] [--json] "
               "[options]\n"
               "  --page ID              poll the commands of one page (default: every page)\n"
               "  --command NAME         poll one command\n"
               "  --json                 print JSON\n"
               "options:\n%s%s",
               TConsoleLinkOptions::Help(), kEngineHelp);
}

void PrintApplyUsage() {
  std::fprintf(stderr,
               "usage: quillon-cli apply --port PORT --command NAME [--instance K] "
               "[--set INDEX=VALUE ...] [--unset INDEX ...] [--poll-first] [--json] [options]\n"
               "  --instance K           instance of an indexed command, from 1\n"
               "  --set INDEX=VALUE      value of parameter INDEX (from 0); an option takes its\n"
               "                         value or its text; an optional parameter is ticked\n"
               "  --unset INDEX          untick an optional parameter (sent empty)\n"
               "  --poll-first           read the command first, so that parameters not set\n"
               "                         keep the terminal's values instead of the defaults\n"
               "  --json                 print JSON\n"
               "options:\n%s%s",
               TConsoleLinkOptions::Help(), kEngineHelp);
}

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

const char* TypeName(TParamType type) {
  switch (type) {
    case ptInteger:
      return "integer";
    case ptString:
      return "string";
    case ptHex:
      return "hex";
    case ptOption:
      return "option";
  }
  return "string";
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
             TypeName(param.ParamType) +
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

// --------------------------------------------------------------------------------------------
// Values given on the command line.

// Checks one value as the editor's fields would take it and gives the text to send.
bool CheckValue(const TCmdParameter& param, const std::string& utf8, std::string& value,
                std::string& error) {
  value = Utf8ToCp1251(utf8);
  if ((!utf8.empty() && value.empty()) || Cp1251ToUtf8(value) != utf8) {
    error = "the value has characters the terminal cannot take";
    return false;
  }
  // A comma would split the value into two on the wire, a line break would end the request.
  if (value.find_first_of(",\r\n") != std::string::npos) {
    error = "a value cannot contain a comma or a line break";
    return false;
  }
  switch (param.ParamType) {
    case ptInteger: {
      int64_t n = 0;
      const bool decimal =
          !value.empty() && value.find_first_not_of("+-0123456789") == std::string::npos;
      if (!decimal || !ParseInt64(value, n)) {
        error = "not a decimal integer";
        return false;
      }
      const int32_t low = IntegerLow(param), high = IntegerHigh(param);
      if (ClampToLimits(n, low, high) != n) {
        error = "out of range " + std::to_string(low) + ".." + std::to_string(high);
        return false;
      }
      value = std::to_string(n);
      return true;
    }
    case ptHex: {
      const std::string masked = MaskHexText(value, param.MaxLen);
      if (masked != UpperAscii(value) ||
          masked.find_first_not_of("0123456789ABCDEF") != std::string::npos) {
        error = "not a hexadecimal number of at most " + std::to_string(param.MaxLen) + " digits";
        return false;
      }
      if (!HexTextInRange(param, masked)) {
        error = "out of range";
        return false;
      }
      value = masked;
      return true;
    }
    case ptString: {
      if (param.MaxLen > 0 && static_cast<int>(value.size()) > param.MaxLen) {
        error = "longer than " + std::to_string(param.MaxLen) + " characters";
        return false;
      }
      TMaskMatcher matcher;
      for (const std::string* mask : {&param.OnCharMask, &param.OnLeaveMask}) {
        if (mask->empty()) continue;
        if (matcher.Match(*mask, value) != mrMatch) {
          error = "does not match the mask " + Utf8(*mask);
          return false;
        }
      }
      return true;
    }
    case ptOption: {
      for (const TParamOption& option : param.Options)
        if (option.Value == value) return true;
      for (const TParamOption& option : param.Options)
        if (option.Text == value) {
          value = option.Value;
          return true;
        }
      error = "not one of the values";
      for (const TParamOption& option : param.Options)
        error += " " + Utf8(option.Value) + " (" + Utf8(option.Text) + ")";
      return false;
    }
  }
  return true;
}

struct TApplyRequest {
  std::string CommandName;
  int Instance = 0;                                       // from 1; 0: not given
  std::vector<std::pair<std::string, std::string>> Sets;  // index text, UTF-8 value
  std::vector<std::string> Unsets;
  bool PollFirst = false;
};

bool ParseIndex(const std::string& text, int count, int& index) {
  int32_t n = 0;
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
      !ParseInt32(text, n) || n >= count)
    return false;
  index = n;
  return true;
}

// A parameter value prepared for the editor.
struct TPreparedValue {
  int Index = 0;
  bool Untick = false;
  std::string Value;
};

bool PrepareValues(const TDevCommand& cmd, const TApplyRequest& request,
                   std::vector<TPreparedValue>& prepared) {
  const int count = static_cast<int>(cmd.Parameters.size());
  std::set<int> seen;
  for (const auto& [indexText, utf8] : request.Sets) {
    TPreparedValue p;
    if (!ParseIndex(indexText, count, p.Index)) {
      Fail("apply", "--set " + indexText + ": " + Utf8(cmd.Name) + " has parameters 0.." +
                        std::to_string(count - 1));
      return false;
    }
    std::string error;
    if (!CheckValue(cmd.Parameters[p.Index], utf8, p.Value, error)) {
      Fail("apply", "--set " + indexText + "=" + utf8 + ": " + error);
      return false;
    }
    if (!seen.insert(p.Index).second) {
      Fail("apply", "parameter " + indexText + " given twice");
      return false;
    }
    prepared.push_back(p);
  }
  for (const std::string& indexText : request.Unsets) {
    TPreparedValue p;
    p.Untick = true;
    if (!ParseIndex(indexText, count, p.Index)) {
      Fail("apply", "--unset " + indexText + ": " + Utf8(cmd.Name) + " has parameters 0.." +
                        std::to_string(count - 1));
      return false;
    }
    if (!cmd.Parameters[p.Index].Optional) {
      Fail("apply", "--unset " + indexText + ": the parameter is not optional");
      return false;
    }
    if (!seen.insert(p.Index).second) {
      Fail("apply", "parameter " + indexText + " given twice");
      return false;
    }
    prepared.push_back(p);
  }
  return true;
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

bool ParseApplyArgs(const std::vector<std::string>& rest, TApplyRequest& request) {
  for (size_t i = 0; i < rest.size(); ++i) {
    const std::string& a = rest[i];
    if (a == "--poll-first") {
      request.PollFirst = true;
      continue;
    }
    if (a != "--command" && a != "--instance" && a != "--set" && a != "--unset") {
      Fail("apply", "unexpected argument '" + a + "'");
      return false;
    }
    if (i + 1 >= rest.size()) {
      Fail("apply", "missing value after " + a);
      return false;
    }
    const std::string& v = rest[++i];
    if (a == "--command") {
      request.CommandName = Utf8ToCp1251(v);
    } else if (a == "--instance") {
      int32_t n = 0;
      if (!ParseInt32(v, n) || n < 1) {
        Fail("apply", "invalid value for --instance: '" + v + "' (instances count from 1)");
        return false;
      }
      request.Instance = n;
    } else if (a == "--set") {
      const size_t eq = v.find('=');
      if (eq == std::string::npos) {
        Fail("apply", "--set needs INDEX=VALUE, got '" + v + "'");
        return false;
      }
      request.Sets.emplace_back(v.substr(0, eq), v.substr(eq + 1));
    } else {
      request.Unsets.push_back(v);
    }
  }
  if (request.CommandName.empty()) {
    Fail("apply", "--command NAME is required");
    return false;
  }
  return true;
}

// The instance to write, from 0; false with a message when it does not fit the command.
bool ResolveInstance(const TDevCommand& cmd, int given, int& instance) {
  if (!cmd.Indexed) {
    if (given > 1) {
      Fail("apply", Utf8(cmd.Name) + " is not indexed; --instance can only be 1");
      return false;
    }
    instance = 0;
    return true;
  }
  if (given < 1 || given > cmd.MaxIndex) {
    Fail("apply", Utf8(cmd.Name) + " is indexed: --instance 1.." + std::to_string(cmd.MaxIndex) +
                      " is required");
    return false;
  }
  instance = given - 1;
  return true;
}

// " #k" for an indexed command (k from 1), else nothing.
std::string InstanceSuffix(const TDevCommand& cmd, int instance) {
  return cmd.Indexed ? " #" + std::to_string(instance + 1) : std::string();
}

}  // namespace

// --------------------------------------------------------------------------------------------

int Poll(const Args& args) {
  TEngineOptions options;
  std::vector<std::string> rest;
  std::string error;
  if (!ParseEngineOptions(args, options, rest, error)) {
    Fail("poll", error);
    PrintPollUsage();
    return ceUsage;
  }
  std::string pageId, commandName;
  for (size_t i = 0; i < rest.size(); ++i) {
    const std::string& a = rest[i];
    if ((a == "--page" || a == "--command") && i + 1 < rest.size()) {
      (a == "--page" ? pageId : commandName) = Utf8ToCp1251(rest[++i]);
      continue;
    }
    Fail("poll", a == "--page" || a == "--command" ? "missing value after " + a
                                                   : "unexpected argument '" + a + "'");
    PrintPollUsage();
    return ceUsage;
  }
  if (!pageId.empty() && !commandName.empty()) {
    Fail("poll", "--page and --command exclude each other");
    return ceUsage;
  }

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
  TEngineOptions options;
  std::vector<std::string> rest;
  std::string error;
  if (!ParseEngineOptions(args, options, rest, error)) {
    Fail("apply", error);
    PrintApplyUsage();
    return ceUsage;
  }
  TApplyRequest request;
  if (!ParseApplyArgs(rest, request)) {
    PrintApplyUsage();
    return ceUsage;
  }

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
  int instance = 0;
  std::vector<TPreparedValue> values;
  if (!ResolveInstance(cmd, request.Instance, instance) || !PrepareValues(cmd, request, values))
    return ceUsage;

  // Bad input and a missing password are found before anything goes to the terminal.
  TEngineCli cli(profile, settings, options);
  if (cli.Engine->CommandPassword(cmd).empty()) {
    Fail("apply", "no password for " + Utf8(cmd.Name) +
                      " (give --password or --master-password, or set it in the settings file)");
    return ceFailure;
  }
  const int connected = cli.Connect();
  if (connected != ceOk) return connected;

  if (request.PollFirst) {
    if (!cli.Engine->PollCommand({page, command, 0, 0})) return ceTransferError;
    const int outcome = cli.CommandOutcome(page, command);
    if (outcome != ceOk) {
      std::fprintf(stderr, "quillon-cli apply: nothing written\n");
      return outcome;
    }
  }
  PutValues(*cli.Editor, cmd, page, command, instance, values);
  const std::string sent =
      "AT" + cmd.Name + "=*," + cli.Engine->BuildParamList(page, command, instance);
  if (!cli.Engine->ApplyCommand({page, command, instance, 0})) {
    std::fprintf(stderr, "quillon-cli apply: the request failed\n");
    return ceTransferError;
  }
  const int outcome = cli.CommandOutcome(page, command);
  if (options.Json)
    std::printf("{\"command\": %s, \"instance\": %d, \"request\": %s, \"applied\": %s}\n",
                JsonString(cmd.Name).c_str(), instance + 1, JsonString(sent).c_str(),
                JsonBool(outcome == ceOk));
  else if (outcome == ceOk)
    std::printf("%s%s applied: %s\n", Utf8(cmd.Name).c_str(), InstanceSuffix(cmd, instance).c_str(),
                Utf8(sent).c_str());
  return outcome;
}

}  // namespace quillon::cli
