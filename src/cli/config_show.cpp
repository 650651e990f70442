#include "cli/config_show.h"

#include <cstdio>
#include <map>
#include <set>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/engine_cli.h"
#include "cli/json_text.h"
#include "editor/editor_rules.h"
#include "profile/cp1251.h"
#include "settings/program_paths.h"

namespace quillon::cli {

namespace {

// Commands in profile order, each with the instances the file named (ascending).
std::map<std::pair<int, int>, std::set<int>> NamedInstances(const TLoadResult& loaded) {
  std::map<std::pair<int, int>, std::set<int>> named;
  for (const TLoadedInstance& c : loaded.Commands) named[{c.Page, c.Command}];
  for (const TLoadedInstance& i : loaded.Instances) named[{i.Page, i.Command}].insert(i.Instance);
  return named;
}

struct TFieldView {
  bool Known = true;  // an option with no selection is not
  std::string Value;
  std::string Text;  // an option's text
};

TFieldView ViewField(const TConfigShowReport& r, const TCmdParameter& param, int page, int command,
                     int instance, int index) {
  TFieldView view;
  if (param.ParamType != ptOption) {
    view.Value = r.Editor->InputText(page, command, instance, index);
    return view;
  }
  const int selected = r.Editor->OptionIndex(page, command, instance, index);
  if (selected < 0 || static_cast<size_t>(selected) >= param.Options.size()) {
    view.Known = false;
    return view;
  }
  view.Value = param.Options[static_cast<size_t>(selected)].Value;
  view.Text = param.Options[static_cast<size_t>(selected)].Text;
  return view;
}

}  // namespace

std::string ParseConfigShowArgs(const std::vector<std::string>& args, TConfigShowArgs& out) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      out.Json = true;
    } else if (a == "--profile") {
      if (i + 1 >= args.size()) return "--profile needs a FILE";
      out.ProfileFile = args[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option '" + a + "'";
    } else if (!out.File.empty()) {
      return "unexpected argument '" + a + "' (one FILE only)";
    } else {
      out.File = a;
    }
  }
  if (out.File.empty()) return "FILE is required";
  return {};
}

TConfigShowReport ShowConfiguration(const CommandProfile& profile, THeadlessEditor& editor,
                                    const std::string& file) {
  TConfigShowReport report;
  report.File = file;
  report.Profile = &profile;
  report.Editor = &editor;
  TConfigMessages messages;
  report.Loaded = LoadConfigurationFromFile(profile, editor, file, messages);
  report.Messages = messages.Lines();
  if (report.Loaded.Outcome == loCorrupt) report.Messages.push_back(report.Loaded.Error);
  return report;
}

std::string ConfigShowText(const TConfigShowReport& r) {
  std::string out = "File: " + r.File + "\n";
  for (const auto& [address, instances] : NamedInstances(r.Loaded)) {
    const auto [page, command] = address;
    const TDevCommand& cmd = *r.Profile->Command(page, command);
    out += Utf8(cmd.Name) + "  " + Utf8(cmd.Description) + "\n";
    for (const int k : instances) {
      if (cmd.Indexed) out += "  #" + std::to_string(k + 1) + "\n";
      const std::string indent = cmd.Indexed ? "    " : "  ";
      for (int i = 0; i < static_cast<int>(cmd.Parameters.size()); ++i) {
        const TCmdParameter& param = cmd.Parameters[static_cast<size_t>(i)];
        const TFieldView v = ViewField(r, param, page, command, k, i);
        std::string shown = v.Known ? Utf8(v.Value) : "(none selected)";
        if (v.Known && param.ParamType == ptOption) shown += " (" + Utf8(v.Text) + ")";
        if (param.Optional && !r.Editor->Checked(page, command, k, i)) shown += "  [off]";
        out += indent + "[" + std::to_string(i) + "] " + Utf8(param.Description) + " = " + shown +
               "\n";
      }
    }
  }
  if (!r.Messages.empty()) {
    out += "Messages:\n";
    for (const std::string& m : r.Messages) out += "  " + Utf8(m) + "\n";
  }
  return out;
}

