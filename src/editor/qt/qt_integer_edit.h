// The numeric field of an integer parameter: up and down arrows in steps of 1, limits that
// apply when the number is set or the focus leaves, and a text written by the system shown as
// it is until then.
#pragma once

#include <QAbstractSpinBox>
#include <cstdint>

namespace quillon {

class TIntegerEdit : public QAbstractSpinBox {
  Q_OBJECT

 public:
  explicit TIntegerEdit(QWidget* parent = nullptr);

  // Equal limits mean no limits.
  void SetLimits(int32_t low, int32_t high);
  int32_t MinValue() const { return low_; }
  int32_t MaxValue() const { return high_; }

  // The text read as a whole number; MinValue when it is not one.
  int64_t Value() const;
  // Shows the number, moved to the nearer limit when it lies outside them.
  void SetValue(int64_t value);
  // Shows a text unchanged (answers, configuration files).
  void SetText(const QString& text);
  QString Text() const;
  // The text field inside, which draws the text.
  QLineEdit* TextField() const { return lineEdit(); }

  void stepBy(int steps) override;

 signals:
  // The text changed, by the program or the operator; TextEdited only by the operator.
  void TextChanged();
  void TextEdited();

 public:
  QValidator::State validate(QString& input, int& pos) const override;

 protected:
  StepEnabled stepEnabled() const override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  static bool IsAcceptedCharacter(QChar ch);
  void ApplyLimitsToText();

  int32_t low_ = 0;
  int32_t high_ = 0;
};

}  // namespace quillon
