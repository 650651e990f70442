#include "engine/write_verification.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "editor/parameter_editor.h"
#include "profile/command_profile.h"
#include "profile/text_utils.h"

namespace quillon {

namespace {

// What an answer says about a command: the last line of its values, or why there is none.
struct TAnswerReading {
  TWriteResult Result = wrNoAnswer;  // wrVerified here: a values line was found
  std::string Refusal;
  std::vector<std::string> Items;  // of the last values line; item 0 is "+RESP:NAME"
};

std::string ExpectedPrefix(const TDevCommand& command) {
  std::string prefix = "+RESP:";
  for (char ch : command.Name)
    if (ch != '+') prefix += ch;
  return prefix;
}

bool IsRefusal(const std::vector<std::string>& items) {
  return items.size() >= 3 && items[1] == "ERROR" &&
         (items[2] == "PASSWORD" || items[2] == "PERMISSION" || items[2] == "COMMAND");
}

// Reads the answer as the response processors do: lines, "NOT SUPPORTED", the refusals, and
// otherwise the values of the last line that starts with the command's prefix.
TAnswerReading ReadAnswer(const TDevCommand& command, const std::string& answer) {
  TAnswerReading reading;
  const std::string prefix = ExpectedPrefix(command);
  bool unsupported = false;
  std::string buffer = answer, line;
  while (!buffer.empty()) {
    if (!ExtractLine(buffer, line)) {
      line = buffer;
      buffer.clear();
    }
    if (line == "NOT SUPPORTED") {
      unsupported = true;
      continue;
    }
    if (line.compare(0, prefix.size(), prefix) != 0) continue;
    std::vector<std::string> items = SplitCsv(line);
    if (IsRefusal(items)) {
      if (reading.Refusal.empty()) reading.Refusal = items[2];
      continue;
    }
    reading.Result = wrVerified;
    reading.Items = std::move(items);
  }
  if (unsupported)
    reading.Result = wrUnsupported;
  else if (!reading.Refusal.empty())
    reading.Result = wrRefused;
  return reading;
}

bool ReadHex(const std::string& text, uint64_t& value) {
  const std::string t = TrimCtl(text);
  if (t.empty()) return false;
  const char* end = t.data() + t.size();
  const auto [at, error] = std::from_chars(t.data(), end, value, 16);
  return error == std::errc() && at == end;
}

bool SameValue(const TCmdParameter& param, const std::string& sent, const std::string& read) {
  switch (param.ParamType) {
    case ptInteger: {
      int64_t a = 0, b = 0;
      if (ParseInt64(sent, a) && ParseInt64(read, b)) return a == b;
      break;
    }
    case ptHex: {
      uint64_t a = 0, b = 0;
      if (ReadHex(sent, a) && ReadHex(read, b)) return a == b;
      break;
    }
    case ptString:
    case ptOption:
      break;
  }
  return sent == read;
}

TWriteVerification Compare(const TDevCommand& command, int instance, const TSentValues& sent,
                           const std::vector<std::string>& items) {
  TWriteVerification result;
  result.Result = wrVerified;
  const size_t count = command.Parameters.size();
  for (size_t j = 0; j < count && j < sent.size(); ++j) {
    const TCmdParameter& param = command.Parameters[j];
    if (!sent[j] || !param.Overwrite) continue;
    // Item 0 is the prefix; instance k's parameters follow those of the instances before it.
    const size_t at = 1 + static_cast<size_t>(instance) * count + j;
    std::optional<std::string> read;
    if (at < items.size()) read = items[at];
    if (read && SameValue(param, *sent[j], *read)) continue;
    result.Result = wrDiffers;
    result.Differences.push_back({static_cast<int>(j), *sent[j], read});
  }
  return result;
}

TWriteVerification FromReading(const TAnswerReading& reading) {
  TWriteVerification result;
  result.Result = reading.Result;
  result.Refusal = reading.Refusal;
  return result;
}

}  // namespace

TSentValues SentValues(const IParameterEditor& editor, const TDevCommand& command, int page,
                       int commandIndex, int instance) {
  TSentValues values;
  for (int i = 0; i < static_cast<int>(command.Parameters.size()); ++i) {
    const TCmdParameter& param = command.Parameters[i];
    if (param.Optional && !editor.Checked(page, commandIndex, instance, i)) {
      values.emplace_back();
      continue;
    }
    if (param.ParamType != ptOption) {
      values.emplace_back(editor.InputText(page, commandIndex, instance, i));
      continue;
    }
    const int selected = editor.OptionIndex(page, commandIndex, instance, i);
    values.emplace_back(selected >= 0 && selected < static_cast<int>(param.Options.size())
                            ? param.Options[selected].Value
                            : std::string());
  }
  return values;
}

TWriteVerification VerifyWrite(const TDevCommand& command, int instance, const TSentValues& sent,
                               const std::string& applyAnswer,
                               const std::function<std::string()>& pollAnswer) {
  const TAnswerReading applied = ReadAnswer(command, applyAnswer);
  if (applied.Result != wrVerified) return FromReading(applied);

  const std::string& processor = command.PollProcessor;
  if (SameTextAscii(processor, "exitcmd") || SameTextAscii(processor, "table"))
    return FromReading({wrNotVerified, {}, {}});
  if (!SameTextAscii(processor, "nonpoll")) return Compare(command, instance, sent, applied.Items);

  // The answer to the write carries no values: read them once if the command can be read.
  if (!command.PollData || !pollAnswer) return FromReading({wrNotVerified, {}, {}});
  const TAnswerReading polled = ReadAnswer(command, pollAnswer());
  TWriteVerification result = polled.Result == wrVerified
                                  ? Compare(command, instance, sent, polled.Items)
                                  : FromReading(polled);
  result.Polled = true;
  return result;
}

TSessionCommandVerdict JudgeSessionCommand(const CommandProfile& profile, const std::string& name,
                                           const std::string& answer) {
  int page = -1, command = -1;
  TDevCommand builtIn;
  builtIn.Name = name;
  builtIn.PollData = false;
  builtIn.PollProcessor = "nonpoll";
  const TDevCommand& cmd = profile.FindCommand(name, page, command) && page >= 0
                               ? *profile.Command(page, command)
                               : builtIn;
  TSessionCommandVerdict verdict;
  verdict.Write = VerifyWrite(cmd, 0, {}, answer, nullptr);
  if (verdict.Write.Result != wrNotVerified) return verdict;
  const std::string prefix = ExpectedPrefix(cmd);
  std::string buffer = answer, line;
  while (!buffer.empty()) {
    if (!ExtractLine(buffer, line)) {
      line = buffer;
      buffer.clear();
    }
    if (line.compare(0, prefix.size(), prefix) != 0) continue;
    const std::vector<std::string> items = SplitCsv(line);
    if (items.size() >= 2 && items[1] == "ERROR") {
      verdict.NamedError = line.substr(std::min(line.size(), prefix.size() + 1));
      return verdict;
    }
  }
  return verdict;
}

const char* WriteResultText(TWriteResult result) {
  switch (result) {
    case wrVerified:
      return "verified";
    case wrDiffers:
      return "differs";
    case wrRefused:
      return "refused";
    case wrUnsupported:
      return "unsupported";
    case wrNoAnswer:
      return "no answer";
    case wrNotVerified:
      return "written, not verified";
  }
  return "no answer";
}

}  // namespace quillon
