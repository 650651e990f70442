// Writes a configuration of the sample profile as the program does, with values that exercise
// the format (markup characters, a tab, Cyrillic, unticked boxes, options), and beside it what
// the editor held, for read_with_python.py to compare.
//
//   quillon_config_sample_writer OUT.zxml EXPECTED.json
#include <cstdio>
#include <fstream>

#include "cli/json_text.h"
#include "configfiles/config_file.h"
#include "editor/editor_rules.h"
#include "editor/headless_editor.h"

using namespace quillon;

namespace {

void SetSampleValues(const CommandProfile& profile, THeadlessEditor& editor) {
  int page = 0, command = 0;
  if (profile.FindCommand("+SGPR", page, command)) {
    editor.SetInputText(page, command, 0, 1, "apn.<&\"'>.ru");
    editor.SetInputText(page, command, 0, 2, "пользователь\tдва");
    editor.SetChecked(page, command, 0, 2, false);
    editor.SetOptionIndex(page, command, 0, 0, 2);
  }
  if (profile.FindCommand("+SSRV", page, command)) {
    editor.SetInputText(page, command, 2, 0, "10.1.2.3");
    editor.SetInputText(page, command, 1, 1, "4711");
  }
  if (profile.FindCommand("+SNAM", page, command))
    editor.SetInputText(page, command, 0, 0, "Ёлка №1");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUT.zxml EXPECTED.json\n", argv[0]);
    return 2;
  }
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  THeadlessEditor editor(profile);
  SetSampleValues(profile, editor);
  TConfigMessages messages;
  if (!SaveConfigurationToFile(profile, editor, argv[1], messages)) return 1;

  // [[command, instance, parameter, enabled (null, 0 or 1), value], ...] as written.
  std::string json = "[";
  for (size_t p = 0; p < profile.Pages.size(); ++p)
    for (size_t c = 0; c < profile.Pages[p].Commands.size(); ++c) {
      const TDevCommand& cmd = profile.Pages[p].Commands[c];
      const int page = static_cast<int>(p), command = static_cast<int>(c);
      if (!cmd.ExportData) continue;
      for (int k = 0; k < InstanceCount(cmd); ++k)
        for (int n = 0; n < static_cast<int>(cmd.Parameters.size()); ++n) {
          const TCmdParameter& param = cmd.Parameters[static_cast<size_t>(n)];
          std::string value = editor.InputText(page, command, k, n);
          if (param.ParamType == ptOption) {
            const int o = editor.OptionIndex(page, command, k, n);
            value = o < 0 ? param.DefaultValue : param.Options[static_cast<size_t>(o)].Value;
          }
          const std::string enabled = !param.Optional                       ? "null"
                                      : editor.Checked(page, command, k, n) ? "1"
                                                                            : "0";
          json += (json.size() > 1 ? ",\n" : "") + std::string("[") + cli::JsonString(cmd.Name) +
                  ", " + std::to_string(k) + ", " + std::to_string(n) + ", " + enabled + ", " +
                  cli::JsonString(value) + "]";
        }
    }
  json += "]\n";
  std::ofstream(argv[2], std::ios::binary) << json;
  return messages.Empty() ? 0 : 1;
}
