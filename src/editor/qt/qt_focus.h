// Focus rules shared by the editor's fields.
#pragma once

#include <QTimer>
#include <QWidget>

namespace quillon {

// Checks on leaving a field run only when the operator moves the focus. Focus changes made by
// the program (among them a field taking the focus back) and those caused by switching
// windows or opening menus do not count, so two refusing fields cannot pass it back and forth.
inline bool IsOperatorFocusMove(Qt::FocusReason reason) {
  return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
         reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

// Puts the focus back into a field that refuses to be left, once the focus change that is
// under way has finished.
inline void ReturnFocusLater(QWidget* field) {
  QTimer::singleShot(0, field, [field] { field->setFocus(Qt::OtherFocusReason); });
}

}  // namespace quillon
