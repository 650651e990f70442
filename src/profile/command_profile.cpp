#include "profile/command_profile.h"

#include "profile/fixed_texts.h"
#include "profile/text_utils.h"
#include "profile/xml_parser_utf8.h"

namespace quillon {

namespace {

unsigned char FoldAscii(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - 'a' + 'A') : b;
}

// Boolean attributes: the word true or false in any letter case, or a number (non-zero is
// true); anything else, an absent attribute included, leaves the default.
bool ReadBool(const TXmlAttributeList& attrs, const char* name, bool fallback) {
  std::string text = attrs.Value(name);
  if (SameTextAscii(text, "true")) return true;
  if (SameTextAscii(text, "false")) return false;
  int64_t number;
  return ParseInt64(text, number) ? number != 0 : fallback;
}

TGroupSetMode ReadGroupSetMode(const TXmlAttributeList& attrs) {
  std::string text = attrs.Value("groupsetdata");
  bool known = SameTextAscii(text, "true") || SameTextAscii(text, "false");
  int64_t number;
  if (!known && !ParseInt64(text, number)) return gsAuto;
  return ReadBool(attrs, "groupsetdata", false) ? gsYes : gsNo;
}

TPasswordMode ReadPasswordMode(const TXmlAttributeList& attrs) {
  std::string mode = UpperAscii(attrs.Value("passwordmode"));
  if (mode == "ADMIN") return pmAdmin;
  if (mode == "USERADMIN") return pmUserAdmin;
  if (mode == "USER") return pmUser;
  return pmAdminUser;
}

TParamType ReadParamType(const TXmlAttributeList& attrs) {
  std::string type = attrs.Value("type");
  if (type == "integer") return ptInteger;
  if (type == "hex") return ptHex;
  if (type == "option") return ptOption;
  return ptString;
}

// The loader's position in the model while the parts go by; -1 where there is none yet.
struct TLoadState {
  std::vector<std::string> open;  // names of the open elements
  int page = -1;
  int command = -1;
  int parameter = -1;
};

void ReadPage(CommandProfile& profile, const TXmlAttributeList& attrs, TLoadState& state) {
  TDevPage page;
  page.Id = attrs.Value("id");
  page.Name = attrs.Value("name");
  profile.Pages.push_back(std::move(page));
  state.page = static_cast<int>(profile.Pages.size()) - 1;
  state.command = -1;
  state.parameter = -1;
}

void ReadCommand(CommandProfile& profile, const TXmlAttributeList& attrs, TLoadState& state) {
  if (state.page < 0) return;  // no page to hold it
  auto& commands = profile.Pages[state.page].Commands;
  commands.emplace_back();
  state.command = static_cast<int>(commands.size()) - 1;
  state.parameter = -1;
  TDevCommand& cmd = commands.back();
  for (int i = 0; i < attrs.Count(); ++i) cmd.Attributes.push_back({attrs.Name(i), attrs.Value(i)});
  cmd.Name = attrs.Value("command");
  cmd.PasswordMode = ReadPasswordMode(attrs);
  profile.CommandIndex[cmd.Name] = {state.page, state.command};
  cmd.Description = attrs.Value("description");
  cmd.PollData = ReadBool(attrs, "polldata", false);
  cmd.SetData = ReadBool(attrs, "setdata", true);
  cmd.GroupSetData = ReadGroupSetMode(attrs);
  cmd.ExportData = ReadBool(attrs, "exportdata", false);
  cmd.MaxIndex = StrToInt32Def(attrs.Value("maxindex"), -1);
  if (cmd.MaxIndex > CommandProfile::kMaxIndex) {
    profile.LoadMessages.push_back(
        Text(TText::ProfileMaxIndexCut,
             {cmd.Name, std::to_string(cmd.MaxIndex), std::to_string(CommandProfile::kMaxIndex)}));
    cmd.MaxIndex = CommandProfile::kMaxIndex;
  }
  cmd.Indexed = cmd.MaxIndex > 0;
  cmd.PollProcessor = attrs.Value("pollprocessor");
  if (cmd.PollProcessor.empty()) {
    auto preset = profile.DefaultPollProcessors.find(cmd.Name);
    if (preset != profile.DefaultPollProcessors.end()) cmd.PollProcessor = preset->second;
  }
  if (cmd.PollProcessor.empty() && !cmd.PollData) cmd.PollProcessor = "nonpoll";
}

void ReadParameter(CommandProfile& profile, const TXmlAttributeList& attrs, TLoadState& state) {
  if (state.page < 0 || state.command < 0) return;  // no command to hold it
  TDevCommand& cmd = profile.Pages[state.page].Commands[state.command];
  auto& params = cmd.Parameters;
  if (params.size() >= CommandProfile::kMaxParameters) {
    if (state.parameter >= 0)
      profile.LoadMessages.push_back(
          Text(TText::ProfileParametersSkipped,
               {cmd.Name, std::to_string(CommandProfile::kMaxParameters)}));
    state.parameter = -1;  // its options go with it
    return;
  }
  params.emplace_back();
  state.parameter = static_cast<int>(params.size()) - 1;
  TCmdParameter& p = params.back();
  p.ParamType = ReadParamType(attrs);
  p.Description = attrs.Value("description");
  p.Suffix = attrs.Value("suffix");
  p.Optional = ReadBool(attrs, "optional", true);
  p.Overwrite = ReadBool(attrs, "overwrite", true);
  if (p.ParamType == ptInteger) {
    // Integer limits are 32-bit: a value beyond that range gives the default.
    p.MinValue = StrToInt32Def(attrs.Value("minvalue"), INT32_MIN);
    p.MaxValue = StrToInt32Def(attrs.Value("maxvalue"), INT32_MAX);
  } else {
    p.MinValue = StrToInt64Def(attrs.Value("minvalue"), 0);
    p.MaxValue = StrToInt64Def(attrs.Value("maxvalue"), 4294967295LL);
  }
  p.OnCharMask = attrs.Value("onchar_mask");
  p.OnLeaveMask = attrs.Value("onleave_mask");
  p.DefaultValue = attrs.Value("defaultvalue");
  p.MaxLen = StrToInt32Def(attrs.Value("maxlen"), 0);
  if (p.ParamType == ptHex && p.MaxLen == 0) p.MaxLen = 8;
}

void ReadOption(CommandProfile& profile, const TXmlAttributeList& attrs, const TLoadState& state) {
  if (state.page < 0 || state.command < 0 || state.parameter < 0) return;
  auto& param = profile.Pages[state.page].Commands[state.command].Parameters[state.parameter];
  param.Options.push_back({attrs.Value("value"), attrs.Value("text")});
}

// Text of title or inputwidth directly inside application.
bool ReadApplicationText(CommandProfile& profile, const TXmlParserUTF8& xml,
                         const TLoadState& state) {
  if (xml.PartKind() != pkContent || state.open.size() < 2 ||
      state.open[state.open.size() - 2] != "application")
    return false;
  if (xml.PartName() == "title") {
    profile.Title = TrimCtl(xml.PartContent());
    return true;
  }
  if (xml.PartName() == "inputwidth") {
    profile.InputWidth = StrToInt32Def(TrimCtl(xml.PartContent()), 0);
    return true;
  }
  return false;
}

void ReadProfile(CommandProfile& profile, TXmlParserUTF8& xml) {
  TLoadState state;
  while (xml.Scan()) {
    TXmlPartKind kind = xml.PartKind();
    if (kind == pkStartTag) state.open.push_back(xml.PartName());
    if (kind == pkEndTag && !state.open.empty()) state.open.pop_back();
    if (ReadApplicationText(profile, xml, state)) continue;
    // Only tags make entries. Text or CDATA carries the name and attributes of the tag before
    // it, and taking it like that tag again would duplicate the page, command or parameter.
    if (kind != pkStartTag && kind != pkEmptyTag) continue;
    const std::string& name = xml.PartName();
    const TXmlAttributeList& attrs = xml.PartAttributes();
    if (name == "page") {
      ReadPage(profile, attrs, state);
    } else if (name == "command") {
      ReadCommand(profile, attrs, state);
    } else if (name == "parameter") {
      ReadParameter(profile, attrs, state);
    } else if (name == "option") {
      ReadOption(profile, attrs, state);
    }
  }
}

}  // namespace

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = FoldAscii(a[i]);
    unsigned char y = FoldAscii(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

CommandProfile::CommandProfile() {
  DefaultPollProcessors["+TEXT"] = "exitcmd";
  DefaultPollProcessors["+SRBT"] = "exitcmd";
}

void CommandProfile::LoadCommandProfile(const std::string& fileName) {
  std::string data;
  const TFileReadResult result = ReadBoundedFile(fileName, kMaxFileSize, data);
  LoadCommandProfileFromBuffer(data);  // an unreadable file reads as an empty document
  FileStatus = result;
  if (result.Status == TFileReadStatus::Refused)
    LoadMessages.push_back(
        Text(TText::ProfileNotRead,
             {fileName, result.TooLarge ? Text(TText::FileLargerThan, {SizeLimitText(kMaxFileSize)})
                                        : Text(TText::FileNotRegular)}));
}

void CommandProfile::LoadCommandProfileFromBuffer(const std::string& utf8) {
  Pages.clear();
  // A reload must not keep positions that point into the model it replaces.
  CommandIndex.clear();
  Title.clear();
  InputWidth = 0;
  FileStatus = TFileReadResult{TFileReadStatus::Read, {}};
  LoadMessages.clear();
  TXmlParserUTF8 xml;
  xml.LoadFromBuffer(utf8);
  ReadProfile(*this, xml);
}

bool CommandProfile::FindCommand(const std::string& name, int& page, int& command) const {
  auto found = CommandIndex.find(name);
  if (found == CommandIndex.end()) {
    page = -1;
    command = -1;
    return false;
  }
  page = found->second.first;
  command = found->second.second;
  return true;
}

void CommandProfile::RegisterPollProcessor(const std::string& name, TResponseProcessor routine) {
  PollProcessorRegistry[name] = std::move(routine);
}

const TResponseProcessor* CommandProfile::FindPollProcessor(const std::string& name) const {
  auto found = PollProcessorRegistry.find(name);
  if (found == PollProcessorRegistry.end() && !name.empty())
    found = PollProcessorRegistry.find(std::string());
  return found == PollProcessorRegistry.end() ? nullptr : &found->second;
}

const TDevCommand* CommandProfile::Command(int page, int command) const {
  if (page < 0 || page >= static_cast<int>(Pages.size())) return nullptr;
  const auto& commands = Pages[page].Commands;
  if (command < 0 || command >= static_cast<int>(commands.size())) return nullptr;
  return &commands[command];
}

std::string GetCommandAttribute(const TDevCommand& command, const std::string& name) {
  const std::string wanted = UpperAscii(name);
  for (const auto& attr : command.Attributes)
    if (UpperAscii(attr.Name) == wanted) return attr.Value;
  return std::string();
}

std::string ConfirmQuestion(const TDevCommand& command) {
  return TrimCtl(GetCommandAttribute(command, "confirm"));
}

}  // namespace quillon
