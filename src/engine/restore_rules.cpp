#include "engine/restore_rules.h"

#include "editor/parameter_editor.h"
#include "profile/command_profile.h"
#include "profile/text_utils.h"

namespace quillon {

bool ReadableFromTerminal(const TCmdParameter& param) {
  return param.Overwrite;
}

bool RestoreMayWrite(const TDevCommand& command) {
  return command.SetData && command.ExportData && !SameTextAscii(command.PollProcessor, "exitcmd");
}

std::vector<int> UnreadableWithoutValue(const TDevCommand& command, const IParameterEditor& editor,
                                        int page, int commandIndex, int instance,
                                        const std::set<int>& given) {
  std::vector<int> missing;
  for (int i = 0; i < static_cast<int>(command.Parameters.size()); ++i) {
    const TCmdParameter& param = command.Parameters[i];
    if (ReadableFromTerminal(param) || given.count(i) > 0) continue;
    // An optional parameter whose box is clear goes out empty: nothing is written to it.
    if (param.Optional && !editor.Checked(page, commandIndex, instance, i)) continue;
    missing.push_back(i);
  }
  return missing;
}

}  // namespace quillon
