#include "engine/recording_editor.h"

namespace quillon {

bool TRecordingEditor::Given(int page, int command, int instance, int param) const {
  const TKey key{page, command, instance, param};
  return values_.count(key) > 0 || cleared_.count(key) > 0;
}

bool TRecordingEditor::ValueSet(int page, int command, int instance, int param) const {
  return values_.count({page, command, instance, param}) > 0;
}

void TRecordingEditor::Forget() {
  values_.clear();
  cleared_.clear();
}

bool TRecordingEditor::HasControl(int page, int command, int instance, int param,
                                  TControlKind kind) const {
  return inner_.HasControl(page, command, instance, param, kind);
}

bool TRecordingEditor::Checked(int page, int command, int instance, int param) const {
  return inner_.Checked(page, command, instance, param);
}

void TRecordingEditor::SetChecked(int page, int command, int instance, int param, bool checked) {
  const TKey key{page, command, instance, param};
  // Ticking gives nothing by itself: the value still has to come.
  if (checked)
    cleared_.erase(key);
  else if (inner_.HasControl(page, command, instance, param, ckCheckBox))
    cleared_.insert(key);
  inner_.SetChecked(page, command, instance, param, checked);
}

std::string TRecordingEditor::InputText(int page, int command, int instance, int param) const {
  return inner_.InputText(page, command, instance, param);
}

void TRecordingEditor::SetInputText(int page, int command, int instance, int param,
                                    const std::string& text) {
  if (inner_.HasControl(page, command, instance, param, ckInput))
    values_.insert({page, command, instance, param});
  inner_.SetInputText(page, command, instance, param, text);
}

int TRecordingEditor::OptionIndex(int page, int command, int instance, int param) const {
  return inner_.OptionIndex(page, command, instance, param);
}

void TRecordingEditor::SetOptionIndex(int page, int command, int instance, int param, int index) {
  if (index >= 0 && inner_.HasControl(page, command, instance, param, ckInput))
    values_.insert({page, command, instance, param});
  inner_.SetOptionIndex(page, command, instance, param, index);
}

bool TRecordingEditor::InputEnabled(int page, int command, int instance, int param) const {
  return inner_.InputEnabled(page, command, instance, param);
}

void TRecordingEditor::MarkValueUnread(int page, int command, int instance, int param) {
  inner_.MarkValueUnread(page, command, instance, param);
}

bool TRecordingEditor::ValueUnread(int page, int command, int instance, int param) const {
  return inner_.ValueUnread(page, command, instance, param);
}

bool TRecordingEditor::GroupEnabled(int page, int command) const {
  return inner_.GroupEnabled(page, command);
}

void TRecordingEditor::MarkCommandUnsupported(int page, int command) {
  inner_.MarkCommandUnsupported(page, command);
}

bool TRecordingEditor::HasTable(int page, int command, int instance, int param) const {
  return inner_.HasTable(page, command, instance, param);
}

void TRecordingEditor::ClearTableRows(int page, int command, int instance, int param) {
  inner_.ClearTableRows(page, command, instance, param);
}

int TRecordingEditor::TableColumnCount(int page, int command, int instance, int param) const {
  return inner_.TableColumnCount(page, command, instance, param);
}

void TRecordingEditor::AddTableColumn(int page, int command, int instance, int param) {
  inner_.AddTableColumn(page, command, instance, param);
}

void TRecordingEditor::AddTableRow(int page, int command, int instance, int param,
                                   const std::vector<std::string>& cells) {
  inner_.AddTableRow(page, command, instance, param, cells);
}

std::vector<std::vector<std::string>> TRecordingEditor::TableRows(int page, int command,
                                                                  int instance, int param) const {
  return inner_.TableRows(page, command, instance, param);
}

}  // namespace quillon
