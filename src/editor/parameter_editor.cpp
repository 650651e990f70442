#include "editor/parameter_editor.h"

namespace quillon {

uint32_t EncodeControlTag(int32_t command, int32_t instance, int32_t parameter) {
  // Deliberately unmasked: the tag keeps its historical packing, and callers that need an exact
  // address compare the unpacked numbers kept beside it.
  return (static_cast<uint32_t>(command) << 16) | (static_cast<uint32_t>(instance) << 8) |
         static_cast<uint32_t>(parameter);
}

void DecodeControlTag(uint32_t tag, int32_t& command, int32_t& instance, int32_t& parameter) {
  command = static_cast<int32_t>(tag >> 16);
  instance = static_cast<int32_t>((tag >> 8) & 255u);
  parameter = static_cast<int32_t>(tag & 255u);
}

void IParameterEditor::MarkValueUnread(int, int, int, int) {}

bool IParameterEditor::ValueUnread(int, int, int, int) const {
  return false;
}

TParameterReading IParameterEditor::ReadParameter(int page, int command, int instance, int param,
                                                  bool optional, bool option) const {
  TParameterReading reading;
  if (optional) reading.Checked = Checked(page, command, instance, param);
  reading.HasInput = HasControl(page, command, instance, param, ckInput);
  if (!reading.HasInput) return reading;
  if (option)
    reading.Option = OptionIndex(page, command, instance, param);
  else
    reading.Text = InputText(page, command, instance, param);
  return reading;
}

bool IParameterEditor::InputEnabled(int page, int command, int instance, int param) const {
  return HasControl(page, command, instance, param, ckInput);
}

TValueOrigin IParameterEditor::ValueOrigin(int, int, int, int) const {
  return voDefault;
}
void IParameterEditor::SetValueOrigin(int, int, int, int, TValueOrigin) {}
std::optional<std::string> IParameterEditor::LastReadValue(int, int, int, int) const {
  return std::nullopt;
}
void IParameterEditor::SetLastReadValue(int, int, int, int, const std::string&) {}
bool IParameterEditor::ValueChanged(int, int, int, int) const {
  return false;
}
int IParameterEditor::ChangedCount(int) const {
  return 0;
}

}  // namespace quillon
