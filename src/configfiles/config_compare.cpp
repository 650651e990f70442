#include "configfiles/config_compare.h"

#include <set>
#include <tuple>

#include "editor/editor_rules.h"
#include "editor/headless_editor.h"
#include "editor/value_tracker.h"

namespace quillon {

namespace {

// A fresh editor that notes which values and boxes a load put in: what the file holds, as
// opposed to the defaults around it.
class TPresenceEditor : public THeadlessEditor {
 public:
  using THeadlessEditor::THeadlessEditor;

  void SetChecked(int page, int command, int instance, int param, bool checked) override {
    if (HasControl(page, command, instance, param, ckCheckBox))
      boxes_.insert({page, command, instance, param});
    THeadlessEditor::SetChecked(page, command, instance, param, checked);
  }
  void SetInputText(int page, int command, int instance, int param,
                    const std::string& text) override {
    if (HasControl(page, command, instance, param, ckInput))
      values_.insert({page, command, instance, param});
    THeadlessEditor::SetInputText(page, command, instance, param, text);
  }
  void SetOptionIndex(int page, int command, int instance, int param, int index) override {
    if (HasControl(page, command, instance, param, ckInput))
      values_.insert({page, command, instance, param});
    THeadlessEditor::SetOptionIndex(page, command, instance, param, index);
  }

  TPresence Presence(const ParamAddress& a) const {
    const ParamAddress key = a;
    return {values_.count(key) > 0, boxes_.count(key) > 0};
  }

