#include "engine/batch_operations.h"

#include <string>
#include <vector>

#include "engine/command_engine.h"
#include "link/log_model.h"
#include "link/session_ui.h"
#include "link/terminal_session.h"
#include "profile/command_profile.h"
#include "profile/fixed_texts.h"

namespace quillon {

TBatchOperations::TBatchOperations(TCommandEngine& engine) : engine_(engine) {}

int TBatchOperations::CommandWeight(const TDevCommand& command) {
  return command.Indexed ? command.MaxIndex : 1;
}

bool TBatchOperations::SessionReady() {
  TTerminalSession& session = engine_.Session();
  return session.InCommandMode || session.EnsureSession();
}

bool TBatchOperations::MayGoOn(int& requestsSent) {
  const bool first = requestsSent++ == 0;
  return first || !StopRequested || !StopRequested();
}

bool TBatchOperations::CommandEnabled(int page, int command) {
  IParameterEditor& editor = engine_.Editor();
  return editor.HasControl(page, command, 0, 0, ckGroup) && editor.GroupEnabled(page, command);
}

bool TBatchOperations::HasValueToSend(int page, int command, int instance, const TDevCommand& cmd) {
  for (int i = 0; i < static_cast<int>(cmd.Parameters.size()); ++i)
    if (!cmd.Parameters[i].Optional || engine_.Editor().Checked(page, command, instance, i))
      return true;
  return false;
}

// What the editor shows for each instance, taken before the first request: every answer
// refills all instances, and an instance not yet sent would otherwise lose what was typed.
std::vector<std::string> TBatchOperations::InstanceValues(int page, int command, int count) {
  std::vector<std::string> values;
  for (int k = 0; k < count; ++k) values.push_back(engine_.BuildParamList(page, command, k));
  return values;
}

void TBatchOperations::StartProgress(int maximum) {
  IProgressBar& progress = engine_.Session().Progress();
  progress.SetMin(0);
  progress.SetPosition(0);
  progress.SetMax(maximum);
}

void TBatchOperations::AdvanceProgress(int steps) {
  IProgressBar& progress = engine_.Session().Progress();
  progress.SetPosition(progress.Position() + steps);
}

void TBatchOperations::FinishProgress() {
  IProgressBar& progress = engine_.Session().Progress();
  progress.SetPosition(progress.Max());
}

bool TBatchOperations::CmdApplyAll(ParamAddress address) {
  if (!SessionReady()) return false;
  const auto& pages = engine_.Profile().Pages;
  if (address.Page < 0 || address.Page >= static_cast<int>(pages.size())) return false;
  const std::vector<TDevCommand>& commands = pages[address.Page].Commands;
  int total = 0;
  for (const TDevCommand& cmd : commands) total += CommandWeight(cmd);
  StartProgress(total);
  int requests = 0;

  for (int c = 0; c < static_cast<int>(commands.size()); ++c) {
    const TDevCommand& cmd = commands[c];
    address.Command = c;
    const int weight = CommandWeight(cmd);
    if (!CommandEnabled(address.Page, c) || !cmd.SetData || cmd.GroupSetData == gsNo) {
      AdvanceProgress(weight);
      continue;
    }
    const std::vector<std::string> values = InstanceValues(address.Page, c, weight);
    for (int k = 0; k < weight; ++k) {
      address.Instance = k;
      if (cmd.GroupSetData == gsAuto && !HasValueToSend(address.Page, c, k, cmd)) {
        AdvanceProgress(1);
        continue;
      }
      if (!MayGoOn(requests) || !engine_.ApplyCommand(address, values[k])) {
        engine_.Session().Log().WriteLog(
            Text(TText::StoppedAtCommand) + " " + cmd.Name + "/" + std::to_string(k), 4);
        return false;
      }
      AdvanceProgress(1);
    }
  }
  FinishProgress();
  return true;
}

bool TBatchOperations::CmdPollAll(ParamAddress address) {
  if (!SessionReady()) return false;
  const auto& pages = engine_.Profile().Pages;
  if (address.Page < 0 || address.Page >= static_cast<int>(pages.size())) return false;
  const std::vector<TDevCommand>& commands = pages[address.Page].Commands;
  StartProgress(static_cast<int>(commands.size()));
  int requests = 0;

  for (int c = 0; c < static_cast<int>(commands.size()); ++c) {
    const TDevCommand& cmd = commands[c];
    address.Command = c;
    if (!CommandEnabled(address.Page, c) || !cmd.PollData) {
      AdvanceProgress(1);
      continue;
    }
    // One poll reads all instances of an indexed command.
    if (!MayGoOn(requests) || !engine_.PollCommand(address)) {
      engine_.Session().Log().WriteLog(Text(TText::StoppedAtCommand) + " " + cmd.Name, 4);
      return false;
    }
    AdvanceProgress(1);
  }
  FinishProgress();
  return true;
}

bool TBatchOperations::CmdApplyAllIndexed(ParamAddress address) {
  if (!SessionReady()) return false;
  const TDevCommand* cmd = engine_.Profile().Command(address.Page, address.Command);
  if (cmd == nullptr || !cmd->SetData || !cmd->Indexed) return false;
  StartProgress(cmd->MaxIndex);
  int requests = 0;
  IProgressBar& progress = engine_.Session().Progress();
  const std::vector<std::string> values =
      InstanceValues(address.Page, address.Command, cmd->MaxIndex);
  for (int k = 0; k < cmd->MaxIndex; ++k) {
    progress.SetPosition(k);
    address.Instance = k;
    if (!MayGoOn(requests) || !engine_.ApplyCommand(address, values[k])) {
      engine_.Session().Log().WriteLog(Text(TText::StoppedAtIndex) + " " + std::to_string(k), 4);
      return false;
    }
  }
  FinishProgress();
  return true;
}

}  // namespace quillon
