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

bool TBatchOperations::ApplyInstances(const std::vector<ParamAddress>& targets) {
  if (!SessionReady()) return false;
  StartProgress(static_cast<int>(targets.size()));
  std::vector<std::string> values;
  for (const ParamAddress& t : targets)
    values.push_back(engine_.BuildParamList(t.Page, t.Command, t.Instance));
  int requests = 0;
  for (size_t i = 0; i < targets.size(); ++i) {
    const ParamAddress& t = targets[i];
    const TDevCommand* cmd = engine_.Profile().Command(t.Page, t.Command);
    if (cmd == nullptr) {
      AdvanceProgress(1);
      continue;
    }
    if (!MayGoOn(requests) ||
        !engine_.ApplyCommand({t.Page, t.Command, t.Instance, 0}, values[i])) {
      engine_.Session().Log().WriteLog(
          Text(TText::StoppedAtCommand) + " " + cmd->Name + "/" + std::to_string(t.Instance), 4);
      return false;
    }
    AdvanceProgress(1);
  }
  FinishProgress();
  return true;
}

bool TBatchOperations::PollCommands(const std::vector<ParamAddress>& commands) {
  if (!SessionReady()) return false;
  StartProgress(static_cast<int>(commands.size()));
  int requests = 0;
  for (const ParamAddress& c : commands) {
    const TDevCommand* cmd = engine_.Profile().Command(c.Page, c.Command);
    if (cmd == nullptr || !cmd->PollData || !CommandEnabled(c.Page, c.Command)) {
      AdvanceProgress(1);
      continue;
    }
    if (!MayGoOn(requests) || !engine_.PollCommand({c.Page, c.Command, 0, 0})) {
      engine_.Session().Log().WriteLog(Text(TText::StoppedAtCommand) + " " + cmd->Name, 4);
      return false;
    }
    AdvanceProgress(1);
  }
  FinishProgress();
  return true;
}

std::vector<ParamAddress> TBatchOperations::PageApplyTargets(int page) {
  std::vector<ParamAddress> targets;
  const auto& pages = engine_.Profile().Pages;
  if (page < 0 || page >= static_cast<int>(pages.size())) return targets;
  const std::vector<TDevCommand>& commands = pages[page].Commands;
  for (int c = 0; c < static_cast<int>(commands.size()); ++c) {
    const TDevCommand& cmd = commands[c];
    if (!CommandEnabled(page, c) || !cmd.SetData || cmd.GroupSetData == gsNo) continue;
    for (int k = 0; k < CommandWeight(cmd); ++k)
      if (cmd.GroupSetData != gsAuto || HasValueToSend(page, c, k, cmd))
        targets.push_back({page, c, k, 0});
  }
  return targets;
}

std::vector<ParamAddress> TBatchOperations::IndexedApplyTargets(int page, int command) {
  std::vector<ParamAddress> targets;
  const TDevCommand* cmd = engine_.Profile().Command(page, command);
  if (cmd == nullptr || !cmd->SetData || !cmd->Indexed) return targets;
  for (int k = 0; k < cmd->MaxIndex; ++k) targets.push_back({page, command, k, 0});
  return targets;
}

TBatchOperations::TChangedTargets TBatchOperations::ChangedApplyTargets() {
  TChangedTargets result;
  IParameterEditor& editor = engine_.Editor();
  const auto& pages = engine_.Profile().Pages;
  for (int p = 0; p < static_cast<int>(pages.size()); ++p) {
    // A page without changes is not looked into: that would build its controls.
    if (editor.ChangedCount(p) == 0) continue;
    const std::vector<TDevCommand>& commands = pages[p].Commands;
    for (int c = 0; c < static_cast<int>(commands.size()); ++c) {
      const TDevCommand& cmd = commands[c];
      const bool writable = cmd.SetData && cmd.GroupSetData != gsNo;
      for (int k = 0; k < CommandWeight(cmd); ++k) {
        bool changed = false;
        for (int i = 0; i < static_cast<int>(cmd.Parameters.size()) && !changed; ++i)
          changed = editor.ValueChanged(p, c, k, i);
        if (!changed) continue;
        if (writable && CommandEnabled(p, c))
          result.Targets.push_back({p, c, k, 0});
        else
          result.Skipped.push_back({p, c, k, 0});
      }
    }
  }
  return result;
}

bool TBatchOperations::SendsDefaultValue(const ParamAddress& t) {
  const TDevCommand* cmd = engine_.Profile().Command(t.Page, t.Command);
  if (cmd == nullptr) return false;
  IParameterEditor& editor = engine_.Editor();
  for (int i = 0; i < static_cast<int>(cmd->Parameters.size()); ++i) {
    const TCmdParameter& param = cmd->Parameters[i];
    if (!param.Overwrite) continue;
    if (param.Optional && !editor.Checked(t.Page, t.Command, t.Instance, i)) continue;
    if (editor.ValueOrigin(t.Page, t.Command, t.Instance, i) == voDefault) return true;
  }
  return false;
}

}  // namespace quillon
