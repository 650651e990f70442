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
