// One profile and one table of address questions, asked of both editors: the Qt editor and
// the headless one must answer every FindParameterControl question the same way.
#pragma once

#include <string>
#include <vector>

#include "editor/parameter_editor.h"
#include "profile/command_profile.h"

namespace quillon::testing {

inline TCmdParameter MakeParam(TParamType type, bool optional) {
  TCmdParameter p;
  p.ParamType = type;
  p.Optional = optional;
  p.Description = "p";
  if (type == ptInteger) {
    p.MinValue = -2147483648LL;
    p.MaxValue = 2147483647LL;
  }
  if (type == ptHex) p.MaxLen = 8;
  if (type == ptOption) p.Options = {{"1", "one"}, {"2", "two"}, {"3", "three"}};
  return p;
}

inline TDevCommand MakeCommand(const std::string& name, int maxIndex) {
  TDevCommand c;
  c.Name = name;
  c.Description = name + " command";
  c.MaxIndex = maxIndex;
  c.Indexed = maxIndex > 0;
  c.PollData = true;
  return c;
}

// Page 0: a plain command with one parameter of each type (optional ones at 0 and 2), an
// indexed command with three instances, a table command. Page 1: no commands. Page 2: a
// command with 300 parameters and one with 300 instances, past what the packed tag holds.
inline CommandProfile MakeAddressProfile() {
  CommandProfile profile;
  TDevPage main;
  main.Name = "Main";
  TDevCommand plain = MakeCommand("+PLN", -1);
  plain.Parameters = {MakeParam(ptInteger, true), MakeParam(ptString, false),
                      MakeParam(ptHex, true), MakeParam(ptOption, false)};
  TDevCommand indexed = MakeCommand("+IDX", 3);
  indexed.Parameters = {MakeParam(ptString, true), MakeParam(ptInteger, false)};
  TDevCommand table = MakeCommand("+TBL", -1);
  table.PollProcessor = "table";
  table.Attributes = {{"table_headers", "A,B"}};
  table.Parameters = {MakeParam(ptString, false)};
  main.Commands = {plain, indexed, table};

  TDevPage empty;
  empty.Name = "Empty";

  TDevPage big;
  big.Name = "Big";
  TDevCommand wide = MakeCommand("+WIDE", -1);
  wide.Parameters.assign(300, MakeParam(ptString, false));
  TDevCommand many = MakeCommand("+MANY", 300);
  many.Parameters = {MakeParam(ptString, false)};
  big.Commands = {wide, many};

  profile.Pages = {main, empty, big};
  profile.InputWidth = 20;
  return profile;
}

struct TAddressCase {
  const char* Name;
  int Page, Command, Instance, Param;
  TControlKind Kind;
  bool Found;
};

inline const std::vector<TAddressCase>& AddressCases() {
  static const std::vector<TAddressCase> cases = {
      {"group", 0, 0, 0, 0, ckGroup, true},
      {"group ignores instance and parameter", 0, 0, 5, 9, ckGroup, true},
      {"group of the last command", 0, 2, 0, 0, ckGroup, true},
      {"group past the last command", 0, 3, 0, 0, ckGroup, false},
      {"negative command", 0, -1, 0, 0, ckGroup, false},
      {"page without commands", 1, 0, 0, 0, ckGroup, false},
      {"negative page", -1, 0, 0, 0, ckGroup, false},
      {"page past the last", 3, 0, 0, 0, ckGroup, false},
      {"page past the last, input", 3, 0, 0, 0, ckInput, false},
      {"integer input", 0, 0, 0, 0, ckInput, true},
      {"string input", 0, 0, 0, 1, ckInput, true},
      {"hex input", 0, 0, 0, 2, ckInput, true},
      {"option input", 0, 0, 0, 3, ckInput, true},
      {"parameter past the last", 0, 0, 0, 4, ckInput, false},
      {"negative parameter", 0, 0, 0, -1, ckInput, false},
      {"instance 1 of a plain command", 0, 0, 1, 0, ckInput, false},
      {"negative instance of a plain command", 0, 0, -1, 0, ckInput, false},
      {"check box of an optional parameter", 0, 0, 0, 0, ckCheckBox, true},
      {"check box of a mandatory parameter", 0, 0, 0, 1, ckCheckBox, false},
      {"check box of an optional hex parameter", 0, 0, 0, 2, ckCheckBox, true},
      {"check box of a mandatory option", 0, 0, 0, 3, ckCheckBox, false},
      {"indexed, first instance", 0, 1, 0, 0, ckInput, true},
      {"indexed, last instance", 0, 1, 2, 1, ckInput, true},
      {"indexed, instance = MaxIndex", 0, 1, 3, 0, ckInput, false},
      {"indexed, negative instance", 0, 1, -1, 0, ckInput, false},
      {"indexed, check box", 0, 1, 2, 0, ckCheckBox, true},
      {"indexed, mandatory check box", 0, 1, 2, 1, ckCheckBox, false},
      {"indexed, group", 0, 1, 7, 0, ckGroup, true},
      {"table command input", 0, 2, 0, 0, ckInput, true},
      {"parameter 256", 2, 0, 0, 256, ckInput, true},
      {"parameter 299", 2, 0, 0, 299, ckInput, true},
      {"parameter 300", 2, 0, 0, 300, ckInput, false},
      {"instance 1 of a 300-parameter command (tag of parameter 256)", 2, 0, 1, 0, ckInput, false},
      {"instance 256", 2, 1, 256, 0, ckInput, true},
      {"instance 299", 2, 1, 299, 0, ckInput, true},
      {"instance 300", 2, 1, 300, 0, ckInput, false},
      {"instance 0, parameter 256 (tag of instance 1)", 2, 1, 0, 256, ckInput, false},
  };
  return cases;
}

}  // namespace quillon::testing
