// What the editor knows about each shown value beyond the value itself: where it came from and
// what the terminal last said. Kept apart from the widgets, so that pages not yet built and the
// headless editor answer alike.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "editor/parameter_editor.h"
#include "profile/command_profile.h"

namespace quillon {

class TValueTracker {
 public:
  struct TState {
    TValueOrigin Origin = voDefault;
    std::optional<std::string> LastRead;
    bool Changed = false;
  };

  TValueOrigin Origin(const ParamAddress& address) const;
  void SetOrigin(const ParamAddress& address, TValueOrigin origin);
  std::optional<std::string> LastRead(const ParamAddress& address) const;
  void SetLastRead(const ParamAddress& address, const std::string& value);
  bool Changed(const ParamAddress& address) const;
  // Notes whether the shown value now differs from the last read one; true when that flipped.
  bool SetChanged(const ParamAddress& address, bool changed);

  int ChangedCount() const { return changedCount_; }
  int ChangedCount(int page) const;
  // Every changed parameter, in profile order.
  std::vector<ParamAddress> ChangedAddresses() const;
  void Clear();

 private:
  using TKey = std::tuple<int, int, int, int>;
  static TKey Key(const ParamAddress& a) { return {a.Page, a.Command, a.Instance, a.Param}; }

  std::map<TKey, TState> states_;
  std::map<int, int> changedPerPage_;
  int changedCount_ = 0;
};

// The value an apply of the parameter would send, as the terminal answers it (an option by its
// Value); nothing for an optional parameter whose box is clear.
std::optional<std::string> ShownValue(const IParameterEditor& editor, const TCmdParameter& param,
                                      const ParamAddress& address);
// Whether two values of that type are the same to the terminal: integers and hexadecimal values
// as numbers, everything else exactly.
bool SameValue(TParamType type, const std::string& a, const std::string& b);

}  // namespace quillon
