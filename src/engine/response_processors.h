// The response processors: routines that read the terminal's answer to one command and act on
// it (values into the editor, refusals, unsupported commands, leaving command mode, tables).
#pragma once

#include <string>
#include <vector>

struct pcre2_real_code_8;

namespace quillon {

class CommandProfile;
class IParameterEditor;
class TTerminalSession;
struct TDevCommand;

class TResponseProcessors {
 public:
  // answerRecognized is the requester's flag (TCommandEngine::AnswerRecognized).
  TResponseProcessors(const CommandProfile& profile, IParameterEditor& editor,
                      TTerminalSession& session, bool& answerRecognized);
  ~TResponseProcessors();
  TResponseProcessors(const TResponseProcessors&) = delete;
  TResponseProcessors& operator=(const TResponseProcessors&) = delete;

  void ProcessDefault(int page, int command, int instance, int param, const std::string& answer);
  void ProcessNonPoll(int page, int command, int instance, int param, const std::string& answer);
  void ProcessExitCmd(int page, int command, int instance, int param, const std::string& answer);
  void ProcessTable(int page, int command, int instance, int param, const std::string& answer);

  // True when the item opens a table row: "#", two upper-case hex digits, "+RESP:".
  bool IsTableRowItem(const std::string& item) const;

  // While not negative, values reach the editor only for this instance: the answer to an apply
  // of one instance carries every instance, and the others may hold what the operator typed
  // and has not sent yet.
  void SetOnlyInstance(int instance) { onlyInstance_ = instance; }

  // The last table answer ended without its closing "+RESP:" line (the terminal paused longer
  // than TimeoutInterval between records): what the table shows is not all.
  bool LastTableIncomplete() const { return lastTableIncomplete_; }

 private:
  // "NOT SUPPORTED" and the refusal lines common to the default and nonpoll processors; true
  // when the line was one of them.
  bool HandleNotSupported(int page, int command, const std::string& line);
  void ProcessAnswer(int page, int command, const std::string& answer, bool readValues);
  bool HandleRefusal(const std::vector<std::string>& items);
  void ReadValues(int page, int command, const TDevCommand& cmd,
                  const std::vector<std::string>& items);
  void NoteRead(int page, int command, int instance, int param, const std::string& value);
  void NoteReadOnly(int page, int command, int instance, int param, const TDevCommand& cmd,
                    const std::string& item);
  void SetValue(int page, int command, int instance, int param, const TDevCommand& cmd,
                const std::string& item);
  void CheckPrompt(const std::string& last);

  const CommandProfile& profile_;
  IParameterEditor& editor_;
  TTerminalSession& session_;
  bool& answerRecognized_;
  pcre2_real_code_8* tableRow_ = nullptr;
  int onlyInstance_ = -1;
  bool lastTableIncomplete_ = false;
};

// Registers the four processors under "", "default", "nonpoll", "exitcmd" and "table". The
// processors object must outlive the profile's use of the registry.
void RegisterResponseProcessors(CommandProfile& profile, TResponseProcessors& processors);

}  // namespace quillon
