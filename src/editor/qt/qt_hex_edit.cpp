#include "editor/qt/qt_hex_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QValidator>

#include "editor/qt/qt_focus.h"

namespace quillon {

namespace {

// Pasted or dropped text never passes the key filter: it is held to the same rule here, and a
// change bringing a character the filter drops is not taken. Text set by the program is kept
// as given (it only stops counting as acceptable input).
class TKeyFilterValidator : public QValidator {
 public:
  explicit TKeyFilterValidator(THexEdit* edit) : QValidator(edit), edit_(edit) {}

  State validate(QString& input, int&) const override {
    if (!edit_->OnKeyPress) return Acceptable;
    for (QChar& ch : input) {
      if (ch == QLatin1Char(' ')) continue;  // a position of the mask not filled yet
      QChar key = ch;
      edit_->OnKeyPress(edit_, key);
      if (key.isNull()) return Invalid;
      ch = key;
    }
    return Acceptable;
  }

 private:
  THexEdit* edit_;
};

}  // namespace

THexEdit::THexEdit(QWidget* parent) : QLineEdit(parent) {
  setValidator(new TKeyFilterValidator(this));
}

void THexEdit::SetMaxLen(int maxLen) {
  // "N": a letter or a digit required; ">": shown in upper case.
  setInputMask(maxLen > 0 ? ">" + QString(maxLen, QLatin1Char('N')) : QString());
}

QString THexEdit::IncompleteMessage() {
  return QCoreApplication::translate("quillon::THexEdit",
                                     "Недопустимое значение: заполните все позиции поля");
}

bool THexEdit::KeyFilterTakes(QString text) const {
  const QValidator* filter = validator();
  int position = 0;
  return !filter || filter->validate(text, position) != QValidator::Invalid;
}

void THexEdit::keyPressEvent(QKeyEvent* event) {
  // A paste the filter would refuse leaves the field as it was, selection included.
  if (event->matches(QKeySequence::Paste) &&
      !KeyFilterTakes(QApplication::clipboard()->text(QClipboard::Clipboard))) {
    QApplication::beep();
    event->accept();
    return;
  }
  const QString text = event->text();
  // Editing keys and shortcuts act as keys; only the characters typed go through the filter.
  const bool editingKey = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
  const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
  if (text.isEmpty() || editingKey || shortcut || !OnKeyPress) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  QString kept;
  for (QChar ch : text) {
    OnKeyPress(this, ch);
    if (!ch.isNull()) kept += ch;
  }
  if (kept.isEmpty()) {
    event->accept();
    return;
  }
  QKeyEvent filtered(event->type(), event->key(), event->modifiers(), kept, event->isAutoRepeat(),
                     static_cast<ushort>(event->count()));
  QLineEdit::keyPressEvent(&filtered);
  event->setAccepted(filtered.isAccepted());
}

void THexEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (!IsOperatorFocusMove(event->reason())) return;
  if (isModified() && !hasAcceptableInput()) {
    ReturnFocusLater(this);
    QToolTip::showText(mapToGlobal(QPoint(0, height())), IncompleteMessage(), this);
    QApplication::beep();
    return;
  }
  if (OnExit) OnExit(this);
}

}  // namespace quillon
