#include "engine/command_engine.h"

#include <algorithm>
#include <optional>

#include "engine/request_values.h"
#include "link/log_model.h"
#include "link/terminal_session.h"
#include "profile/command_profile.h"
#include "profile/fixed_texts.h"
#include "profile/text_utils.h"
#include "settings/settings.h"

namespace quillon {

TCommandEngine::TCommandEngine(CommandProfile& profile, IParameterEditor& editor,
                               TTerminalSession& session, const TSettings& settings)
    : profile_(profile),
      editor_(editor),
      session_(session),
      settings_(settings),
      processors_(profile, editor, session, AnswerRecognized) {
  session_.SetProfileCommands(&profile_, [this](int page, int command) {
    return ApplyCommand(ParamAddress{page, command, 0, 0});
  });
}

TCommandEngine::~TCommandEngine() {
  session_.SetProfileCommands(nullptr, nullptr);
}

int32_t TCommandEngine::CommandTimeout(const TDevCommand& command) {
  int32_t timeout = -1;
  if (!ParseInt32(GetCommandAttribute(command, "timeout"), timeout)) return -1;
  return timeout;
}

std::string TCommandEngine::CommandPassword(const TDevCommand& command) const {
  const std::string& user = settings_.Password;
  const std::string& master = settings_.MasterPassword;
  switch (command.PasswordMode) {
    case pmAdmin:
      return master;
    case pmAdminUser:
      return master.empty() ? user : master;
    case pmUserAdmin:
      return user.empty() ? master : user;
    case pmUser:
      return user;
  }
  return master.empty() ? user : master;
}

bool TCommandEngine::PollCommand(ParamAddress address) {
  if (!session_.InCommandMode && !session_.EnsureSession()) return false;
  const TDevCommand* cmd = profile_.Command(address.Page, address.Command);
  if (cmd == nullptr) return false;
  // One poll reads every instance, so the instance is not part of the request.
  const std::string request = "AT" + cmd->Name + "=?";
  return RunWithRetries(address, request, request, CommandTimeout(*cmd));
}

bool TCommandEngine::ApplyCommand(ParamAddress address) {
  return Apply(address, nullptr);
}

bool TCommandEngine::ApplyCommand(ParamAddress address, const std::string& values) {
  return Apply(address, &values);
}

// values null: read from the editor once the session is there.
bool TCommandEngine::Apply(const ParamAddress& address, const std::string* givenValues) {
  if (!session_.InCommandMode && !session_.EnsureSession()) return false;
  const TDevCommand* cmd = profile_.Command(address.Page, address.Command);
  if (cmd == nullptr || !cmd->SetData) return false;
  const std::string password = CommandPassword(*cmd);
  if (password.empty()) {
    session_.Log().WriteLog(Text(TText::WrongPassword), 4);
    return false;
  }
  if (!ValuesSendable(address, *cmd)) return false;
  // Built once: every retry sends the same values, even if the editor changes meanwhile.
  const std::string values =
      givenValues ? *givenValues : BuildParamList(address.Page, address.Command, address.Instance);
  const std::string request = "AT" + cmd->Name + "=" + password + "," + values;
  const std::string logText = "AT" + cmd->Name + "=*," + values;
  const TSentValues sent =
      OnWriteVerified ? SentValues(editor_, *cmd, address.Page, address.Command, address.Instance)
                      : TSentValues();
  // The answer refills only the instance written; the others keep what the editor shows.
  processors_.SetOnlyInstance(cmd->Indexed ? address.Instance : -1);
  const bool result = RunWithRetries(address, request, logText, CommandTimeout(*cmd));
  processors_.SetOnlyInstance(-1);
  if (OnWriteVerified && result && session_.IsPortOpen()) {
    const std::string answer = session_.LastAnswer();
    OnWriteVerified(address, VerifyWrite(*cmd, cmd->Indexed ? address.Instance : 0, sent, answer,
                                         [&] { return PollAnswer(*cmd); }));
  }
  return result;
}

// A command that answers a write without its values is read once more to verify the write.
std::string TCommandEngine::PollAnswer(const TDevCommand& command) {
  const std::string request = "AT" + command.Name + "=?";
  bool error = false;
  std::string answer;
  session_.ExecuteCommand(request, error, request, false, true, false, CommandTimeout(command),
                          answer);
  return error ? std::string() : answer;
}

bool TCommandEngine::RunWithRetries(const ParamAddress& address, const std::string& request,
                                    const std::string& logText, int32_t timeout) {
  int attemptsLeft = std::max(1, settings_.RetryCount);
  bool result = false;
  do {
    bool error = false;
    std::string answer;
    session_.ExecuteCommand(request, error, logText, false, true, false, timeout, answer);
    result = !error;
    // A closed port after the attempt means the request may never have gone out (the port
    // could not be opened, or the operator gave up on a failed transfer): that is no success,
    // and repeating it would only bring the reconnect window up again.
    // So is a failed transfer after which command mode could not be entered again: the
    // terminal would take the next request as noise.
    if (!session_.IsPortOpen() || (error && !session_.InCommandMode)) {
      if (!answer.empty()) {
        AnswerRecognized = true;
        DispatchResponse(address, answer);
      }
      return false;
    }
    AnswerRecognized = true;
    DispatchResponse(address, answer);
    if (!AnswerRecognized) {
      --attemptsLeft;
      session_.Log().WriteLog(Text(TText::NoExpectedAnswer) + " " +
                                  Text(attemptsLeft > 0 ? TText::Retrying : TText::GivingUp),
                              4);
    }
  } while (attemptsLeft > 0 && !AnswerRecognized);
  return result;
}

// What the editor holds for the instance must reach the terminal as it is shown: a value the
// terminal would read into other parameters, or one the terminal's answer could not fill in,
// stops the request before anything is sent.
bool TCommandEngine::ValuesSendable(const ParamAddress& address, const TDevCommand& cmd) {
  const int k = address.Instance;
  for (int i = 0; i < static_cast<int>(cmd.Parameters.size()); ++i) {
    const TCmdParameter& parameter = cmd.Parameters[i];
    if (parameter.Optional && !editor_.Checked(address.Page, address.Command, k, i)) continue;
    std::optional<TText> refusal;
    if (editor_.ValueUnread(address.Page, address.Command, k, i))
      refusal = TText::NotReadRefused;
    else if (parameter.ParamType != ptOption &&
             !IsSendableValue(editor_.InputText(address.Page, address.Command, k, i)))
      refusal = TText::CommaRefused;
    if (!refusal) continue;
    session_.Log().WriteLog(Text(*refusal, {ParameterName(cmd, k, i)}), 4);
    return false;
  }
  return true;
}

std::string TCommandEngine::BuildParamList(int page, int command, int instance) const {
  const TDevCommand* cmd = profile_.Command(page, command);
  if (cmd == nullptr) return std::string();
  std::string text;
  if (cmd->Indexed) text = std::to_string(instance + 1) + ",";
  for (int i = 0; i < static_cast<int>(cmd->Parameters.size()); ++i) {
    const TCmdParameter& parameter = cmd->Parameters[i];
    if (parameter.Optional && !editor_.Checked(page, command, instance, i)) {
      text += ",";
      continue;
    }
    if (parameter.ParamType == ptOption) {
      const int selected = editor_.OptionIndex(page, command, instance, i);
      if (selected >= 0 && selected < static_cast<int>(parameter.Options.size()))
        text += parameter.Options[selected].Value;
    } else {
      // Sent exactly as shown: no trimming, conversion or quoting.
      text += editor_.InputText(page, command, instance, i);
    }
    text += ",";
  }
  return text;
}

void TCommandEngine::DispatchResponse(ParamAddress address, const std::string& answer) {
  const TDevCommand* cmd = profile_.Command(address.Page, address.Command);
  if (cmd == nullptr) return;
  const TResponseProcessor* routine = profile_.FindPollProcessor(cmd->PollProcessor);
  if (routine == nullptr || !*routine) return;
  (*routine)(address.Page, address.Command, address.Instance, address.Param, answer);
}

}  // namespace quillon
