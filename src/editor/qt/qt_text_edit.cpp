#include "editor/qt/qt_text_edit.h"

#include <QFocusEvent>
#include <algorithm>

#include "editor/qt/qt_focus.h"

namespace quillon {

TTextEdit::TTextEdit(QWidget* parent) : QLineEdit(parent) {
  // textEdited (the operator's changes only) comes before textChanged.
  connect(this, &QLineEdit::textEdited, this, &TTextEdit::TextEdited);
  connect(this, &QLineEdit::textChanged, this, &TTextEdit::TextChanged);
}

bool TTextEdit::event(QEvent* event) {
  if (!inEdit_) {
    cursorBefore_ = cursorPosition();
    selectionStartBefore_ = selectionStart();
    selectionLengthBefore_ = selectionLength();
  }
  return QLineEdit::event(event);
}

void TTextEdit::TextChanged() {
  if (!inEdit_) accepted_ = text();
}

void TTextEdit::TextEdited() {
  if (inEdit_) return;
  inEdit_ = true;
  bool accepted = CutToMaxLen();
  if (accepted && OnChange) accepted = OnChange(this);
  if (accepted)
    accepted_ = text();
  else
    Restore();
  inEdit_ = false;
}

// Keeps of the inserted text only what fits; false when nothing of the change is left.
bool TTextEdit::CutToMaxLen() {
  const QString now = text();
  const qsizetype limit = std::max<qsizetype>(maxLen_, accepted_.size());
  if (maxLen_ <= 0 || now.size() <= limit) return true;
  // The inserted text ends at the cursor and starts where the old text stops agreeing.
  const qsizetype insertedEnd = cursorPosition();
  qsizetype common = 0;
  while (common < accepted_.size() && common < now.size() && accepted_[common] == now[common])
    ++common;
  const qsizetype insertedStart = std::min(common, insertedEnd);
  const qsizetype cutStart = std::max(insertedStart, insertedEnd - (now.size() - limit));
  QString kept = now;
  kept.remove(cutStart, insertedEnd - cutStart);
  if (kept.size() > limit || kept == accepted_) return false;
  setText(kept);
  setCursorPosition(static_cast<int>(cutStart));
  return true;
}

void TTextEdit::Restore() {
  setText(accepted_);
  if (selectionStartBefore_ >= 0 && selectionLengthBefore_ > 0) {
    // Selected from the end the cursor stood at.
    if (cursorBefore_ == selectionStartBefore_)
      setSelection(selectionStartBefore_ + selectionLengthBefore_, -selectionLengthBefore_);
    else
      setSelection(selectionStartBefore_, selectionLengthBefore_);
  } else {
    setCursorPosition(cursorBefore_);
  }
}

void TTextEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (OnExit && IsOperatorFocusMove(event->reason())) OnExit(this);
}

}  // namespace quillon
