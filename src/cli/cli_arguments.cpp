// Parsing and checking of the poll and apply arguments; the other subcommands parse theirs
// beside their code.
#include "cli/cli_arguments.h"

#include <cstdint>
#include <set>

#include "editor/editor_rules.h"
#include "editor/mask_matcher.h"
#include "engine/request_values.h"
#include "profile/cp1251.h"
#include "profile/text_utils.h"

namespace quillon::cli {

namespace {

bool ParseIndex(const std::string& text, int count, int& index) {
  int32_t n = 0;
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
      !ParseInt32(text, n) || n >= count)
    return false;
  index = n;
  return true;
}

// NAME[P] or NAME#K[P], the one form a parameter is named in (UTF-8).
std::string Address(const TDevCommand& cmd, int instance, const std::string& param) {
  return Cp1251ToUtf8(cmd.Name) + (cmd.Indexed ? "#" + std::to_string(instance) : "") + "[" +
         param + "]";
}

}  // namespace

std::string ParsePollArgs(const Args& args, TPollArgs& out) {
  std::vector<std::string> rest;
  std::string error;
  if (!ParseEngineOptions(args, out.Engine, rest, error)) return error;
  for (size_t i = 0; i < rest.size(); ++i) {
    const std::string& a = rest[i];
    if (a != "--page" && a != "--command") return "unexpected argument '" + a + "'";
    if (i + 1 >= rest.size()) return "missing value after " + a;
    (a == "--page" ? out.PageId : out.CommandName) = Utf8ToCp1251(rest[++i]);
  }
  if (!out.PageId.empty() && !out.CommandName.empty())
    return "--page and --command exclude each other";
  return {};
}

std::string ParseApplyArgs(const Args& args, TApplyArgs& out) {
  std::vector<std::string> rest;
  std::string error;
  if (!ParseEngineOptions(args, out.Engine, rest, error)) return error;
  for (size_t i = 0; i < rest.size(); ++i) {
    const std::string& a = rest[i];
    if (a == "--yes") {
      out.Yes = true;
      continue;
    }
    if (a == "--poll-first" || a == "--no-poll-first" || a == "--store" ||
        a == "--allow-defaults") {
      (a == "--poll-first"      ? out.PollFirst
       : a == "--no-poll-first" ? out.NoPollFirst
       : a == "--store"         ? out.Store
                                : out.AllowDefaults) = true;
      continue;
    }
    if (a != "--command" && a != "--instance" && a != "--set" && a != "--unset")
      return "unexpected argument '" + a + "'";
    if (i + 1 >= rest.size()) return "missing value after " + a;
    const std::string& v = rest[++i];
    if (a == "--command") {
      out.CommandName = Utf8ToCp1251(v);
    } else if (a == "--instance") {
      int32_t n = 0;
      if (!ParseInt32(v, n) || n < 1)
        return "invalid value for --instance: '" + v + "' (instances count from 1)";
      out.Instance = n;
    } else if (a == "--set") {
      const size_t eq = v.find('=');
      if (eq == std::string::npos) return "--set needs INDEX=VALUE, got '" + v + "'";
      out.Sets.emplace_back(v.substr(0, eq), v.substr(eq + 1));
    } else {
      out.Unsets.push_back(v);
    }
  }
  if (out.CommandName.empty()) return "--command NAME is required";
  if (out.PollFirst && out.NoPollFirst)
    return "--poll-first and --no-poll-first exclude each other";
  return {};
}

