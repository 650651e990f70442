#include "editor/qt/qt_hex_edit.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QToolTip>

#include "editor/qt/qt_focus.h"

namespace quillon {

THexEdit::THexEdit(QWidget* parent) : QLineEdit(parent) {}

void THexEdit::SetMaxLen(int maxLen) {
  // "N": a letter or a digit required; ">": shown in upper case.
  setInputMask(maxLen > 0 ? ">" + QString(maxLen, QLatin1Char('N')) : QString());
}

QString THexEdit::IncompleteMessage() {
  return QCoreApplication::translate("quillon::THexEdit",
                                     "Недопустимое значение: заполните все позиции поля");
}

void THexEdit::keyPressEvent(QKeyEvent* event) {
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
