#include "settings/qt/qt_spin_edit.h"

#include <algorithm>

namespace quillon {

TQtSpinEdit::TQtSpinEdit(int minimum, int maximum, int step, QWidget* parent) : QSpinBox(parent) {
  setRange(minimum, maximum);
  setSingleStep(step);
  // A number typed below the minimum becomes the minimum on leaving, not the previous value.
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  setAlignment(Qt::AlignRight);
}

int TQtSpinEdit::Value() const {
  bool ok = false;
  const int value = cleanText().trimmed().toInt(&ok);
  if (!ok) return minimum();
  return std::clamp(value, minimum(), maximum());
}

}  // namespace quillon