std::string CheckValue(const TCmdParameter& param, const std::string& utf8, std::string& value,
                       TMaskMatcher* masks, std::string* warning) {
  value = Utf8ToCp1251(utf8);
  if ((!utf8.empty() && value.empty()) || Cp1251ToUtf8(value) != utf8)
    return "the value has characters the terminal cannot take";
  if (!IsSendableValue(value)) return "a value cannot contain a comma or a line break";
  switch (param.ParamType) {
    case ptInteger: {
      int64_t n = 0;
      const bool decimal =
          !value.empty() && value.find_first_not_of("+-0123456789") == std::string::npos;
      if (!decimal || !ParseInt64(value, n)) return "not a decimal integer";
      const int32_t low = IntegerLow(param), high = IntegerHigh(param);
      if (ClampToLimits(n, low, high) != n)
        return "out of range " + std::to_string(low) + ".." + std::to_string(high);
      value = std::to_string(n);
      return {};
    }
    case ptHex: {
      const std::string masked = MaskHexText(value, param.MaxLen);
      if (masked != UpperAscii(value) ||
          masked.find_first_not_of("0123456789ABCDEF") != std::string::npos)
        return "not a hexadecimal number of at most " + std::to_string(param.MaxLen) + " digits";
      if (!HexTextInRange(param, masked)) return "out of range";
      value = masked;
      return {};
    }
    case ptString: {
      if (param.MaxLen > 0 && static_cast<int>(value.size()) > param.MaxLen)
        return "longer than " + std::to_string(param.MaxLen) + " characters";
      TMaskMatcher own;
      TMaskMatcher& matcher = masks ? *masks : own;
      for (const std::string* mask : {&param.OnCharMask, &param.OnLeaveMask}) {
        if (mask->empty()) continue;
        const TMaskResult result = matcher.Match(*mask, value);
        if (result == mrNoMatch) return "does not match the mask " + Cp1251ToUtf8(*mask);
        if (result == mrInvalid && matcher.FirstReportOf(*mask) && warning)
          *warning = "the profile's mask " + Cp1251ToUtf8(*mask) +
                     " is not a valid regular expression (" + Cp1251ToUtf8(matcher.ErrorText()) +
                     "); values are not checked against it";
      }
      return {};
    }
    case ptOption: {
      for (const TParamOption& option : param.Options)
        if (option.Value == value) return {};
      for (const TParamOption& option : param.Options)
        if (option.Text == value) {
          value = option.Value;
          return {};
        }
      std::string error = "not one of the values";
      for (const TParamOption& option : param.Options)
        error += " " + Cp1251ToUtf8(option.Value) + " (" + Cp1251ToUtf8(option.Text) + ")";
      return error;
    }
  }
  return {};
}

std::string ResolveInstance(const TDevCommand& cmd, int given, int& instance) {
  const std::string name = Cp1251ToUtf8(cmd.Name);
  if (!cmd.Indexed) {
    if (given > 1) return name + " is not indexed; --instance can only be 1";
    instance = 0;
    return {};
  }
  if (given < 1 || given > cmd.MaxIndex)
    return name + " is indexed: --instance 1.." + std::to_string(cmd.MaxIndex) + " is required";
  instance = given - 1;
  return {};
}

std::string PrepareValues(const TDevCommand& cmd, const TApplyArgs& request,
                          std::vector<TPreparedValue>& prepared) {
  const int count = static_cast<int>(cmd.Parameters.size());
  const int instance = request.Instance < 1 ? 1 : request.Instance;
  const std::string range =
      count == 0 ? Cp1251ToUtf8(cmd.Name) + " has no parameters"
                 : Cp1251ToUtf8(cmd.Name) + " has parameters 0.." + std::to_string(count - 1);
  std::set<int> seen;
  TMaskMatcher masks;
  for (const auto& [indexText, utf8] : request.Sets) {
    TPreparedValue p;
    if (!ParseIndex(indexText, count, p.Index)) return "--set " + indexText + ": " + range;
    const std::string error =
        CheckValue(cmd.Parameters[p.Index], utf8, p.Value, &masks, &p.Warning);
    if (!error.empty()) return Address(cmd, instance, indexText) + " = " + utf8 + ": " + error;
    if (!seen.insert(p.Index).second) return Address(cmd, instance, indexText) + " is given twice";
    prepared.push_back(p);
  }
  for (const std::string& indexText : request.Unsets) {
    TPreparedValue p;
    p.Untick = true;
    if (!ParseIndex(indexText, count, p.Index)) return "--unset " + indexText + ": " + range;
    if (!cmd.Parameters[p.Index].Optional)
      return "--unset " + indexText + ": " + Address(cmd, instance, indexText) + " is not optional";
    if (!seen.insert(p.Index).second) return Address(cmd, instance, indexText) + " is given twice";
    prepared.push_back(p);
  }
  return {};
}

}  // namespace quillon::cli