 private:
  std::set<ParamAddress, TAddressOrder> values_, boxes_;
};

// The value as a file would hold it, whether or not the box is ticked.
std::string FieldValue(const IParameterEditor& editor, const TCmdParameter& param,
                       const ParamAddress& a) {
  if (param.ParamType != ptOption) return editor.InputText(a.Page, a.Command, a.Instance, a.Param);
  const int index = editor.OptionIndex(a.Page, a.Command, a.Instance, a.Param);
  if (index < 0 || index >= static_cast<int>(param.Options.size())) return std::string();
  return param.Options[static_cast<size_t>(index)].Value;
}

// Whether the terminal reports the parameter when its command is polled.
bool TerminalReports(const TDevCommand& command, const TCmdParameter& param) {
  return command.PollData && !IsTableCommand(command) && param.Overwrite;
}

bool HasAnything(const TConfigEntry* entry) {
  return entry != nullptr && (entry->Value || entry->Enabled);
}

const char* BoxText(bool on) {
  return on ? "on" : "off";
}

TConfigRead ReadWith(const CommandProfile& profile,
                     const std::function<TLoadResult(IParameterEditor&, TConfigMessages&)>& load) {
  TConfigRead read;
  TPresenceEditor editor(profile);
  TConfigMessages messages;
  read.Loaded = load(editor, messages);
  read.Messages = messages.Lines();
  if (read.Loaded.Outcome == loCorrupt) read.Messages.push_back(read.Loaded.Error);
  read.Values = EditorConfiguration(profile, editor,
                                    [&](const ParamAddress& a) { return editor.Presence(a); });
  // An element with nothing between its tags holds an empty value: the writer writes one for an
  // empty field, although loading it leaves the field as it was.
  for (const ParamAddress& a : read.Loaded.Parameters) {
    TConfigEntry& entry = read.Values.Entries[a];
    if (!entry.Value) entry.Value = std::string();
  }
  return read;
}

}  // namespace

bool TAddressOrder::operator()(const ParamAddress& a, const ParamAddress& b) const {
  return std::tie(a.Page, a.Command, a.Instance, a.Param) <
         std::tie(b.Page, b.Command, b.Instance, b.Param);
}

TConfiguration EditorConfiguration(const CommandProfile& profile, const IParameterEditor& editor,
                                   const TPresenceFn& present) {
  TConfiguration config;
  for (int p = 0; p < static_cast<int>(profile.Pages.size()); ++p) {
    const TDevPage& page = profile.Pages[static_cast<size_t>(p)];
    for (int c = 0; c < static_cast<int>(page.Commands.size()); ++c) {
      const TDevCommand& cmd = page.Commands[static_cast<size_t>(c)];
      if (IsTableCommand(cmd)) continue;
      const int instances = cmd.Indexed ? InstanceCount(cmd) : 1;
      for (int k = 0; k < instances; ++k)
        for (int j = 0; j < static_cast<int>(cmd.Parameters.size()); ++j) {
          const TCmdParameter& param = cmd.Parameters[static_cast<size_t>(j)];
          const ParamAddress a{p, c, k, j};
          // Asked first: an editor may build its controls only when they are looked for.
          const TPresence has = present ? present(a) : TPresence{true, true};
          if (!has.Value && !has.Enabled) continue;
          if (!editor.HasControl(p, c, k, j, ckInput)) continue;
          TConfigEntry entry;
          if (has.Value) entry.Value = FieldValue(editor, param, a);
          if (has.Enabled && param.Optional) entry.Enabled = editor.Checked(p, c, k, j);
          if (entry.Value || entry.Enabled) config.Entries.emplace(a, entry);
        }
    }
  }
  return config;
}

TConfigRead ReadConfigurationBuffer(const CommandProfile& profile, const std::string& data) {
  return ReadWith(profile, [&](IParameterEditor& editor, TConfigMessages& messages) {
    return LoadConfigurationFromBuffer(profile, editor, data, messages);
  });
}

TConfigRead ReadConfigurationFile(const CommandProfile& profile, const std::string& fileName) {
  return ReadWith(profile, [&](IParameterEditor& editor, TConfigMessages& messages) {
    return LoadConfigurationFromFile(profile, editor, fileName, messages);
  });
}

std::vector<TConfigDifference> CompareConfigurations(const CommandProfile& profile,
                                                     const TConfiguration& a,
                                                     const TConfiguration& b) {
  std::set<ParamAddress, TAddressOrder> addresses;
  for (const auto& [address, entry] : a.Entries) addresses.insert(address);
  for (const auto& [address, entry] : b.Entries) addresses.insert(address);

  std::vector<TConfigDifference> differences;
  for (const ParamAddress& address : addresses) {
    const TDevCommand* cmd = profile.Command(address.Page, address.Command);
    if (cmd == nullptr || address.Param >= static_cast<int>(cmd->Parameters.size())) continue;
    const TCmdParameter& param = cmd->Parameters[static_cast<size_t>(address.Param)];
    auto at = [&](const TConfiguration& side) -> const TConfigEntry* {
      auto found = side.Entries.find(address);
      return found == side.Entries.end() ? nullptr : &found->second;
    };
    const TConfigEntry* x = at(a);
    const TConfigEntry* y = at(b);
    auto add = [&](TDifferenceKind kind, std::optional<std::string> va,
                   std::optional<std::string> vb) {
      differences.push_back({address, kind, std::move(va), std::move(vb)});
    };

    if ((a.FromTerminal || b.FromTerminal) && !TerminalReports(*cmd, param)) {
      add(dkNotComparable, x ? x->Value : std::nullopt, y ? y->Value : std::nullopt);
      continue;
    }
    if (!HasAnything(y)) {
      add(dkOnlyInA, x->Value, std::nullopt);
      continue;
    }
    if (!HasAnything(x)) {
      add(dkOnlyInB, std::nullopt, y->Value);
      continue;
    }
    if (x->Enabled && y->Enabled && *x->Enabled != *y->Enabled)
      add(dkEnabled, BoxText(*x->Enabled), BoxText(*y->Enabled));
    if (x->Value && y->Value) {
      if (!SameValue(param.ParamType, *x->Value, *y->Value)) add(dkChanged, x->Value, y->Value);
    } else if (x->Value) {
      add(dkOnlyInA, x->Value, std::nullopt);
    } else if (y->Value) {
      add(dkOnlyInB, std::nullopt, y->Value);
    }
  }
  return differences;
}

void TakeValue(const CommandProfile& profile, IParameterEditor& editor,
               const TConfigDifference& d) {
  const TDevCommand* cmd = profile.Command(d.Address.Page, d.Address.Command);
  if (cmd == nullptr || !d.B || d.Address.Param >= static_cast<int>(cmd->Parameters.size())) return;
  const TCmdParameter& param = cmd->Parameters[static_cast<size_t>(d.Address.Param)];
  const ParamAddress& a = d.Address;
  if (d.Kind == dkEnabled) {
    editor.SetChecked(a.Page, a.Command, a.Instance, a.Param, *d.B == BoxText(true));
  } else if (param.ParamType == ptOption) {
    for (size_t i = 0; i < param.Options.size(); ++i)
      if (param.Options[i].Value == *d.B) {
        editor.SetOptionIndex(a.Page, a.Command, a.Instance, a.Param, static_cast<int>(i));
        break;
      }
  } else {
    editor.SetInputText(a.Page, a.Command, a.Instance, a.Param, *d.B);
  }
  editor.SetValueOrigin(a.Page, a.Command, a.Instance, a.Param, voTyped);
}

const char* DifferenceKindText(TDifferenceKind kind) {
  switch (kind) {
    case dkChanged:
      return "changed";
    case dkOnlyInA:
      return "only in A";
    case dkOnlyInB:
      return "only in B";
    case dkEnabled:
      return "enabled differs";
    case dkNotComparable:
      return "not comparable";
  }
  return "";
}

}  // namespace quillon
