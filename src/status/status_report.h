// ParseStatusReport: one status report line ("+RESP:" + kind + comma-separated fields, already
// trimmed) into updates of the status window's display fields. Stateless: a report changes only
// the fields of its own kind.
#pragma once

#include <string>
#include <vector>

#include "status/number_formatter.h"
#include "status/status_texts.h"

namespace quillon {

enum class TStatusUpdateKind {
  Text,       // Field shows Text
  Check,      // check box Field ticked when Value
  Overflow,   // the warning "lMemoryOverflow" shown when Value
  SignalBar,  // redraw the signal bar "pGSMStr" from the text of "eGSMStrength"
};

struct TStatusUpdate {
  TStatusUpdateKind Kind = TStatusUpdateKind::Text;
  std::string Field;   // the window's component name: eXXX, cDStateN, lMemoryOverflow, pGSMStr
  std::string Text;    // Text updates (Windows-1251)
  bool Value = false;  // Check and Overflow updates

  bool operator==(const TStatusUpdate&) const = default;
};

// An empty list means no change: a line without the exact prefix, an unknown kind, too few items.
std::vector<TStatusUpdate> ParseStatusReport(const std::string& line, const TStatusTexts& texts,
                                             const INumberFormatter& formatter);
// With the built-in texts and a point as the decimal separator.
std::vector<TStatusUpdate> ParseStatusReport(const std::string& line);

// The kind of a report line (the four characters after "+RESP:"), "" without the prefix.
std::string StatusReportKind(const std::string& line);

// The six kinds, in the order the terminal sends them.
const std::vector<std::string>& StatusReportKinds();

// A display field: its component name and its label in the window (Windows-1251).
struct TStatusField {
  std::string Name;
  std::string Caption;
};
// Every field a report fills, in report order ("DPRM" first), check boxes and the warning
// included.
const std::vector<TStatusField>& StatusFields();
// The label of a field, "" for a name not in the list.
std::string StatusFieldCaption(const std::string& name);

// The conversions of the report fields, for the front ends and tests.
std::string InsertAt(const std::string& text, const std::string& insert, int position);
std::string RunningTimeText(int32_t seconds);

}  // namespace quillon
