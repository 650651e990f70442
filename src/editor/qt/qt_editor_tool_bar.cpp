#include "editor/qt/qt_editor_tool_bar.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "editor/qt/qt_editor_views.h"
#include "editor/qt/qt_parameter_editor.h"

namespace quillon {

namespace {

// The field gives up width before the tool bar hides anything behind its extension button.
constexpr int kSearchWidth = 150;
constexpr int kSearchMaxWidth = 420;

}  // namespace

TQtEditorToolBar::TQtEditorToolBar(TQtParameterEditor& editor, QWidget* parent)
    : QToolBar(tr("Изменения и поиск"), parent), editor_(editor) {
  setObjectName(QStringLiteral("EditorToolBar"));
  setMovable(false);
  setToolButtonStyle(Qt::ToolButtonTextOnly);

  ChangedOnly1 = new QAction(tr("Только изменённые"), this);
  ChangedOnly1->setObjectName(QStringLiteral("ChangedOnly1"));
  ChangedOnly1->setCheckable(true);
  ChangedOnly1->setToolTip(
      tr("Показать только команды, значения которых отличаются от "
         "прочитанных из терминала"));
  ChangedOnly1->setStatusTip(ChangedOnly1->toolTip());
  connect(ChangedOnly1, &QAction::toggled, this,
          [this](bool on) { editor_.Views().SetChangedOnly(on); });
  addAction(ChangedOnly1);
  addSeparator();

  SearchEdit = new QLineEdit(this);
  SearchEdit->setObjectName(QStringLiteral("SearchEdit"));
  SearchEdit->setPlaceholderText(tr("Поиск (Ctrl+F): описание, команда или значение"));
  SearchEdit->setToolTip(
      tr("Оставляет на страницах команды, в которых найден текст; Enter или "
         "F3 — следующее совпадение"));
  SearchEdit->setStatusTip(SearchEdit->toolTip());
  SearchEdit->setClearButtonEnabled(true);
  SearchEdit->setMinimumWidth(kSearchWidth);
  SearchEdit->setMaximumWidth(kSearchMaxWidth);
  SearchEdit->installEventFilter(this);
  connect(SearchEdit, &QLineEdit::textChanged, this, &TQtEditorToolBar::SearchTextChanged);
  connect(SearchEdit, &QLineEdit::returnPressed, this, &TQtEditorToolBar::ShowNext);
  addWidget(SearchEdit);

  SearchStatus = new QLabel(this);
  SearchStatus->setObjectName(QStringLiteral("SearchStatus"));
  SearchStatus->setContentsMargins(6, 0, 6, 0);
  SearchStatus->setMinimumWidth(
      SearchStatus->fontMetrics().horizontalAdvance(tr("%1 из %2").arg(9999).arg(9999)) + 12);
  addWidget(SearchStatus);

  Find1 = new QAction(tr("Найти…"), this);
  Find1->setObjectName(QStringLiteral("Find1"));
  Find1->setShortcut(QKeySequence::Find);
  connect(Find1, &QAction::triggered, this, [this] {
    SearchEdit->setFocus(Qt::ShortcutFocusReason);
    SearchEdit->selectAll();
  });
  FindNext1 = new QAction(tr("Найти далее"), this);
  FindNext1->setObjectName(QStringLiteral("FindNext1"));
  FindNext1->setShortcut(QKeySequence(Qt::Key_F3));
  connect(FindNext1, &QAction::triggered, this, &TQtEditorToolBar::ShowNext);

  connect(&editor_.Views(), &TQtEditorViews::ViewsChanged, this, &TQtEditorToolBar::ShowStatus);
}

void TQtEditorToolBar::SearchTextChanged(const QString& text) {
  if (editor_.Views().SetSearchText(text) > 0) editor_.Views().ShowFirstMatch();
  ShowStatus();
}

void TQtEditorToolBar::ShowNext() {
  if (editor_.Views().SearchText().isEmpty()) {
    Find1->trigger();
    return;
  }
  editor_.Views().ShowNextMatch();
}

void TQtEditorToolBar::ShowStatus() {
  const TQtEditorViews& views = editor_.Views();
  if (ChangedOnly1->isChecked() != views.ChangedOnly())
    ChangedOnly1->setChecked(views.ChangedOnly());
  QString text;
  if (!views.SearchText().isEmpty()) {
    if (views.MatchCount() == 0)
      text = tr("Не найдено");
    else if (views.CurrentMatch() < 0)
      text = tr("Найдено: %1").arg(views.MatchCount());
    else
      text = tr("%1 из %2").arg(views.CurrentMatch() + 1).arg(views.MatchCount());
  }
  SearchStatus->setText(text);
}

// Esc in the search field ends the search and puts every command back.
bool TQtEditorToolBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == SearchEdit && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !SearchEdit->text().isEmpty()) {
    SearchEdit->clear();
    return true;
  }
  return QToolBar::eventFilter(watched, event);
}

}  // namespace quillon
