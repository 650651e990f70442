// A number field with limits and a step whose value is read from its text: a text that is not a
// number reads as the minimum, a number outside the limits as the nearest limit.
#pragma once

#include <QSpinBox>

namespace quillon {

class TQtSpinEdit : public QSpinBox {
  Q_OBJECT

 public:
  TQtSpinEdit(int minimum, int maximum, int step, QWidget* parent = nullptr);

  int Value() const;
};

}  // namespace quillon
