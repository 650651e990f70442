// quillon-cli profile: the command profile as the program loads it, for profile authors.
// quillon-cli xml-scan: every part the XML reader delivers, one JSON object per line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/json_text.h"
#include "profile/command_profile.h"
#include "profile/cp1251.h"
#include "profile/xml_parser_utf8.h"
#include "settings/program_paths.h"

namespace quillon::cli {

namespace {

const char* GroupSetName(TGroupSetMode mode) {
  switch (mode) {
    case gsNo:
      return "gsNo";
    case gsYes:
      return "gsYes";
    default:
      return "gsAuto";
  }
}

const char* PasswordModeName(TPasswordMode mode) {
  switch (mode) {
    case pmAdmin:
      return "pmAdmin";
    case pmUserAdmin:
      return "pmUserAdmin";
    case pmUser:
      return "pmUser";
    default:
      return "pmAdminUser";
  }
}

const char* ParamTypeName(TParamType type) {
  switch (type) {
    case ptInteger:
      return "ptInteger";
    case ptHex:
      return "ptHex";
    case ptOption:
      return "ptOption";
    default:
      return "ptString";
  }
}

// The loader reports nothing, so the tool finds out itself whether the file can be read; the
// reader's own guards apply (regular files only, within the size limit).
bool CheckReadable(const std::string& fileName, const char* what) {
  std::string data;
  errno = 0;
  const TFileReadResult read = ReadBoundedFile(fileName, TXmlParserUTF8::kMaxFileSize, data);
  if (read.Status == TFileReadStatus::Read) return true;
  if (read.Status == TFileReadStatus::Refused)
    std::fprintf(stderr, "quillon-cli: refused %s '%s': %s\n", what, fileName.c_str(),
                 read.Reason.c_str());
  else
    std::fprintf(stderr, "quillon-cli: cannot read %s '%s': %s\n", what, fileName.c_str(),
                 std::strerror(errno ? errno : EIO));
  return false;
}

void Print(const std::string& cp1251Text) {
  std::fputs(Cp1251ToUtf8(cp1251Text).c_str(), stdout);
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string YesNo(bool value) {
  return value ? "yes" : "no";
}

// ---- JSON ----

std::string OptionsJson(const std::vector<TParamOption>& options) {
  std::string json = "[";
  for (size_t i = 0; i < options.size(); ++i) {
    json += i ? "," : "";
    json += "{\"Value\":" + JsonString(options[i].Value) +
            ",\"Text\":" + JsonString(options[i].Text) + "}";
  }
  return json + "]";
}

std::string ParameterJson(const TCmdParameter& p) {
  return std::string("{\"ParamType\":\"") + ParamTypeName(p.ParamType) + "\"" +
         ",\"Description\":" + JsonString(p.Description) + ",\"Suffix\":" + JsonString(p.Suffix) +
         ",\"Optional\":" + JsonBool(p.Optional) + ",\"MinValue\":" + std::to_string(p.MinValue) +
         ",\"MaxValue\":" + std::to_string(p.MaxValue) +
         ",\"OnCharMask\":" + JsonString(p.OnCharMask) +
         ",\"OnLeaveMask\":" + JsonString(p.OnLeaveMask) +
         ",\"DefaultValue\":" + JsonString(p.DefaultValue) +
         ",\"MaxLen\":" + std::to_string(p.MaxLen) + ",\"Overwrite\":" + JsonBool(p.Overwrite) +
         ",\"Options\":" + OptionsJson(p.Options) + "}";
}

std::string CommandJson(const TDevCommand& c) {
  std::string attrs = "[";
  for (size_t i = 0; i < c.Attributes.size(); ++i) {
    attrs += i ? "," : "";
    attrs += "{\"Name\":" + JsonString(c.Attributes[i].Name) +
             ",\"Value\":" + JsonString(c.Attributes[i].Value) + "}";
  }
  attrs += "]";
  std::string params = "[";
  for (size_t i = 0; i < c.Parameters.size(); ++i)
    params += (i ? "," : "") + ParameterJson(c.Parameters[i]);
  params += "]";
  return "{\"Name\":" + JsonString(c.Name) + ",\"Description\":" + JsonString(c.Description) +
         ",\"PollData\":" + JsonBool(c.PollData) + ",\"SetData\":" + JsonBool(c.SetData) +
         ",\"GroupSetData\":\"" + GroupSetName(c.GroupSetData) + "\"" +
         ",\"ExportData\":" + JsonBool(c.ExportData) + ",\"Indexed\":" + JsonBool(c.Indexed) +
         ",\"MaxIndex\":" + std::to_string(c.MaxIndex) +
         ",\"PollProcessor\":" + JsonString(c.PollProcessor) + ",\"PasswordMode\":\"" +
         PasswordModeName(c.PasswordMode) + "\",\"Attributes\":" + attrs +
         ",\"Parameters\":" + params + "}";
}

std::string ProfileJson(const CommandProfile& profile) {
  std::string pages = "[";
  for (size_t i = 0; i < profile.Pages.size(); ++i) {
    const TDevPage& page = profile.Pages[i];
    std::string commands = "[";
    for (size_t k = 0; k < page.Commands.size(); ++k)
      commands += (k ? "," : "") + CommandJson(page.Commands[k]);
    pages += (i ? "," : "") + std::string("{\"Id\":") + JsonString(page.Id) +
             ",\"Name\":" + JsonString(page.Name) + ",\"Commands\":" + commands + "]}";
  }
  return "{\"Title\":" + JsonString(profile.Title) +
         ",\"InputWidth\":" + std::to_string(profile.InputWidth) + ",\"Pages\":" + pages + "]}";
}

// ---- plain text ----

std::string ParameterLine(size_t index, const TCmdParameter& p) {
  static const char* kTypes[] = {"integer", "string", "hex", "option"};
  std::string line = "    [" + std::to_string(index) + "] " + Quoted(p.Description) + "  " +
                     kTypes[p.ParamType] + (p.Optional ? ", optional" : ", mandatory");
  if (p.ParamType == ptInteger || p.ParamType == ptHex)
    line += ", " + std::to_string(p.MinValue) + ".." + std::to_string(p.MaxValue);
  if (p.MaxLen > 0) line += ", max length " + std::to_string(p.MaxLen);
  if (!p.Suffix.empty()) line += ", unit " + Quoted(p.Suffix);
  line += ", default " + Quoted(p.DefaultValue);
  if (!p.Overwrite) line += ", kept on poll";
  line += "\n";
  if (!p.OnCharMask.empty()) line += "         on typing: " + p.OnCharMask + "\n";
  if (!p.OnLeaveMask.empty()) line += "         on leaving: " + p.OnLeaveMask + "\n";
  for (const auto& o : p.Options) line += "         " + Quoted(o.Value) + " = " + o.Text + "\n";
  return line;
}

std::string CommandText(const TDevCommand& c) {
  static const char* kGroup[] = {"never", "when enabled", "always"};
  static const char* kPassword[] = {"admin", "admin, else user", "user, else admin", "user"};
  std::string text = "  " + c.Name + "  " + c.Description + "\n";
  text += "      poll " + YesNo(c.PollData) + ", set " + YesNo(c.SetData) + ", page apply " +
          kGroup[c.GroupSetData] + ", export " + YesNo(c.ExportData) + ", password " +
          kPassword[c.PasswordMode] + ", processor " +
          (c.PollProcessor.empty() ? "(default)" : c.PollProcessor);
  if (c.Indexed) text += ", " + std::to_string(c.MaxIndex) + " instances";
  text += "\n";
  // Attributes already shown as fields above are left out.
  static const std::set<std::string> kFields = {"command",  "description",   "polldata",
                                                "setdata",  "groupsetdata",  "exportdata",
                                                "maxindex", "pollprocessor", "passwordmode"};
  std::string attrs;
  for (const auto& a : c.Attributes)
    if (!kFields.count(a.Name)) attrs += " " + a.Name + "=" + Quoted(a.Value);
  if (!attrs.empty()) text += "      attributes:" + attrs + "\n";
  for (size_t i = 0; i < c.Parameters.size(); ++i) text += ParameterLine(i, c.Parameters[i]);
  return text;
}

void PrintProfileText(const CommandProfile& profile, const std::string& fileName) {
  size_t commands = 0;
  for (const auto& page : profile.Pages) commands += page.Commands.size();
  std::printf("Profile: %s\n", fileName.c_str());  // a path, already in the system's encoding
  Print("Title: " + profile.Title + "\n");
  Print("Input width: " + std::to_string(profile.InputWidth) + "\n");
  Print(std::to_string(profile.Pages.size()) + " pages, " + std::to_string(commands) +
        " commands\n");
  for (size_t i = 0; i < profile.Pages.size(); ++i) {
    const TDevPage& page = profile.Pages[i];
    Print("\nPage " + std::to_string(i + 1) + ": " + page.Name + " (id " + Quoted(page.Id) + ")\n");
    for (const auto& c : page.Commands) Print(CommandText(c));
  }
}

// Element and attribute names are the document's own bytes (UTF-8), not converted text.
std::string JsonName(const std::string& name) {
  std::string converted = Utf8ToCp1251(name);
  return JsonString(converted.empty() ? name : converted);
}

}  // namespace

std::string ProfileUsage() {
  return "usage: quillon-cli profile [--json] [FILE]\n"
         "\n"
         "Shows the command profile as the program loads it: pages, commands, their parameters\n"
         "([0], [1], ... as --set counts them) and options.\n"
         "\n"
         "  FILE    the profile to read (default: the program's cmdprofile.xml)\n"
         "  --json  print the model as JSON\n"
         "\n"
         "JSON fields: Title, InputWidth, Pages[]: Id, Name, Commands[]: Name, Description,\n"
         "  PollData, SetData, GroupSetData, ExportData, Indexed, MaxIndex, PollProcessor,\n"
         "  PasswordMode, Attributes[]: Name, Value; Parameters[]: ParamType, Description,\n"
         "  Suffix, Optional, MinValue, MaxValue, OnCharMask, OnLeaveMask, DefaultValue, MaxLen,\n"
         "  Overwrite, Options[]: Value, Text.\n";
}

std::string XmlScanUsage() {
  return "usage: quillon-cli xml-scan FILE\n"
         "\n"
         "Lists every part the program's XML reader delivers from FILE, one JSON object per\n"
         "line, for profile authors who want to see what the program makes of their file.\n"
         "\n"
         "JSON fields (one object per line): kind (0-9), name, content, attributes (a list of\n"
         "  [name, value] pairs).\n";
}

std::string ParseProfileArgs(const Args& args, TProfileArgs& out) {
  for (const auto& arg : args) {
    if (arg == "--json")
      out.Json = true;
    else if (arg.size() > 1 && arg[0] == '-')
      return "unknown option '" + arg + "'";
    else if (out.File.empty())
      out.File = arg;
    else
      return "unexpected argument '" + arg + "' (one FILE only)";
  }
  return {};
}

std::string ParseXmlScanArgs(const Args& args, TXmlScanArgs& out) {
  if (args.empty()) return "FILE is required";
  if (args[0].size() > 1 && args[0][0] == '-') return "unknown option '" + args[0] + "'";
  if (args.size() > 1) return "unexpected argument '" + args[1] + "' (one FILE only)";
  out.File = args[0];
  return {};
}

int Profile(const Args& args) {
  TProfileArgs parsed;
  const std::string error = ParseProfileArgs(args, parsed);
  if (!error.empty()) return UsageError("profile", error, ProfileUsage());
  const bool json = parsed.Json;
  std::string fileName = parsed.File;
  if (fileName.empty()) fileName = ProgramPaths().ProfileFile;
  if (!CheckReadable(fileName, "profile")) return 1;
  CommandProfile profile;
  profile.LoadCommandProfile(fileName);
  for (const std::string& notice : profile.LoadMessages)
    std::fprintf(stderr, "quillon-cli profile: %s\n", Cp1251ToUtf8(notice).c_str());
  if (json) {
    std::puts(ProfileJson(profile).c_str());
  } else {
    PrintProfileText(profile, fileName);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int XmlScan(const Args& args) {
  TXmlScanArgs parsed;
  const std::string error = ParseXmlScanArgs(args, parsed);
  if (!error.empty()) return UsageError("xml-scan", error, XmlScanUsage());
  if (!CheckReadable(parsed.File, "file")) return 1;
  TXmlParserUTF8 xml;
  if (!xml.LoadFromFile(parsed.File)) {
    std::fprintf(stderr, "quillon-cli: cannot read file '%s'\n", parsed.File.c_str());
    return 1;
  }
  while (xml.Scan()) {
    const TXmlAttributeList& attrs = xml.PartAttributes();
    std::string line = "{\"kind\":" + std::to_string(xml.PartKind()) +
                       ",\"name\":" + JsonName(xml.PartName()) +
                       ",\"content\":" + JsonString(xml.PartContent()) + ",\"attributes\":[";
    for (int i = 0; i < attrs.Count(); ++i) {
      line += i ? "," : "";
      line += "[" + JsonName(attrs.Name(i)) + "," + JsonString(attrs.Value(i)) + "]";
    }
    line += "]}";
    std::puts(line.c_str());
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace quillon::cli