std::string ConfigShowJson(const TConfigShowReport& r) {
  // File names are UTF-8 here; JsonString takes the logic's Windows-1251.
  std::string out = "{\"file\": " + JsonString(Utf8ToCp1251(r.File)) + ", \"commands\": [";
  bool firstCommand = true;
  for (const auto& [address, instances] : NamedInstances(r.Loaded)) {
    const auto [page, command] = address;
    const TDevCommand& cmd = *r.Profile->Command(page, command);
    out += firstCommand ? "\n  " : ",\n  ";
    firstCommand = false;
    out += "{\"command\": " + JsonString(cmd.Name) +
           ", \"description\": " + JsonString(cmd.Description) + ", \"instances\": [";
    bool firstInstance = true;
    for (const int k : instances) {
      out += firstInstance ? "" : ", ";
      firstInstance = false;
      out += "{\"instance\": " + std::to_string(k + 1) + ", \"parameters\": [";
      for (int i = 0; i < static_cast<int>(cmd.Parameters.size()); ++i) {
        const TCmdParameter& param = cmd.Parameters[static_cast<size_t>(i)];
        const TFieldView v = ViewField(r, param, page, command, k, i);
        const bool option = param.ParamType == ptOption;
        out += (i ? ", " : "") + std::string("{\"index\": ") + std::to_string(i) +
               ", \"description\": " + JsonString(param.Description) + ", \"type\": \"" +
               JsonTypeName(param.ParamType) + "\", \"enabled\": " +
               (param.Optional ? JsonBool(r.Editor->Checked(page, command, k, i)) : "null") +
               ", \"value\": " + (v.Known ? JsonString(v.Value) : "null") +
               ", \"text\": " + (option && v.Known ? JsonString(v.Text) : "null") + "}";
      }
      out += "]}";
    }
    out += "]}";
  }
  out += firstCommand ? "]" : "\n]";
  out += ", \"messages\": [";
  for (size_t i = 0; i < r.Messages.size(); ++i) out += (i ? ", " : "") + JsonString(r.Messages[i]);
  out += "]}\n";
  return out;
}

std::string ConfigShowUsage() {
  return "usage: quillon-cli config show FILE [--json] [--profile FILE]\n"
         "\n"
         "Shows what loading the configuration file FILE would put into each field, command by\n"
         "command and instance by instance, with the profile's descriptions, and every message\n"
         "the loader would log. Nothing is sent anywhere. Exit 1 when the loader would log\n"
         "anything (or the file cannot be read at all).\n"
         "\n"
         "  --json          one JSON object:\n"
         "                  {\"file\", \"commands\": [{\"command\", \"description\",\n"
         "                   \"instances\": [{\"instance\", \"parameters\": [{\"index\",\n"
         "                   \"description\", \"type\", \"enabled\", \"value\", \"text\"}]}]}],\n"
         "                   \"messages\": [...]}\n"
         "                  instance counts from 1, index from 0; type is integer, string, hex\n"
         "                  or option; enabled is the check box of an optional parameter (null\n"
         "                  for one that is not optional); value is null for an option with\n"
         "                  none selected; text is an option's text (null for other types)\n"
         "  --profile FILE  the command profile (default: the program's cmdprofile.xml)\n";
}

int ConfigShow(const Args& args) {
  TConfigShowArgs parsed;
  const std::string error = ParseConfigShowArgs(args, parsed);
  if (!error.empty()) return UsageError("config show", error, ConfigShowUsage());
  const std::string profileFile =
      parsed.ProfileFile.empty() ? ExecutableDir() + "cmdprofile.xml" : parsed.ProfileFile;
  CommandProfile profile;
  profile.LoadCommandProfile(profileFile);
  if (profile.FileStatus.Status == TFileReadStatus::Refused) {
    Fail("config show",
         "refused command profile '" + profileFile + "': " + profile.FileStatus.Reason);
    return 1;
  }
  if (profile.Pages.empty()) {
    Fail("config show", "no pages in the command profile " + profileFile);
    return 1;
  }
  THeadlessEditor editor(profile);
  const TConfigShowReport report = ShowConfiguration(profile, editor, parsed.File);
  const std::string out = parsed.Json ? ConfigShowJson(report) : ConfigShowText(report);
  std::fputs(out.c_str(), stdout);
  if (report.Loaded.Outcome == loCorrupt) Fail("config show", report.Loaded.Error);
  if (std::fflush(stdout) != 0) return 1;
  return report.Messages.empty() ? 0 : 1;
}

}  // namespace quillon::cli
