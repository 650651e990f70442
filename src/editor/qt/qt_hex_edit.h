// The masked field of a hex parameter: a fixed number of positions, each needing a letter or a
// digit, shown in upper case. A changed field that is left incomplete refuses to lose the
// focus.
#pragma once

#include <QLineEdit>
#include <functional>

namespace quillon {

class THexEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit THexEdit(QWidget* parent = nullptr);

  // Number of positions; no mask when it is not positive.
  void SetMaxLen(int maxLen);

  // Every character typed, before the field takes it; set it to a null character to drop it.
  std::function<void(THexEdit*, QChar&)> OnKeyPress;
  // The operator moved the focus away and every position is filled (or nothing was changed).
  std::function<void(THexEdit*)> OnExit;

  static QString IncompleteMessage();

 protected:
  // Whether every character of the text passes the key filter.
  bool KeyFilterTakes(QString text) const;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace quillon
