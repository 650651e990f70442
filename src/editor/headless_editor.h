// The parameter editor without a window system: the same controls, defaults and address
// answers as the Qt editor, held in memory, for the command-line tool and the tests.
#pragma once

#include <string>
#include <vector>

#include "editor/parameter_editor.h"
#include "editor/value_tracker.h"
#include "profile/command_profile.h"

namespace quillon {

class THeadlessEditor : public IParameterEditor {
 public:
  // Builds every control from the profile, which must outlive the editor.
  explicit THeadlessEditor(const CommandProfile& profile);

  bool HasControl(int page, int command, int instance, int param, TControlKind kind) const override;
  bool Checked(int page, int command, int instance, int param) const override;
  void SetChecked(int page, int command, int instance, int param, bool checked) override;
  std::string InputText(int page, int command, int instance, int param) const override;
  void SetInputText(int page, int command, int instance, int param,
                    const std::string& text) override;
  int OptionIndex(int page, int command, int instance, int param) const override;
  void SetOptionIndex(int page, int command, int instance, int param, int index) override;
  bool InputEnabled(int page, int command, int instance, int param) const override;
  void MarkValueUnread(int page, int command, int instance, int param) override;
  bool ValueUnread(int page, int command, int instance, int param) const override;
  TValueOrigin ValueOrigin(int page, int command, int instance, int param) const override;
  void SetValueOrigin(int page, int command, int instance, int param, TValueOrigin origin) override;
  std::optional<std::string> LastReadValue(int page, int command, int instance,
                                           int param) const override;
  void SetLastReadValue(int page, int command, int instance, int param,
                        const std::string& value) override;
  bool ValueChanged(int page, int command, int instance, int param) const override;
  int ChangedCount(int page = -1) const override;
  // Every changed parameter, in profile order.
  std::vector<ParamAddress> ChangedAddresses() const { return tracker_.ChangedAddresses(); }
  bool GroupEnabled(int page, int command) const override;
  void MarkCommandUnsupported(int page, int command) override;
  bool HasTable(int page, int command, int instance, int param) const override;
  void ClearTableRows(int page, int command, int instance, int param) override;
  int TableColumnCount(int page, int command, int instance, int param) const override;
  void AddTableColumn(int page, int command, int instance, int param) override;
  void AddTableRow(int page, int command, int instance, int param,
                   const std::vector<std::string>& cells) override;
  std::vector<std::vector<std::string>> TableRows(int page, int command, int instance,
                                                  int param) const override;

  // Column captions of the table view found as HasTable finds it (empty when there is none).
  std::vector<std::string> TableHeaders(int page, int command) const;
  // Hint text of an input control ("" where there is none).
  std::string InputHint(int page, int command, int instance, int param) const;

 private:
  struct TRow {
    bool Checked = true;
    bool Enabled = true;
    std::string Text;
    int OptionIndex = -1;
    bool Unread = false;
  };
  struct TTable {
    std::vector<std::string> Headers;  // one per column, "" for caption-less ones
    std::vector<std::vector<std::string>> Rows;
  };
  struct TInstance {
    std::vector<TRow> Rows;
    TTable Table;
  };
  struct TGroup {
    const TDevCommand* Command = nullptr;
    bool Enabled = true;
    bool HasTable = false;
    std::vector<TInstance> Instances;
  };

  static TRow MakeRow(const TCmdParameter& param);
  const TGroup* FindGroup(int page, int command) const;
  TGroup* FindGroup(int page, int command);
  // The parameter row a check box or input address leads to, as FindParameterControl finds it.
  const TRow* FindRow(int page, int command, int instance, int param, TControlKind kind) const;
  TRow* FindRow(int page, int command, int instance, int param, TControlKind kind);
  const TTable* FindTable(int page, int command) const;
  TTable* FindTable(int page, int command);

  // Compares the shown value with the last read one after either changed.
  void RefreshChanged(int page, int command, int instance, int param);

  std::vector<std::vector<TGroup>> pages_;
  TValueTracker tracker_;
};

}  // namespace quillon
