// The single-line text field of a string parameter. Typing stops at the length limit (a text
// set by the system is not cut), and every change of the operator's can be refused, which
// restores the last accepted text and the cursor.
#pragma once

#include <QLineEdit>
#include <functional>

namespace quillon {

class TTextEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TTextEdit(QWidget* parent = nullptr);

  // Limit for typing; 0 for none.
  void SetMaxLen(int maxLen) { maxLen_ = maxLen; }
  int MaxLen() const { return maxLen_; }

  // The text the next refused change returns to. Every text set through setText becomes it.
  const QString& AcceptedText() const { return accepted_; }

  // Asked after each change of the operator's, with the new text in the field; false takes the
  // change back.
  std::function<bool(TTextEdit*)> OnChange;
  // Called when the operator moves the focus away.
  std::function<void(TTextEdit*)> OnExit;

 protected:
  bool event(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void TextEdited();
  void TextChanged();
  bool CutToMaxLen();
  void Restore();

  int maxLen_ = 0;
  QString accepted_;
  bool inEdit_ = false;
  // Cursor and selection before the event under way, for a change that is taken back.
  int cursorBefore_ = 0;
  int selectionStartBefore_ = -1;
  int selectionLengthBefore_ = 0;
};

}  // namespace quillon
