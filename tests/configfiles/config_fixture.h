// Profiles and documents shared by the configuration file tests.
#pragma once

#include <string>

#include "editor/headless_editor.h"
#include "profile/command_profile.h"

namespace quillon::testing {

inline CommandProfile ProfileFromXml(const std::string& body) {
  CommandProfile profile;
  profile.LoadCommandProfileFromBuffer("<?xml version=\"1.0\" encoding=\"UTF-8\"?><application>" +
                                       body + "</application>");
  return profile;
}

// Page 0: +PLN (not indexed, every type, the integer optional), +IDX (three instances), +NEX
// (not exported). Page 1: +TWO.
inline CommandProfile MixedProfile() {
  return ProfileFromXml(R"(<page id="1" name="One">
  <command command="+PLN" exportdata="1">
    <parameter type="integer" optional="1" minvalue="0" maxvalue="255" defaultvalue="10"/>
    <parameter type="string" optional="0" defaultvalue="12" onleave_mask="^[0-9]+$"/>
    <parameter type="hex" optional="0" maxlen="8" defaultvalue="0000ABCD"/>
    <parameter type="option" optional="0" defaultvalue="1">
      <option value="0" text="Off"/><option value="1" text="On"/><option value="2" text="Auto"/>
    </parameter>
    <parameter type="string" optional="0"/>
  </command>
  <command command="+IDX" maxindex="3" exportdata="1">
    <parameter type="string" optional="0" defaultvalue="d"/>
    <parameter type="integer" minvalue="1" maxvalue="9" defaultvalue="5"/>
  </command>
  <command command="+NEX">
    <parameter type="string" optional="0" defaultvalue="n"/>
  </command>
</page>
<page id="2" name="Two">
  <command command="+TWO" exportdata="1"><parameter type="string" optional="0" defaultvalue="x"/></command>
</page>)");
}

// The document of one command's instance, wrapped as the writer wraps it.
inline std::string Document(const std::string& commands) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Quillon>\r\n"
         "  <ExportCommandParamenters>\r\n" +
         commands + "  </ExportCommandParamenters>\r\n</Quillon>\r\n";
}

inline std::string Command(const std::string& name, const std::string& instances) {
  return "<command name=\"" + name + "\">" + instances + "</command>";
}

inline std::string Instance(int index, const std::string& parameters) {
  return "<index index=\"" + std::to_string(index) + "\">" + parameters + "</index>";
}

inline std::string Param(int index, const std::string& value, const char* enabled = nullptr) {
  std::string line = "<parameter index=\"" + std::to_string(index) + "\"";
  if (enabled) line += std::string(" enabled=\"") + enabled + "\"";
  return line + ">" + value + "</parameter>";
}

// What a parameter's control shows: its text, or the selected option's Value ("-" for none).
inline std::string Shown(const CommandProfile& profile, const THeadlessEditor& editor, int page,
                         int command, int instance, int param) {
  const TCmdParameter& p = profile.Command(page, command)->Parameters[static_cast<size_t>(param)];
  if (p.ParamType != ptOption) return editor.InputText(page, command, instance, param);
  const int i = editor.OptionIndex(page, command, instance, param);
  return i < 0 ? "-" : p.Options[static_cast<size_t>(i)].Value;
}

}  // namespace quillon::testing
