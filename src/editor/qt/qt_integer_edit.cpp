#include "editor/qt/qt_integer_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>
#include <limits>

#include "editor/editor_rules.h"
#include "profile/text_utils.h"
#include "ui/qt_text.h"

namespace quillon {

TIntegerEdit::TIntegerEdit(QWidget* parent) : QAbstractSpinBox(parent) {
  connect(lineEdit(), &QLineEdit::textChanged, this, &TIntegerEdit::TextChanged);
  connect(lineEdit(), &QLineEdit::textEdited, this, &TIntegerEdit::TextEdited);
}

void TIntegerEdit::SetLimits(int32_t low, int32_t high) {
  low_ = low;
  high_ = high;
}

int64_t TIntegerEdit::Value() const {
  int32_t value = 0;
  return ParseInt32(FromQString(Text()), value) ? value : low_;
}

void TIntegerEdit::SetValue(int64_t value) {
  value = ClampToLimits(value, low_, high_);
  value = std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max());
  SetText(QString::number(value));
}

void TIntegerEdit::SetText(const QString& text) {
  lineEdit()->setText(text);
}

QString TIntegerEdit::Text() const {
  return lineEdit()->text();
}

void TIntegerEdit::stepBy(int steps) {
  SetValue(Value() + steps);
  selectAll();
  emit TextEdited();
}

QValidator::State TIntegerEdit::validate(QString&, int&) const {
  // Typing is limited by the key filter; whatever text stands is kept.
  return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TIntegerEdit::stepEnabled() const {
  if (isReadOnly()) return StepNone;
  return StepUpEnabled | StepDownEnabled;
}

bool TIntegerEdit::IsAcceptedCharacter(QChar ch) {
  const char16_t u = ch.unicode();
  if (u == '\r' || u == '\n') return false;
  if (u < 0x20 || u == 0x7F) return true;  // Backspace and the control shortcuts
  if ((u >= '0' && u <= '9') || u == '+' || u == '-') return true;
  return QString(ch) == QLocale().decimalPoint();
}

void TIntegerEdit::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter || (!text.isEmpty() && !IsAcceptedCharacter(text.front()))) {
    QApplication::beep();
    event->accept();
    return;
  }
  QAbstractSpinBox::keyPressEvent(event);
}

void TIntegerEdit::focusOutEvent(QFocusEvent* event) {
  QAbstractSpinBox::focusOutEvent(event);
  ApplyLimitsToText();
}

void TIntegerEdit::ApplyLimitsToText() {
  // A text that is not a whole number stays on the screen as it is.
  int32_t value = 0;
  if (!ParseInt32(FromQString(Text()), value)) return;
  if (ClampToLimits(value, low_, high_) != value) SetValue(value);
}

}  // namespace quillon
