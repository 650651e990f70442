#include "editor/editor_rules.h"

#include <cinttypes>
#include <cstdio>

#include "profile/cp1251.h"
#include "profile/fixed_texts.h"
#include "profile/text_utils.h"

namespace quillon {

namespace {

std::string HexWithDecimal(int64_t value, int digits) {
  char hex[40];
  std::snprintf(hex, sizeof hex, "%0*" PRIX64, digits, static_cast<uint64_t>(value));
  return std::string(hex) + "(" + std::to_string(value) + ")";
}

char32_t UpperCyrillicOrAscii(char32_t cp) {
  if (cp >= U'a' && cp <= U'z') return cp - 0x20;
  if (cp >= 0x430 && cp <= 0x44F) return cp - 0x20;
  if (cp >= 0x450 && cp <= 0x45F) return cp - 0x50;
  if (cp == 0x491) return 0x490;
  return cp;
}

bool IsLetterOrDigit(char32_t cp) {
  return (cp >= U'0' && cp <= U'9') || (cp >= U'A' && cp <= U'Z') || (cp >= U'a' && cp <= U'z') ||
         (cp >= 0x400 && cp <= 0x45F) || cp == 0x490 || cp == 0x491;
}

}  // namespace

int InstanceCount(const TDevCommand& command) {
  if (!command.Indexed) return 1;
  return command.MaxIndex > 0 ? command.MaxIndex : 0;
}

int32_t IntegerLow(const TCmdParameter& param) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(param.MinValue)));
}

int32_t IntegerHigh(const TCmdParameter& param) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(param.MaxValue)));
}

int64_t ClampToLimits(int64_t value, int32_t low, int32_t high) {
  if (low == high) return value;
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

int32_t DefaultIntegerValue(const TCmdParameter& param) {
  int32_t value = 0;
  if (!ParseInt32(param.DefaultValue, value)) value = 0;
  return static_cast<int32_t>(ClampToLimits(value, IntegerLow(param), IntegerHigh(param)));
}

int DefaultOptionIndex(const TCmdParameter& param) {
  const int count = static_cast<int>(param.Options.size());
  for (int i = count - 1; i >= 0; --i)
    if (param.Options[static_cast<size_t>(i)].Value == param.DefaultValue) return i;
  return count >= 2 ? 1 : -1;
}

std::string ParameterHint(const TCmdParameter& param) {
  std::string hint = param.Description + "\r\n";
  switch (param.ParamType) {
    case ptInteger:
      hint += Text(TText::HintNumber);
      if (param.MinValue != -2147483648LL)
        hint += Text(TText::HintFrom, {std::to_string(param.MinValue)});
      if (param.MaxValue != 2147483647LL)
        hint += Text(TText::HintTo, {std::to_string(param.MaxValue)});
      break;
    case ptString:
      hint += Text(TText::HintString);
      if (param.MaxLen > 0) hint += Text(TText::HintUpToChars, {std::to_string(param.MaxLen)});
      if (!param.OnLeaveMask.empty()) hint += Text(TText::HintMask, {param.OnLeaveMask});
      break;
    case ptHex:
      hint += Text(TText::HintHex, {std::to_string(param.MaxLen)});
      if (param.MinValue != 0)
        hint += Text(TText::HintFrom, {HexWithDecimal(param.MinValue, param.MaxLen)});
      if (param.MaxValue != 4294967295LL)
        hint += Text(TText::HintTo, {HexWithDecimal(param.MaxValue, param.MaxLen)});
      break;
    case ptOption:
      break;
  }
  return hint;
}

bool IsTableCommand(const TDevCommand& command) {
  return command.PollProcessor == "table";
}

std::vector<TTableColumn> TableColumns(const TDevCommand& command) {
  std::vector<TTableColumn> columns;
  for (const std::string& caption : SplitCsv(GetCommandAttribute(command, "table_headers")))
    columns.push_back({caption, 50});
  const std::vector<std::string> widths = SplitCsv(GetCommandAttribute(command, "table_width"));
  if (widths.size() > columns.size()) columns.resize(widths.size());
  for (size_t j = 0; j < widths.size(); ++j) columns[j].Width = StrToInt32Def(widths[j], 50);
  return columns;
}

std::string MaskHexText(const std::string& text, int maxLen) {
  if (maxLen <= 0) return text;  // no positions: the field goes without a mask
  std::string kept;
  for (char c : text) {
    if (static_cast<int>(kept.size()) >= maxLen) break;
    const char32_t cp = Cp1251ToCodePoint(static_cast<unsigned char>(c));
    if (IsLetterOrDigit(cp)) kept += CodePointToCp1251(UpperCyrillicOrAscii(cp));
  }
  return kept;
}

bool HexTextInRange(const TCmdParameter& param, const std::string& text) {
  int64_t read = 0;
  if (!ParseInt64("$" + text, read)) read = 0;
  const int64_t value = static_cast<uint32_t>(static_cast<uint64_t>(read));
  return param.MinValue <= value && value <= param.MaxValue;
}

std::string FitHexText(const std::string& text, int maxLen) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  std::string value = text.substr(begin, end - begin);
  for (char& c : value)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (maxLen <= 0) return value;
  if (static_cast<int>(value.size()) < maxLen)
    value.insert(0, static_cast<size_t>(maxLen) - value.size(), '0');
  size_t zeros = 0;
  while (static_cast<int>(value.size() - zeros) > maxLen && value[zeros] == '0') ++zeros;
  return value.substr(zeros);
}

}  // namespace quillon
