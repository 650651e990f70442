// Colours as the settings store them: 0x00BBGGRR for a fixed colour, or FF000000 plus the index
// of a system colour, which follows the desktop's palette. One table maps those indexes to the
// palette, for the log pane that paints with them and the choosers that offer them.
#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>
#include <vector>

namespace quillon {

struct TSystemColor {
  int Index;         // the system colour's number, as stored after FF000000
  const char* Name;  // translated in the context "quillon::TSystemColors"
  QPalette::ColorGroup Group;
  QPalette::ColorRole Role;
};

constexpr int32_t kSystemColorBase = static_cast<int32_t>(0xFF000000u);

// The system colours in the order a chooser lists them.
const std::vector<TSystemColor>& SystemColors();

bool IsSystemColor(int32_t value);
// The colour a stored value paints with. A system colour that has no entry paints as the
// palette's text, so a line never vanishes into the background.
QColor ResolveColor(int32_t value, const QPalette& palette);
// The translated name of a system colour value, or an empty text.
QString SystemColorName(int32_t value);

}  // namespace quillon
