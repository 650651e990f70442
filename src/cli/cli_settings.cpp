// quillon-cli settings: the program settings as the program reads them at start.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/json_text.h"
#include "profile/command_profile.h"
#include "profile/cp1251.h"
#include "settings/ini_file.h"
#include "settings/program_paths.h"
#include "settings/settings.h"

namespace quillon::cli {

namespace {

// One shown value: text for plain output, JSON for --json.
struct Field {
  std::string name;
  std::string text;  // Windows-1251
  std::string json;  // UTF-8 JSON value
};

Field StringField(const std::string& name, const std::string& value) {
  return {name, value, JsonString(value)};
}

// Passwords never leave the program: a set one shows as "*".
Field SecretField(const std::string& name, const std::string& value) {
  return StringField(name, value.empty() ? "" : "*");
}

Field IntField(const std::string& name, int32_t value) {
  return {name, std::to_string(value), std::to_string(value)};
}

Field BoolField(const std::string& name, bool value) {
  return {name, JsonBool(value), JsonBool(value)};
}

Field ListField(const std::string& name, const std::vector<std::string>& items) {
  std::string text, json = "[";
  for (size_t i = 0; i < items.size(); ++i) {
    text += (i ? "," : "") + items[i];
    json += (i ? ", " : "") + JsonString(items[i]);
  }
  return {name, text, json + "]"};
}

std::vector<Field> SettingsFields(const TSettings& s, bool trueCustomer) {
  return {
      StringField("COM", s.COM),
      IntField("Speed", s.Speed),
      IntField("DataBits", s.DataBits),
      StringField("Parity", s.Parity),
      StringField("StopBits", s.StopBits),
      IntField("Timeout", s.Timeout),
      IntField("TimeoutInterval", s.TimeoutInterval),
      IntField("TimeoutEcho", s.TimeoutEcho),
      SecretField("EffectivePassword", s.EffectivePassword),
      SecretField("Password", s.Password),
      SecretField("MasterPassword", s.MasterPassword),
      ListField("EnabledPages", s.EnabledPages),
      IntField("ReadColorText", s.ReadColorText),
      IntField("WriteColorText", s.WriteColorText),
      IntField("ReadErrorColorText", s.ReadErrorColorText),
      IntField("WriteErrorColorText", s.WriteErrorColorText),
      IntField("GeneralErrorColorText", s.GeneralErrorColorText),
      IntField("RetryCount", s.RetryCount),
      IntField("ConnectMethod", s.ConnectMethod),
      BoolField("Debug", s.Debug),
      IntField("Language", s.Language),
      BoolField("PortPoll", s.PortPoll),
      StringField("MapHost", s.MapHost),
      BoolField("FastAnswer", s.FastAnswer),
      BoolField("SessionLog", s.SessionLog),
      ListField("RecentPorts", s.RecentPorts),
      BoolField("TrueCustomer", trueCustomer),
  };
}

void PrintPlain(const std::vector<Field>& fields) {
  for (const auto& f : fields)
    std::printf("%s = %s\n", f.name.c_str(), Cp1251ToUtf8(f.text).c_str());
}

void PrintJson(const std::vector<Field>& fields) {
  std::printf("{");
  for (size_t i = 0; i < fields.size(); ++i)
    std::printf("%s\n  %s: %s", i ? "," : "", JsonString(fields[i].name).c_str(),
                fields[i].json.c_str());
  std::printf("\n}\n");
}

}  // namespace

std::string SettingsUsage() {
  std::string usage =
      "usage: quillon-cli settings [--json] [--ini FILE]\n"
      "\n"
      "Shows the program settings as the program reads them at start; a password that is set\n"
      "shows as \"*\".\n"
      "\n"
      "  --ini FILE  read this settings file (default: the program's Quillon.ini)\n"
      "  --json      print one JSON object\n"
      "\n"
      "JSON fields:";
  std::string line;
  for (const Field& f : SettingsFields(TSettings{}, false)) {
    if (line.size() + f.name.size() > 80) {
      usage += line + "\n ";
      line.clear();
    }
    line += " " + f.name;
  }
  return usage + line + "\n";
}

std::string ParseSettingsArgs(const Args& args, TSettingsArgs& out) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--json")
      out.Json = true;
    else if (args[i] == "--ini" && i + 1 < args.size())
      out.Ini = args[++i];
    else if (args[i] == "--ini")
      return "missing value after --ini";
    else
      return "unexpected argument '" + args[i] + "'";
  }
  return {};
}

int Settings(const Args& args) {
  TSettingsArgs parsed;
  const std::string error = ParseSettingsArgs(args, parsed);
  if (!error.empty()) return UsageError("settings", error, SettingsUsage());
  const bool json = parsed.Json;
  const std::string& iniPath = parsed.Ini;

  bool explicitIni = !iniPath.empty();
  TIniFile ini(explicitIni ? iniPath : SettingsFilePath());
  // A missing default file is the normal first start; a file named on the command line must
  // be there.
  if (ini.LoadStatus() == TIniLoadStatus::Unreadable ||
      (explicitIni && ini.LoadStatus() == TIniLoadStatus::NotFound)) {
    const TFileReadResult& read = ini.ReadResult();
    if (read.Status == TFileReadStatus::Refused)
      std::fprintf(stderr, "quillon-cli settings: refused settings file '%s': %s\n",
                   ini.FileName().c_str(), read.Reason.c_str());
    else
      std::fprintf(stderr, "quillon-cli settings: cannot read settings file '%s'\n",
                   ini.FileName().c_str());
    return 1;
  }

  CommandProfile profile;
  profile.LoadCommandProfile(ProgramPaths().ProfileFile);
  TSettings settings;
  bool trueCustomer = false;
  LoadSettings(ini, profile, settings, trueCustomer);

  std::vector<Field> fields = SettingsFields(settings, trueCustomer);
  if (json)
    PrintJson(fields);
  else
    PrintPlain(fields);
  return 0;
}

}  // namespace quillon::cli
