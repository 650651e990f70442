// A terminal password field: digits only, at most ten of them typed, hidden while typed, with a
// button that shows the text. A longer stored password is shown in full and can be shortened.
#pragma once

#include <QClipboard>
#include <QLineEdit>

class QAction;

namespace quillon {

class TQtPasswordEdit : public QLineEdit {
  Q_OBJECT

 public:
  static constexpr int kMaxTyped = 10;

  explicit TQtPasswordEdit(QWidget* parent = nullptr);

  // The button in the field that shows or hides the text.
  QAction* ShowAction() const { return showAction_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void SetShown(bool shown);
  int Room() const;
  // Inserts the digits of the clipboard (or of the selection: a middle click), as many as there
  // is room for.
  void PasteDigits(QClipboard::Mode mode = QClipboard::Clipboard);

  QAction* showAction_;
};

}  // namespace quillon
