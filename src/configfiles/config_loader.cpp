// The loader: walks the document's parts, keeping the previous part's name and the current
// command, instance and parameter number, and puts each value in by its parameter's type.
#include <algorithm>
#include <set>
#include <tuple>

#include "configfiles/config_file.h"
#include "editor/editor_rules.h"
#include "editor/mask_matcher.h"
#include "profile/fixed_texts.h"
#include "profile/text_utils.h"
#include "profile/xml_parser_utf8.h"

namespace quillon {

namespace {

bool IsMarkup(TXmlPartKind kind) {
  return kind == pkStartTag || kind == pkEmptyTag || kind == pkContent || kind == pkCData;
}

class TConfigLoader {
 public:
  TConfigLoader(const CommandProfile& profile, IParameterEditor& editor, TConfigMessages& messages)
      : profile_(profile), editor_(editor), messages_(messages) {}

  TLoadResult Run(const std::string& xml);

 private:
  // Each returns false when the load stops (its message logged).
  bool Part(const TXmlParserUTF8& xml);
  bool Command(const TXmlAttributeList& attributes);
  bool Index(const TXmlAttributeList& attributes);
  bool ParameterTag(const TXmlAttributeList& attributes);
  bool ParameterValue(const std::string& text);
  bool Stop(const std::string& message);
  void NoteInstance();

  std::string IntegerValue(const TCmdParameter& param, const std::string& text);
  std::string StringValue(const TCmdParameter& param, const std::string& text);
  std::string HexValue(const TCmdParameter& param, const std::string& text);
  int OptionValue(const TCmdParameter& param, const std::string& text);

  const TDevCommand& CurrentCommand() const { return *profile_.Command(page_, command_); }

  const CommandProfile& profile_;
  IParameterEditor& editor_;
  TConfigMessages& messages_;
  TMaskMatcher mask_;
  TLoadResult result_;
  std::set<std::tuple<int, int, int>> noted_;
  std::set<std::pair<int, int>> namedCommands_;

