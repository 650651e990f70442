// Poll and apply requests: one command of the profile, for one instance, turned into a request
// to the terminal, run as a transaction, and its answer handed to the command's response
// processor, repeated while the processor misses the answer it expects.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "editor/parameter_editor.h"
#include "engine/response_processors.h"
#include "engine/write_verification.h"

namespace quillon {

class CommandProfile;
class TTerminalSession;
struct TDevCommand;
struct TSettings;

class TCommandEngine {
 public:
  // Hands the apply routine to the session, so that leaving command mode and storing into
  // flash send the profile's "+TEXT" and "+SAVE"; the destructor takes it back.
  TCommandEngine(CommandProfile& profile, IParameterEditor& editor, TTerminalSession& session,
                 const TSettings& settings);
  ~TCommandEngine();
  TCommandEngine(const TCommandEngine&) = delete;
  TCommandEngine& operator=(const TCommandEngine&) = delete;

  // Set to true before each dispatch; the processors that expect a particular answer clear it
  // and set it again when they meet that answer.
  bool AnswerRecognized = true;

  // Set: every apply that went out is judged from its answer (a command that answers without
  // values is polled once more) and the outcome handed here.
  std::function<void(const ParamAddress&, const TWriteVerification&)> OnWriteVerified;

  // True when the last attempt went out and reported no transfer error, whether or not the
  // expected answer came.
  bool PollCommand(ParamAddress address);
  bool ApplyCommand(ParamAddress address);
  // The same with the values part taken earlier (BuildParamList): the answer to an apply of one
  // instance refills every instance in the editor, so a run over several instances takes all
  // their values before the first request goes out.
  bool ApplyCommand(ParamAddress address, const std::string& values);

  // The values part of an apply request: every value followed by a comma.
  std::string BuildParamList(int page, int command, int instance) const;

  void DispatchResponse(ParamAddress address, const std::string& answer);

  // The password an apply of the command carries, by its PasswordMode; empty when none is set.
  std::string CommandPassword(const TDevCommand& command) const;
  // The command's "timeout" attribute, -1 when missing or not a number.
  static int32_t CommandTimeout(const TDevCommand& command);

  CommandProfile& Profile() { return profile_; }
  IParameterEditor& Editor() { return editor_; }
  TTerminalSession& Session() { return session_; }
  const TSettings& Settings() const { return settings_; }
  TResponseProcessors& Processors() { return processors_; }

 private:
  bool Apply(const ParamAddress& address, const std::string* values);
  bool ValuesSendable(const ParamAddress& address, const TDevCommand& cmd);
  std::string PollAnswer(const TDevCommand& command);
  bool RunWithRetries(const ParamAddress& address, const std::string& request,
                      const std::string& logText, int32_t timeout);

  CommandProfile& profile_;
  IParameterEditor& editor_;
  TTerminalSession& session_;
  const TSettings& settings_;
  TResponseProcessors processors_;
};

}  // namespace quillon
