// An editor that hands every call on to another and notes which parameters were given a value
// or had their box cleared: what a configuration file or an answer actually set, as opposed to
// what the editor held before.
#pragma once

#include <set>
#include <tuple>

#include "editor/parameter_editor.h"

namespace quillon {

class TRecordingEditor : public IParameterEditor {
 public:
  explicit TRecordingEditor(IParameterEditor& inner) : inner_(inner) {}

  // A value was put in (text or option), or the box was cleared, since the last Forget.
  bool Given(int page, int command, int instance, int param) const;
  // The value itself was put in.
  bool ValueSet(int page, int command, int instance, int param) const;
  void Forget();

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
  TValueOrigin ValueOrigin(int page, int command, int instance, int param) const override {
    return inner_.ValueOrigin(page, command, instance, param);
  }
  void SetValueOrigin(int page, int command, int instance, int param,
                      TValueOrigin origin) override {
    inner_.SetValueOrigin(page, command, instance, param, origin);
  }
  std::optional<std::string> LastReadValue(int page, int command, int instance,
                                           int param) const override {
    return inner_.LastReadValue(page, command, instance, param);
  }
  void SetLastReadValue(int page, int command, int instance, int param,
                        const std::string& value) override {
    inner_.SetLastReadValue(page, command, instance, param, value);
  }
  bool ValueChanged(int page, int command, int instance, int param) const override {
    return inner_.ValueChanged(page, command, instance, param);
  }
  int ChangedCount(int page = -1) const override { return inner_.ChangedCount(page); }
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

 private:
  using TKey = std::tuple<int, int, int, int>;
  IParameterEditor& inner_;
  std::set<TKey> values_;
  std::set<TKey> cleared_;
};

}  // namespace quillon
