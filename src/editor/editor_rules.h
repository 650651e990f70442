// What both editors (the Qt one and the headless one) derive from the profile in the same way:
// initial values, hint texts, table columns and the value rules of the input fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "profile/command_profile.h"

namespace quillon {

// Instances built for a command: MaxIndex for an indexed one (none when it is not positive),
// else one.
int InstanceCount(const TDevCommand& command);

// The numeric field's limits are the low 32 bits of MinValue and MaxValue.
int32_t IntegerLow(const TCmdParameter& param);
int32_t IntegerHigh(const TCmdParameter& param);
// The nearer limit for a value outside them; equal limits mean no limits.
int64_t ClampToLimits(int64_t value, int32_t low, int32_t high);

// DefaultValue read with the profile's integer syntax (0 when it is not one), clamped.
int32_t DefaultIntegerValue(const TCmdParameter& param);
// The last option whose Value equals DefaultValue, else the second entry, else none (-1).
int DefaultOptionIndex(const TCmdParameter& param);

// Description, CR LF, then the type and its limits.
std::string ParameterHint(const TCmdParameter& param);

// A table command's PollProcessor is exactly "table".
bool IsTableCommand(const TDevCommand& command);

struct TTableColumn {
  std::string Caption;
  int Width = 50;
};
// Columns from "table_headers", widths from "table_width"; surplus widths add caption-less
// columns, a width that is not a number gives 50.
std::vector<TTableColumn> TableColumns(const TDevCommand& command);

// What a masked hex field of maxLen positions keeps of a text put into it: letters and digits
// only, upper case, at most maxLen of them (the text as it is when maxLen is not positive).
std::string MaskHexText(const std::string& text, int maxLen);

// A hexadecimal value longer than its field brought to the field's width where that loses
// nothing: blanks trimmed, letters upper-cased, padded on the left with "0" to maxLen, leading
// zeros dropped while it is longer. The result can still be longer than maxLen.
std::string FitHexText(const std::string& text, int maxLen);

// The hex field's text read as "$" + text into 64 bits (0 when it is not a number), of which
// the low 32 bits count, unsigned; then tested against MinValue..MaxValue.
bool HexTextInRange(const TCmdParameter& param, const std::string& text);

}  // namespace quillon
