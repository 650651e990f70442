// Two configurations compared value by value, per parameter address: two files, the terminal
// against a file, or the editor against a file. The command line's config diff and the main
// window's "compare with a file" both judge by this one rule.
//
//   TConfigRead file = ReadConfigurationFile(profile, "a.zxml");      // what the file gives
//   TConfiguration shown = EditorConfiguration(profile, editor);      // what the editor holds
//   for (const TConfigDifference& d : CompareConfigurations(profile, shown, file.Values)) ...
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "configfiles/config_file.h"
#include "editor/parameter_editor.h"
#include "profile/command_profile.h"

namespace quillon {

struct TAddressOrder {
  bool operator()(const ParamAddress& a, const ParamAddress& b) const;
};

// What one side holds for one parameter.
struct TConfigEntry {
  std::optional<bool> Enabled;       // an optional parameter's box, where the side tells it
  std::optional<std::string> Value;  // as a file holds it: an option by its Value
};

struct TConfiguration {
  // The values were read from the terminal, which reports no parameter without Overwrite, no
  // command without PollData and no table command's values: such parameters of the other side
  // cannot be compared.
  bool FromTerminal = false;
  std::map<ParamAddress, TConfigEntry, TAddressOrder> Entries;  // in profile order
};

// Which parts of one parameter a side has.
struct TPresence {
  bool Value = false;
  bool Enabled = false;
};
using TPresenceFn = std::function<TPresence(const ParamAddress&)>;

// The values of an editor: every parameter of every command that is not a table command, or
// what present says the side has. Integer and hexadecimal values as the field shows them.
TConfiguration EditorConfiguration(const CommandProfile& profile, const IParameterEditor& editor,
                                   const TPresenceFn& present = {});

// A configuration file as loading it gives it: the values as the loader puts them into a fresh
// editor (out-of-range values replaced, hexadecimal values padded), of the parameters the file
// names. Loaded says how the load went; Messages holds the loader's lines (Windows-1251), the
// error text of a file that is no zlib stream included.
struct TConfigRead {
  TLoadResult Loaded;
  std::vector<std::string> Messages;
  TConfiguration Values;
  // The file could be read to its end (values replaced by defaults are reported, not fatal).
  bool Readable() const { return Loaded.Outcome == loLoaded; }
};
TConfigRead ReadConfigurationBuffer(const CommandProfile& profile, const std::string& data);
TConfigRead ReadConfigurationFile(const CommandProfile& profile, const std::string& fileName);

enum TDifferenceKind {
  dkChanged,        // both have a value, and they differ
  dkOnlyInA,        // only A has the parameter
  dkOnlyInB,        // only B has it
  dkEnabled,        // the optional parameter's box differs (values "on" and "off")
  dkNotComparable,  // one side is the terminal, which cannot report it
};

struct TConfigDifference {
  ParamAddress Address;
  TDifferenceKind Kind = dkChanged;
  std::optional<std::string> A, B;  // nothing where a side has no value
};

// Integers and hexadecimal values compared as numbers, strings exactly, options by Value. One
// parameter can differ both in its value and in its box; the box comes first.
std::vector<TConfigDifference> CompareConfigurations(const CommandProfile& profile,
                                                     const TConfiguration& a,
                                                     const TConfiguration& b);

// Puts B's side of a difference (a file's value or box) into the editor as the operator would
// type it: the box set, the text put in (an option chosen by its Value), and the value's origin
// "typed", so that it shows as changed. Nothing for a difference that gives B no value.
void TakeValue(const CommandProfile& profile, IParameterEditor& editor,
               const TConfigDifference& difference);

// "changed", "only in A", "only in B", "enabled differs", "not comparable".
const char* DifferenceKindText(TDifferenceKind kind);

}  // namespace quillon
