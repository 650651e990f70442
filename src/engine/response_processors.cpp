#include "engine/response_processors.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "editor/editor_rules.h"
#include "editor/parameter_editor.h"
#include "engine/request_values.h"
#include "link/log_model.h"
#include "link/session_ui.h"
#include "link/terminal_session.h"
#include "profile/command_profile.h"
#include "profile/fixed_texts.h"
#include "profile/text_utils.h"

namespace quillon {

namespace {

const char kRespPrefix[] = "+RESP:";

// The line a command's answer starts with: "+RESP:" and the name without its "+" signs.
std::string ExpectedPrefix(const TDevCommand& cmd) {
  std::string prefix = kRespPrefix;
  for (char ch : cmd.Name)
    if (ch != '+') prefix += ch;
  return prefix;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Cuts the answer into lines; without a terminator the rest is the last line.
std::vector<std::string> AnswerLines(const std::string& answer) {
  std::vector<std::string> lines;
  std::string buffer = answer;
  std::string line;
  while (!buffer.empty()) {
    if (!ExtractLine(buffer, line)) {
      line = buffer;
      buffer.clear();
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

TResponseProcessors::TResponseProcessors(const CommandProfile& profile, IParameterEditor& editor,
                                         TTerminalSession& session, bool& answerRecognized)
    : profile_(profile), editor_(editor), session_(session), answerRecognized_(answerRecognized) {
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  static const char kTableRow[] = "^#[0-9A-F]{2}\\+RESP:";
  tableRow_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kTableRow), PCRE2_ZERO_TERMINATED, 0,
                            &errorCode, &errorOffset, nullptr);
}

TResponseProcessors::~TResponseProcessors() {
  pcre2_code_free(tableRow_);
}

bool TResponseProcessors::IsTableRowItem(const std::string& item) const {
  if (tableRow_ == nullptr) return false;
  pcre2_match_data* match = pcre2_match_data_create_from_pattern(tableRow_, nullptr);
  if (match == nullptr) return false;
  int rc = pcre2_match(tableRow_, reinterpret_cast<PCRE2_SPTR>(item.data()), item.size(), 0, 0,
                       match, nullptr);
  pcre2_match_data_free(match);
  return rc >= 0;
}

bool TResponseProcessors::HandleNotSupported(int page, int command, const std::string& line) {
  if (line != "NOT SUPPORTED") return false;
  answerRecognized_ = true;
  if (editor_.HasControl(page, command, 0, 0, ckGroup))
    editor_.MarkCommandUnsupported(page, command);
  return true;
}

bool TResponseProcessors::HandleRefusal(const std::vector<std::string>& items) {
  if (items.size() < 3 || items[1] != "ERROR") return false;
  const std::string& reason = items[2];
  std::string message;
  if (reason == "PASSWORD")
    message = Text(TText::WrongPassword);
  else if (reason == "PERMISSION")
    message = Text(TText::NoPermission);
  else if (reason == "COMMAND")
    message = Text(TText::ParameterError);
  if (message.empty()) return false;
  session_.Ui().ShowMessage(message);
  return true;
}

void TResponseProcessors::SetValue(int page, int command, int instance, int param,
                                   const TDevCommand& cmd, const std::string& item) {
  const TCmdParameter& parameter = cmd.Parameters[param];
  if (!parameter.Overwrite) return;
  if (!editor_.HasControl(page, command, instance, param, ckInput)) return;
  if (parameter.ParamType == ptHex && parameter.MaxLen > 0 &&
      static_cast<int>(item.size()) > parameter.MaxLen) {
    // The field would cut it, and a later apply would write the cut value.
    const std::string fitted = FitHexText(item, parameter.MaxLen);
    if (static_cast<int>(fitted.size()) > parameter.MaxLen) {
      editor_.MarkValueUnread(page, command, instance, param);
      session_.Log().WriteLog(
          Text(TText::ValueDoesNotFit, {ParameterName(cmd, instance, param) + ": " + item}), 4);
      return;
    }
    editor_.SetInputText(page, command, instance, param, fitted);
    NoteRead(page, command, instance, param, fitted);
    return;
  }
  if (parameter.ParamType != ptOption) {
    editor_.SetInputText(page, command, instance, param, item);
    NoteRead(page, command, instance, param, item);
    return;
  }
  for (size_t o = 0; o < parameter.Options.size(); ++o) {
    if (parameter.Options[o].Value == item) {
      editor_.SetOptionIndex(page, command, instance, param, static_cast<int>(o));
      NoteRead(page, command, instance, param, item);
      return;
    }
  }
}

void TResponseProcessors::NoteRead(int page, int command, int instance, int param,
                                   const std::string& value) {
  editor_.SetLastReadValue(page, command, instance, param, value);
  editor_.SetValueOrigin(page, command, instance, param, voRead);
}

// An instance the answer carries but does not refill: what the terminal holds is known, the
// shown value stays (and so may become "changed").
void TResponseProcessors::NoteReadOnly(int page, int command, int instance, int param,
                                       const TDevCommand& cmd, const std::string& item) {
  const TCmdParameter& parameter = cmd.Parameters[param];
  if (!parameter.Overwrite || !editor_.HasControl(page, command, instance, param, ckInput)) return;
  if (parameter.ParamType == ptHex && parameter.MaxLen > 0 &&
      static_cast<int>(item.size()) > parameter.MaxLen) {
    const std::string fitted = FitHexText(item, parameter.MaxLen);
    if (static_cast<int>(fitted.size()) > parameter.MaxLen) return;
    editor_.SetLastReadValue(page, command, instance, param, fitted);
    return;
  }
  editor_.SetLastReadValue(page, command, instance, param, item);
}

// Values of all instances come in one line: instance 1's parameters first, then instance 2's.
void TResponseProcessors::ReadValues(int page, int command, const TDevCommand& cmd,
                                     const std::vector<std::string>& items) {
  size_t i = 0;
  const int instances = cmd.Indexed ? cmd.MaxIndex : 1;
  const int params = static_cast<int>(cmd.Parameters.size());
  for (int k = 0; k < instances; ++k) {
    for (int j = 0; j < params; ++j) {
      ++i;
      if (i >= items.size()) {
        session_.Log().WriteLog(Text(TText::ParameterMissing, {std::to_string(i)}), 4);
        return;
      }
      if (onlyInstance_ < 0 || onlyInstance_ == k)
        SetValue(page, command, k, j, cmd, items[i]);
      else
        NoteReadOnly(page, command, k, j, cmd, items[i]);
    }
    if (items.size() <= i) return;
  }
}

void TResponseProcessors::CheckPrompt(const std::string& last) {
  if (last != ">") session_.Log().WriteLog(Text(TText::NotInCommandMode), 4);
}

void TResponseProcessors::ProcessDefault(int page, int command, int /*instance*/, int /*param*/,
                                         const std::string& answer) {
  ProcessAnswer(page, command, answer, true);
}

void TResponseProcessors::ProcessNonPoll(int page, int command, int /*instance*/, int /*param*/,
                                         const std::string& answer) {
  ProcessAnswer(page, command, answer, false);
}

// The default and the nonpoll processors read an answer alike; only the default one takes the
// values into the editor.
void TResponseProcessors::ProcessAnswer(int page, int command, const std::string& answer,
                                        bool readValues) {
  answerRecognized_ = false;
  const TDevCommand* cmd = profile_.Command(page, command);
  if (cmd == nullptr) return;
  const std::string prefix = ExpectedPrefix(*cmd);
  std::string last;
  for (const std::string& line : AnswerLines(answer)) {
    if (!line.empty()) last = line;
    if (HandleNotSupported(page, command, line)) continue;
    if (!StartsWith(line, prefix)) continue;
    answerRecognized_ = true;
    const std::vector<std::string> items = SplitCsv(line);
    if (HandleRefusal(items) || !readValues) continue;
    ReadValues(page, command, *cmd, items);
  }
  CheckPrompt(last);
}

void TResponseProcessors::ProcessExitCmd(int, int, int, int, const std::string&) {
  session_.InCommandMode = false;
  session_.UpdateLinkIndicators();
}

void TResponseProcessors::ProcessTable(int page, int command, int instance, int param,
                                       const std::string& answer) {
  lastTableIncomplete_ = false;
  if (!editor_.HasTable(page, command, instance, param)) return;
  editor_.ClearTableRows(page, command, instance, param);
  int records = 0;
  for (const std::string& line : AnswerLines(answer)) {
    // The closing line, whatever it holds, says the records are all there.
    if (StartsWith(line, kRespPrefix)) return;
    const std::vector<std::string> items = SplitCsv(line);
    if (items.size() < 2) continue;
    if (!IsTableRowItem(items[0])) continue;
    const int cells = static_cast<int>(items.size()) - 1;
    while (editor_.TableColumnCount(page, command, instance, param) < cells)
      editor_.AddTableColumn(page, command, instance, param);
    editor_.AddTableRow(page, command, instance, param,
                        std::vector<std::string>(items.begin() + 1, items.end()));
    ++records;
  }
  // Records without the closing line: the terminal paused longer than the line waits, and the
  // rest of the table was never read.
  if (records == 0) return;
  lastTableIncomplete_ = true;
  session_.Log().WriteLog(Text(TText::TableIncomplete, {std::to_string(records)}), 4);
}

void RegisterResponseProcessors(CommandProfile& profile, TResponseProcessors& processors) {
  TResponseProcessors* p = &processors;
  TResponseProcessor byDefault = [p](int page, int command, int instance, int param,
                                     const std::string& answer) {
    p->ProcessDefault(page, command, instance, param, answer);
  };
  profile.RegisterPollProcessor("", byDefault);
  profile.RegisterPollProcessor("default", byDefault);
  profile.RegisterPollProcessor(
      "nonpoll", [p](int page, int command, int instance, int param, const std::string& answer) {
        p->ProcessNonPoll(page, command, instance, param, answer);
      });
  profile.RegisterPollProcessor(
      "exitcmd", [p](int page, int command, int instance, int param, const std::string& answer) {
        p->ProcessExitCmd(page, command, instance, param, answer);
      });
  profile.RegisterPollProcessor(
      "table", [p](int page, int command, int instance, int param, const std::string& answer) {
        p->ProcessTable(page, command, instance, param, answer);
      });
}

}  // namespace quillon
