// The editor's tool bar: the changed-only view and the search field, with the actions a menu
// carries for them ("Найти…" on Ctrl+F, "Найти далее" on F3).
#pragma once

#include <QToolBar>

class QAction;
class QLabel;
class QLineEdit;

namespace quillon {

class TQtParameterEditor;

class TQtEditorToolBar : public QToolBar {
  Q_OBJECT

 public:
  TQtEditorToolBar(TQtParameterEditor& editor, QWidget* parent = nullptr);

  QAction* ChangedOnly1 = nullptr;  // checkable: only commands holding changed values
  QAction* Find1 = nullptr;         // puts the focus into the search field
  QAction* FindNext1 = nullptr;     // the next match, across pages
  QLineEdit* SearchEdit = nullptr;
  QLabel* SearchStatus = nullptr;  // "2 из 7", "Не найдено"

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SearchTextChanged(const QString& text);
  void ShowNext();
  void ShowStatus();

  TQtParameterEditor& editor_;
};

}  // namespace quillon