  std::string previousName_;
  bool haveCommand_ = false;
  int page_ = 0, command_ = 0, instance_ = 0, param_ = 0;
};

TLoadResult TConfigLoader::Run(const std::string& xml) {
  TXmlParserUTF8 parser;
  parser.LoadFromBuffer(xml);
  while (parser.Scan()) {
    if (!Part(parser)) {
      result_.Outcome = loStopped;
      break;
    }
    previousName_ = parser.PartName();
  }
  return std::move(result_);
}

bool TConfigLoader::Stop(const std::string& message) {
  messages_.Add(message);
  return false;
}

bool TConfigLoader::Part(const TXmlParserUTF8& xml) {
  if (!IsMarkup(xml.PartKind())) return true;
  const std::string& name = xml.PartName();
  if (name == "Quillon") return previousName_.empty() || Stop(Text(TText::DataError, {"1"}));
  if (name == "ExportCommandParamenters")
    return previousName_ == "Quillon" || Stop(Text(TText::DataError, {"2"}));
  if (name == "command") return Command(xml.PartAttributes());
  // Elements before any command have nothing to fall on.
  if (!haveCommand_) return true;
  if (name == "index") return Index(xml.PartAttributes());
  if (name == "parameter") {
    if (xml.PartKind() == pkContent) return ParameterValue(xml.PartContent());
    return ParameterTag(xml.PartAttributes());
  }
  return true;
}

bool TConfigLoader::Command(const TXmlAttributeList& attributes) {
  const std::string name = attributes.Value("name");
  if (name.empty()) return Stop(Text(TText::DataError, {"3"}));
  int page = -1, command = -1;
  if (!profile_.FindCommand(name, page, command) || page < 0 || !profile_.Command(page, command))
    return Stop(Text(TText::CommandNotFound, {name}));
  page_ = page;
  command_ = command;
  haveCommand_ = true;
  if (namedCommands_.insert({page, command}).second) result_.Commands.push_back({page, command, 0});
  return true;
}

bool TConfigLoader::Index(const TXmlAttributeList& attributes) {
  instance_ = StrToInt32Def(attributes.Value("index"), 0);
  param_ = 0;
  // A negative number is as wrong as one past the end.
  if (instance_ < 0 || instance_ >= InstanceCount(CurrentCommand()))
    return Stop(Text(TText::IndexExceeded, {CurrentCommand().Name}));
  NoteInstance();
  return true;
}

void TConfigLoader::NoteInstance() {
  if (noted_.insert({page_, command_, instance_}).second)
    result_.Instances.push_back({page_, command_, instance_});
}

bool TConfigLoader::ParameterTag(const TXmlAttributeList& attributes) {
  const TDevCommand& cmd = CurrentCommand();
  param_ = StrToInt32Def(attributes.Value("index"), 0);
  if (param_ < 0 || param_ >= static_cast<int>(cmd.Parameters.size()))
    return Stop(Text(TText::ParameterNumberExceeded, {cmd.Name}));
  result_.Parameters.push_back({page_, command_, instance_, param_});
  if (!cmd.Parameters[static_cast<size_t>(param_)].Optional) return true;
  if (!editor_.HasControl(page_, command_, instance_, param_, ckCheckBox))
    return Stop(Text(TText::SwitchNotFound));
  NoteInstance();
  editor_.SetChecked(page_, command_, instance_, param_, attributes.Value("enabled") != "0");
  return true;
}

bool TConfigLoader::ParameterValue(const std::string& text) {
  const TDevCommand& cmd = CurrentCommand();
  if (!editor_.HasControl(page_, command_, instance_, param_, ckInput))
    return Stop(Text(TText::InputNotFound));
  // An editor answers no control for a parameter the command lacks; this only guards the index.
  if (param_ < 0 || param_ >= static_cast<int>(cmd.Parameters.size())) return true;
  NoteInstance();
  const TCmdParameter& param = cmd.Parameters[static_cast<size_t>(param_)];
  switch (param.ParamType) {
    case ptInteger:
      editor_.SetInputText(page_, command_, instance_, param_, IntegerValue(param, text));
      break;
    case ptString:
      editor_.SetInputText(page_, command_, instance_, param_, StringValue(param, text));
      break;
    case ptHex:
      editor_.SetInputText(page_, command_, instance_, param_, HexValue(param, text));
      break;
    case ptOption:
      editor_.SetOptionIndex(page_, command_, instance_, param_, OptionValue(param, text));
      break;
  }
  editor_.SetValueOrigin(page_, command_, instance_, param_, voFile);
  return true;
}

std::string TConfigLoader::IntegerValue(const TCmdParameter& param, const std::string& text) {
  int32_t number = 0;
  if (!ParseInt32(text, number)) number = StrToInt32Def(param.DefaultValue, 0);
  if (number < param.MinValue || number > param.MaxValue) {
    messages_.Add(Text(TText::ValueOutOfRange, {text}));
    number = StrToInt32Def(param.DefaultValue, 0);
  }
  return std::to_string(number);
}

std::string TConfigLoader::StringValue(const TCmdParameter& param, const std::string& text) {
  if (param.OnLeaveMask.empty()) return text;
  switch (mask_.Match(param.OnLeaveMask, text)) {
    case mrMatch:
      return text;
    case mrNoMatch:
      messages_.Add(Text(TText::ValueMaskFailed, {text}));
      return param.DefaultValue;
    case mrInvalid:
      break;
  }
  // A broken mask checks nothing, as when the operator types; the profile is at fault. Told once.
  if (mask_.FirstReportOf(param.OnLeaveMask))
    messages_.Add(Text(TText::RegexError, {param.OnLeaveMask, mask_.ErrorText()}));
  return text;
}

std::string TConfigLoader::HexValue(const TCmdParameter& param, const std::string& text) {
  const size_t maxLen = static_cast<size_t>(std::max(param.MaxLen, 0));
  std::string value = UpperAscii(TrimCtl(text));
  // Without a length the field takes any length, and so does the rule.
  if (maxLen > 0) {
    if (value.size() < maxLen) value.insert(0, maxLen - value.size(), '0');
    bool defaultTaken = false;
    while (value.size() > maxLen) {
      if (value[0] == '0') {
        value.erase(0, 1);
      } else if (!defaultTaken) {
        messages_.Add(Text(TText::ValueMaskFailed, {text}));
        value = param.DefaultValue;
        defaultTaken = true;
      } else {
        // A default that does not fit either: the field's own blank value.
        value.assign(maxLen, '0');
      }
    }
  }
  int64_t number = 0;
  if (!ParseInt64("$" + value, number) || value.empty())
    number = StrToInt64Def("$" + param.DefaultValue, 0);
  if (number > param.MaxValue || number < param.MinValue) {
    messages_.Add(Text(TText::ValueOutOfRange, {text}));
    value = param.DefaultValue.empty() ? std::string(maxLen, '0') : param.DefaultValue;
  }
  return value;
}

int TConfigLoader::OptionValue(const TCmdParameter& param, const std::string& text) {
  const auto find = [&param](const std::string& value) {
    for (size_t i = 0; i < param.Options.size(); ++i)
      if (param.Options[i].Value == value) return static_cast<int>(i);
    return -1;
  };
  int index = find(text);
  if (index < 0) {
    messages_.Add(Text(TText::ValueNotInList, {text}));
    index = find(param.DefaultValue);
  }
  if (index < 0 && !param.Options.empty()) index = 0;
  return index;
}

}  // namespace

TLoadResult LoadConfigurationXml(const CommandProfile& profile, IParameterEditor& editor,
                                 const std::string& xml, TConfigMessages& messages) {
  return TConfigLoader(profile, editor, messages).Run(xml);
}

}  // namespace quillon
