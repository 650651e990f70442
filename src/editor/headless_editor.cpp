#include "editor/headless_editor.h"

#include <utility>

#include "editor/editor_rules.h"

namespace quillon {

THeadlessEditor::THeadlessEditor(const CommandProfile& profile) {
  pages_.resize(profile.Pages.size());
  for (size_t p = 0; p < profile.Pages.size(); ++p) {
    for (const TDevCommand& command : profile.Pages[p].Commands) {
      TGroup group;
      group.Command = &command;
      group.HasTable = IsTableCommand(command);
      TInstance instance;
      for (const TCmdParameter& param : command.Parameters) instance.Rows.push_back(MakeRow(param));
      if (group.HasTable)
        for (const TTableColumn& column : TableColumns(command))
          instance.Table.Headers.push_back(column.Caption);
      group.Instances.assign(static_cast<size_t>(InstanceCount(command)), instance);
      pages_[p].push_back(std::move(group));
    }
  }
}

THeadlessEditor::TRow THeadlessEditor::MakeRow(const TCmdParameter& param) {
  TRow row;
  switch (param.ParamType) {
    case ptInteger:
      row.Text = std::to_string(DefaultIntegerValue(param));
      break;
    case ptString:
      row.Text = param.DefaultValue;
      break;
    case ptHex:
      row.Text = MaskHexText(param.DefaultValue, param.MaxLen);
      break;
    case ptOption:
      row.OptionIndex = DefaultOptionIndex(param);
      break;
  }
  return row;
}

const THeadlessEditor::TGroup* THeadlessEditor::FindGroup(int page, int command) const {
  if (page < 0 || static_cast<size_t>(page) >= pages_.size()) return nullptr;
  const std::vector<TGroup>& groups = pages_[static_cast<size_t>(page)];
  if (command < 0 || static_cast<size_t>(command) >= groups.size()) return nullptr;
  return &groups[static_cast<size_t>(command)];
}

THeadlessEditor::TGroup* THeadlessEditor::FindGroup(int page, int command) {
  return const_cast<TGroup*>(std::as_const(*this).FindGroup(page, command));
}

const THeadlessEditor::TRow* THeadlessEditor::FindRow(int page, int command, int instance,
                                                      int param, TControlKind kind) const {
  const TGroup* group = FindGroup(page, command);
  if (!group || kind == ckGroup) return nullptr;
  // A command that is not indexed has one set of rows, all of them with instance 0.
  if (instance < 0 || static_cast<size_t>(instance) >= group->Instances.size()) return nullptr;
  const std::vector<TCmdParameter>& params = group->Command->Parameters;
  if (param < 0 || static_cast<size_t>(param) >= params.size()) return nullptr;
  if (kind == ckCheckBox && !params[static_cast<size_t>(param)].Optional) return nullptr;
  return &group->Instances[static_cast<size_t>(instance)].Rows[static_cast<size_t>(param)];
}

THeadlessEditor::TRow* THeadlessEditor::FindRow(int page, int command, int instance, int param,
                                                TControlKind kind) {
  return const_cast<TRow*>(std::as_const(*this).FindRow(page, command, instance, param, kind));
}

const THeadlessEditor::TTable* THeadlessEditor::FindTable(int page, int command) const {
  const TGroup* group = FindGroup(page, command);
  // Only a command that is not indexed has its view directly in the group box.
  if (!group || !group->HasTable || group->Command->Indexed || group->Instances.empty())
    return nullptr;
  return &group->Instances.front().Table;
}

THeadlessEditor::TTable* THeadlessEditor::FindTable(int page, int command) {
  return const_cast<TTable*>(std::as_const(*this).FindTable(page, command));
}

bool THeadlessEditor::HasControl(int page, int command, int instance, int param,
                                 TControlKind kind) const {
  if (kind == ckGroup) return FindGroup(page, command) != nullptr;
  return FindRow(page, command, instance, param, kind) != nullptr;
}

bool THeadlessEditor::Checked(int page, int command, int instance, int param) const {
  const TRow* row = FindRow(page, command, instance, param, ckCheckBox);
  return row && row->Checked;
}

void THeadlessEditor::SetChecked(int page, int command, int instance, int param, bool checked) {
  TRow* row = FindRow(page, command, instance, param, ckCheckBox);
  if (!row) return;
  row->Checked = checked;
  row->Enabled = checked;
  RefreshChanged(page, command, instance, param);
}

std::string THeadlessEditor::InputText(int page, int command, int instance, int param) const {
  const TRow* row = FindRow(page, command, instance, param, ckInput);
  if (!row) return "";
  const TDevCommand& cmd = *FindGroup(page, command)->Command;
  return cmd.Parameters[static_cast<size_t>(param)].ParamType == ptOption ? "" : row->Text;
}

void THeadlessEditor::SetInputText(int page, int command, int instance, int param,
                                   const std::string& text) {
  TRow* row = FindRow(page, command, instance, param, ckInput);
  if (!row) return;
  const TCmdParameter& p =
      FindGroup(page, command)->Command->Parameters[static_cast<size_t>(param)];
  if (p.ParamType == ptOption) return;
  row->Text = p.ParamType == ptHex ? MaskHexText(text, p.MaxLen) : text;
  row->Unread = false;
  RefreshChanged(page, command, instance, param);
}

void THeadlessEditor::MarkValueUnread(int page, int command, int instance, int param) {
  if (TRow* row = FindRow(page, command, instance, param, ckInput)) row->Unread = true;
}

bool THeadlessEditor::ValueUnread(int page, int command, int instance, int param) const {
  const TRow* row = FindRow(page, command, instance, param, ckInput);
  return row && row->Unread;
}

int THeadlessEditor::OptionIndex(int page, int command, int instance, int param) const {
  const TRow* row = FindRow(page, command, instance, param, ckInput);
  return row ? row->OptionIndex : -1;
}

void THeadlessEditor::SetOptionIndex(int page, int command, int instance, int param, int index) {
  TRow* row = FindRow(page, command, instance, param, ckInput);
  if (!row) return;
  const TCmdParameter& p =
      FindGroup(page, command)->Command->Parameters[static_cast<size_t>(param)];
  if (p.ParamType != ptOption) return;
  const bool valid = index >= 0 && static_cast<size_t>(index) < p.Options.size();
  row->OptionIndex = valid ? index : -1;
  RefreshChanged(page, command, instance, param);
}

TValueOrigin THeadlessEditor::ValueOrigin(int page, int command, int instance, int param) const {
  return tracker_.Origin({page, command, instance, param});
}

void THeadlessEditor::SetValueOrigin(int page, int command, int instance, int param,
                                     TValueOrigin origin) {
  if (FindRow(page, command, instance, param, ckInput))
    tracker_.SetOrigin({page, command, instance, param}, origin);
}

std::optional<std::string> THeadlessEditor::LastReadValue(int page, int command, int instance,
                                                          int param) const {
  return tracker_.LastRead({page, command, instance, param});
}

void THeadlessEditor::SetLastReadValue(int page, int command, int instance, int param,
                                       const std::string& value) {
  if (!FindRow(page, command, instance, param, ckInput)) return;
  tracker_.SetLastRead({page, command, instance, param}, value);
  RefreshChanged(page, command, instance, param);
}

bool THeadlessEditor::ValueChanged(int page, int command, int instance, int param) const {
  return tracker_.Changed({page, command, instance, param});
}

int THeadlessEditor::ChangedCount(int page) const {
  return page < 0 ? tracker_.ChangedCount() : tracker_.ChangedCount(page);
}

void THeadlessEditor::RefreshChanged(int page, int command, int instance, int param) {
  const ParamAddress address{page, command, instance, param};
  const std::optional<std::string> lastRead = tracker_.LastRead(address);
  if (!lastRead) return;
  const TCmdParameter& p =
      FindGroup(page, command)->Command->Parameters[static_cast<size_t>(param)];
  const std::optional<std::string> shown = ShownValue(*this, p, address);
  tracker_.SetChanged(address, shown && !SameValue(p.ParamType, *shown, *lastRead));
}

bool THeadlessEditor::InputEnabled(int page, int command, int instance, int param) const {
  const TRow* row = FindRow(page, command, instance, param, ckInput);
  return row && row->Enabled && FindGroup(page, command)->Enabled;
}

bool THeadlessEditor::GroupEnabled(int page, int command) const {
  const TGroup* group = FindGroup(page, command);
  return group && group->Enabled;
}

void THeadlessEditor::MarkCommandUnsupported(int page, int command) {
  TGroup* group = FindGroup(page, command);
  if (!group) return;
  group->Enabled = false;
  for (TInstance& instance : group->Instances)
    for (TRow& row : instance.Rows) row.Enabled = false;
}

bool THeadlessEditor::HasTable(int page, int command, int, int) const {
  return FindTable(page, command) != nullptr;
}

void THeadlessEditor::ClearTableRows(int page, int command, int, int) {
  if (TTable* table = FindTable(page, command)) table->Rows.clear();
}

int THeadlessEditor::TableColumnCount(int page, int command, int, int) const {
  const TTable* table = FindTable(page, command);
  return table ? static_cast<int>(table->Headers.size()) : 0;
}

void THeadlessEditor::AddTableColumn(int page, int command, int, int) {
  if (TTable* table = FindTable(page, command)) table->Headers.emplace_back();
}

void THeadlessEditor::AddTableRow(int page, int command, int, int,
                                  const std::vector<std::string>& cells) {
  TTable* table = FindTable(page, command);
  if (!table) return;
  while (table->Headers.size() < cells.size()) table->Headers.emplace_back();
  std::vector<std::string> row = cells;
  row.resize(table->Headers.size());
  table->Rows.push_back(std::move(row));
}

std::vector<std::vector<std::string>> THeadlessEditor::TableRows(int page, int command, int,
                                                                 int) const {
  const TTable* table = FindTable(page, command);
  return table ? table->Rows : std::vector<std::vector<std::string>>{};
}

std::vector<std::string> THeadlessEditor::TableHeaders(int page, int command) const {
  const TTable* table = FindTable(page, command);
  return table ? table->Headers : std::vector<std::string>{};
}

std::string THeadlessEditor::InputHint(int page, int command, int instance, int param) const {
  if (!FindRow(page, command, instance, param, ckInput)) return "";
  return ParameterHint(FindGroup(page, command)->Command->Parameters[static_cast<size_t>(param)]);
}

}  // namespace quillon
