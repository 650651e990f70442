// The writer: the document's lines exactly as the format fixes them.
#include <cstdio>

#include "configfiles/config_file.h"
#include "editor/editor_rules.h"
#include "profile/cp1251.h"
#include "profile/fixed_texts.h"

namespace quillon {

namespace {

// Windows-1251 text to UTF-8 with the five escapes: & " < > and character references for
// every code below 32. The apostrophe and everything from 127 up stay as they are.
void AppendEscaped(std::string& out, const std::string& text) {
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    switch (ch) {
      case '&':
        out += "&amp;";
        continue;
      case '"':
        out += "&quot;";
        continue;
      case '<':
        out += "&lt;";
        continue;
      case '>':
        out += "&gt;";
        continue;
      default:
        break;
    }
    if (byte < 32) {
      out += "&#";
      out += std::to_string(byte);
      out += ';';
    } else if (byte < 128) {
      out += ch;
    } else {
      AppendUtf8(out, Cp1251ToCodePoint(byte));
    }
  }
}

// The value a parameter's input control holds, as the file stores it.
const std::string& ParameterValue(const TParameterReading& reading, const TCmdParameter& param) {
  if (param.ParamType != ptOption) return reading.Text;
  const int option = reading.Option;
  // No selection: the default stands in, so that loading the file selects what the profile
  // would.
  if (option < 0 || static_cast<size_t>(option) >= param.Options.size()) return param.DefaultValue;
  return param.Options[static_cast<size_t>(option)].Value;
}

void WriteCommand(std::string& out, const IParameterEditor& editor, const TDevCommand& cmd,
                  int page, int command, TConfigMessages& messages,
                  const TConfigSaveOptions& options) {
  out += "    <command name=\"";
  AppendEscaped(out, cmd.Name);
  out += "\">\r\n";
  const int instances = InstanceCount(cmd);
  const int count = static_cast<int>(cmd.Parameters.size());
  for (int i = 0; i < instances; ++i) {
    out += "      <index index=\"";
    out += std::to_string(i);
    out += "\">\r\n";
    for (int n = 0; n < count; ++n) {
      const TCmdParameter& param = cmd.Parameters[static_cast<size_t>(n)];
      if (options.OmitNotOverwritable && !param.Overwrite) continue;
      out += "        <parameter index=\"";
      out += std::to_string(n);
      out += '"';
      const TParameterReading reading =
          editor.ReadParameter(page, command, i, n, param.Optional, param.ParamType == ptOption);
      if (param.Optional) out += reading.Checked ? " enabled=\"1\"" : " enabled=\"0\"";
      out += '>';
      if (reading.HasInput)
        AppendEscaped(out, ParameterValue(reading, param));
      else
        messages.Add(Text(TText::WriterParameterNotFound, {cmd.Name, std::to_string(n)}));
      out += "</parameter>\r\n";
    }
    out += "      </index>\r\n";
  }
  out += "    </command>\r\n";
}

}  // namespace

std::string WriteConfigurationXml(const CommandProfile& profile, const IParameterEditor& editor,
                                  TConfigMessages& messages, const TConfigSaveOptions& options) {
  std::string out;
  out.reserve(4096);
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
      "<Quillon>\r\n"
      "  <ExportCommandParamenters>\r\n";
  for (size_t p = 0; p < profile.Pages.size(); ++p) {
    const std::vector<TDevCommand>& commands = profile.Pages[p].Commands;
    for (size_t c = 0; c < commands.size(); ++c) {
      const TDevCommand& cmd = commands[c];
      if (!cmd.ExportData) continue;
      const int page = static_cast<int>(p), command = static_cast<int>(c);
      if (!editor.HasControl(page, command, 0, 0, ckGroup)) {
        messages.Add(Text(TText::WriterCommandSkipped, {cmd.Name}));
        continue;
      }
      if (!editor.GroupEnabled(page, command)) continue;
      if (options.CommandFilter && !options.CommandFilter(page, command)) continue;
      WriteCommand(out, editor, cmd, page, command, messages, options);
    }
  }
  out +=
      "  </ExportCommandParamenters>\r\n"
      "</Quillon>\r\n";
  return out;
}

}  // namespace quillon
