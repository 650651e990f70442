// A profile from any bytes, with the headless editor built from it and every control of every
// instance looked up: the limits the editor relies on hold for whatever the file says.
#include "editor/headless_editor.h"
#include "fuzz_target.h"
#include "profile/command_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillon;
  CommandProfile profile;
  profile.LoadCommandProfileFromBuffer(fuzz::Input(data, size));
  for (const TDevPage& page : profile.Pages)
    for (const TDevCommand& cmd : page.Commands) {
      fuzz::Require(cmd.MaxIndex <= CommandProfile::kMaxIndex, "MaxIndex capped");
      fuzz::Require(cmd.Parameters.size() <= CommandProfile::kMaxParameters, "parameters capped");
    }
  THeadlessEditor editor(profile);
  for (int p = 0; p < static_cast<int>(profile.Pages.size()); ++p)
    for (int c = 0; c < static_cast<int>(profile.Pages[p].Commands.size()); ++c) {
      const TDevCommand& cmd = profile.Pages[p].Commands[c];
      const int instances = cmd.Indexed ? cmd.MaxIndex : 1;
      for (int i = 0; i < instances; ++i)
        for (int k = 0; k < static_cast<int>(cmd.Parameters.size()); ++k) {
          if (!editor.HasControl(p, c, i, k, ckInput)) continue;
          if (cmd.Parameters[k].ParamType == ptOption)
            editor.OptionIndex(p, c, i, k);
          else
            editor.InputText(p, c, i, k);
        }
    }
  return 0;
}
