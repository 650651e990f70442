// Batch runs over the command engine: apply or poll every command of a page, or apply every
// instance of one indexed command, with the progress bar, stopping at the first failure.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "editor/parameter_editor.h"

namespace quillon {

class TCommandEngine;
struct TDevCommand;

class TBatchOperations {
 public:
  explicit TBatchOperations(TCommandEngine& engine);

  // Each takes the address the clicked button stands for and returns true when the run went
  // through to its end (false: no session, or stopped at a failed request).
  bool CmdApplyAll(ParamAddress address);
  bool CmdPollAll(ParamAddress address);
  bool CmdApplyAllIndexed(ParamAddress address);

  // Runs over a chosen list, with the same progress and stops as the page runs. ApplyInstances
  // writes each instance (Param unused) with the values shown before the first request went
  // out; PollCommands reads each command once (Instance and Param unused), skipping those that
  // cannot be read.
  bool ApplyInstances(const std::vector<ParamAddress>& targets);
  bool PollCommands(const std::vector<ParamAddress>& commands);

  // The instances a page run writes, in its order: enabled commands with SetData that are not
  // gsNo, a gsAuto instance only when it carries a value.
  std::vector<ParamAddress> PageApplyTargets(int page);
  // Every instance of an indexed command with SetData: what CmdApplyAllIndexed writes.
  std::vector<ParamAddress> IndexedApplyTargets(int page, int command);

  // What an apply of the changed values writes: every instance holding a value that differs
  // from the terminal's, in profile order, page by page. Commands that no group run writes
  // (no SetData, gsNo, unsupported) are left out and named in Skipped.
  struct TChangedTargets {
    std::vector<ParamAddress> Targets;
    std::vector<ParamAddress> Skipped;
  };
  TChangedTargets ChangedApplyTargets();

  // Whether an apply of the instance would send a value still shown from the profile's default.
  // Only parameters the terminal reports back count: a poll cannot give the others an origin.
  bool SendsDefaultValue(const ParamAddress& target);

  // Asked between two requests of a run; true stops the run there, with its interruption line
  // (the window's Esc).
  std::function<bool()> StopRequested;

  // The number of requests an apply of the command can take: MaxIndex when indexed, else 1.
  static int CommandWeight(const TDevCommand& command);

 private:
  bool SessionReady();
  // Before each request of a run: false when the operator asked to stop after the last one.
  bool MayGoOn(int& requestsSent);
  bool CommandEnabled(int page, int command);
  bool HasValueToSend(int page, int command, int instance, const TDevCommand& cmd);
  std::vector<std::string> InstanceValues(int page, int command, int count);
  void StartProgress(int maximum);
  void AdvanceProgress(int steps);
  void FinishProgress();

  TCommandEngine& engine_;
};

}  // namespace quillon
