#include "editor/value_tracker.h"

#include <cctype>
#include <cstdlib>

namespace quillon {

TValueOrigin TValueTracker::Origin(const ParamAddress& address) const {
  auto found = states_.find(Key(address));
  return found == states_.end() ? voDefault : found->second.Origin;
}

void TValueTracker::SetOrigin(const ParamAddress& address, TValueOrigin origin) {
  states_[Key(address)].Origin = origin;
}

std::optional<std::string> TValueTracker::LastRead(const ParamAddress& address) const {
  auto found = states_.find(Key(address));
  return found == states_.end() ? std::nullopt : found->second.LastRead;
}

void TValueTracker::SetLastRead(const ParamAddress& address, const std::string& value) {
  states_[Key(address)].LastRead = value;
}

bool TValueTracker::Changed(const ParamAddress& address) const {
  auto found = states_.find(Key(address));
  return found != states_.end() && found->second.Changed;
}

bool TValueTracker::SetChanged(const ParamAddress& address, bool changed) {
  auto found = states_.find(Key(address));
  if (found == states_.end()) {
    if (!changed) return false;
    found = states_.emplace(Key(address), TState()).first;
  }
  if (found->second.Changed == changed) return false;
  found->second.Changed = changed;
  const int step = changed ? 1 : -1;
  changedCount_ += step;
  changedPerPage_[address.Page] += step;
  return true;
}

int TValueTracker::ChangedCount(int page) const {
  auto found = changedPerPage_.find(page);
  return found == changedPerPage_.end() ? 0 : found->second;
}

std::vector<ParamAddress> TValueTracker::ChangedAddresses() const {
  std::vector<ParamAddress> result;
  for (const auto& [key, state] : states_) {
    if (!state.Changed) continue;
    result.push_back({std::get<0>(key), std::get<1>(key), std::get<2>(key), std::get<3>(key)});
  }
  return result;
}

void TValueTracker::Clear() {
  states_.clear();
  changedPerPage_.clear();
  changedCount_ = 0;
}

std::optional<std::string> ShownValue(const IParameterEditor& editor, const TCmdParameter& param,
                                      const ParamAddress& a) {
  if (param.Optional && !editor.Checked(a.Page, a.Command, a.Instance, a.Param))
    return std::nullopt;
  if (param.ParamType != ptOption) return editor.InputText(a.Page, a.Command, a.Instance, a.Param);
  const int index = editor.OptionIndex(a.Page, a.Command, a.Instance, a.Param);
  if (index < 0 || index >= static_cast<int>(param.Options.size())) return std::string();
  return param.Options[static_cast<size_t>(index)].Value;
}

namespace {

std::optional<long long> Number(const std::string& text, int base) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  if (begin == end) return std::nullopt;
  const std::string trimmed = text.substr(begin, end - begin);
  char* stop = nullptr;
  const long long value = std::strtoll(trimmed.c_str(), &stop, base);
  if (stop == nullptr || *stop != '\0') return std::nullopt;
  return value;
}

}  // namespace

bool SameValue(TParamType type, const std::string& a, const std::string& b) {
  if (a == b) return true;
  if (type != ptInteger && type != ptHex) return false;
  const int base = type == ptHex ? 16 : 10;
  const std::optional<long long> x = Number(a, base), y = Number(b, base);
  return x && y && *x == *y;
}

}  // namespace quillon
