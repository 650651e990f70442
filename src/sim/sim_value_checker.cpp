#include "sim/sim_value_checker.h"

#include <cstdint>

#include "profile/text_utils.h"

namespace quillon {

namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A profile may ask for any width; more digits than a 64-bit number holds make no sense.
int32_t HexWidth(const TCmdParameter& param) {
  if (param.MaxLen <= 0) return 8;
  return param.MaxLen < 64 ? param.MaxLen : 64;
}

// Equal limits mean no limit, as in the editor's numeric field.
bool InRange(const TCmdParameter& param, int64_t value) {
  if (param.MinValue == param.MaxValue) return true;
  return value >= param.MinValue && value <= param.MaxValue;
}

// Upper case, leading zeros beyond the width dropped, padded to the width. Empty when the
// text is not hexadecimal or does not fit.
std::string NormalizeHex(const std::string& text, int32_t width) {
  std::string digits = UpperAscii(text);
  for (char c : digits) {
    if (!IsHexDigit(c)) return "";
  }
  while (digits.size() > static_cast<size_t>(width) && digits[0] == '0') digits.erase(0, 1);
  if (digits.empty() || digits.size() > static_cast<size_t>(width)) return "";
  return std::string(width - digits.size(), '0') + digits;
}

int64_t HexValue(const std::string& digits) {
  uint64_t value = 0;
  for (char c : digits) {
    value = (value << 4) | static_cast<uint64_t>(c <= '9' ? c - '0' : c - 'A' + 10);
  }
  return static_cast<int64_t>(value);
}

}  // namespace

bool TSimValueChecker::Check(const TCmdParameter& param, const std::string& value,
                             std::string& normalized, std::string& reason) {
  normalized = value;
  switch (param.ParamType) {
    case ptInteger:
      return CheckInteger(param, value, normalized, reason);
    case ptHex:
      return CheckHex(param, value, normalized, reason);
    case ptOption:
      return CheckOption(param, value, reason);
    case ptString:
    default:
      return CheckString(param, value, reason);
  }
}

bool TSimValueChecker::CheckInteger(const TCmdParameter& param, const std::string& value,
                                    std::string& normalized, std::string& reason) {
  int64_t number = 0;
  if (!ParseInt64(value, number)) {
    reason = "not an integer: " + value;
    return false;
  }
  if (!InRange(param, number)) {
    reason = "out of range: " + value;
    return false;
  }
  normalized = std::to_string(number);
  return true;
}

bool TSimValueChecker::CheckString(const TCmdParameter& param, const std::string& value,
                                   std::string& reason) {
  if (param.MaxLen > 0 && value.size() > static_cast<size_t>(param.MaxLen)) {
    reason = "too long: " + value;
    return false;
  }
  for (const std::string* mask : {&param.OnCharMask, &param.OnLeaveMask}) {
    // A mask that does not compile checks nothing, as in the editor.
    if (!mask->empty() && masks_.Match(*mask, value) == mrNoMatch) {
      reason = "does not match the mask " + *mask + ": " + value;
      return false;
    }
  }
  return true;
}

bool TSimValueChecker::CheckHex(const TCmdParameter& param, const std::string& value,
                                std::string& normalized, std::string& reason) {
  normalized = NormalizeHex(value, HexWidth(param));
  if (normalized.empty()) {
    reason = "not a hexadecimal value of the width: " + value;
    return false;
  }
  if (!InRange(param, HexValue(normalized))) {
    reason = "out of range: " + value;
    return false;
  }
  return true;
}

bool TSimValueChecker::CheckOption(const TCmdParameter& param, const std::string& value,
                                   std::string& reason) {
  if (param.Options.empty()) return true;
  for (const TParamOption& option : param.Options) {
    if (option.Value == value) return true;
  }
  reason = "no such option: " + value;
  return false;
}

std::string TSimValueChecker::InitialValue(const TCmdParameter& param) {
  switch (param.ParamType) {
    case ptInteger: {
      int64_t number = StrToInt64Def(param.DefaultValue, 0);
      if (param.MinValue != param.MaxValue) {
        if (number < param.MinValue) number = param.MinValue;
        if (number > param.MaxValue) number = param.MaxValue;
      }
      return std::to_string(number);
    }
    case ptHex: {
      std::string digits = NormalizeHex(TrimCtl(param.DefaultValue), HexWidth(param));
      return digits.empty() ? std::string(HexWidth(param), '0') : digits;
    }
    case ptOption:
      for (const TParamOption& option : param.Options) {
        if (option.Value == param.DefaultValue) return option.Value;
      }
      return param.Options.empty() ? param.DefaultValue : param.Options.front().Value;
    case ptString:
    default:
      return param.DefaultValue;
  }
}

}  // namespace quillon
