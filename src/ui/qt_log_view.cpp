#include "ui/qt_log_view.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QMenu>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextCursor>

#include "link/session_log.h"
#include "ui/qt_system_colors.h"
#include "ui/qt_text.h"

namespace quillon {

TLogView::TLogView(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("LogLines"));
  setReadOnly(true);
  setUndoRedoEnabled(false);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // The trimming the model does, done by the document itself for the lines it shows.
  setMaximumBlockCount(static_cast<int>(TLogModel::kMaxLines));
  QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  mono.setPointSize(font().pointSize());
  setFont(mono);
}

TLogView::~TLogView() {
  Attach(nullptr);
}

void TLogView::Attach(TLogModel* model) {
  if (model_) model_->SetListener(nullptr);
  model_ = model;
  clear();
  hasLines_ = false;
  if (!model_) return;
  Append(std::vector<TLogLine>(model_->Lines().begin(), model_->Lines().end()));
  model_->SetListener(
      [this](const std::vector<TLogLine>& appended, size_t /*dropped*/) { Append(appended); });
}

void TLogView::Append(const std::vector<TLogLine>& lines) {
  if (lines.empty()) return;
  for (const TLogLine& line : lines) AppendLine(line);
  ScrollToNewest();
}

void TLogView::AppendLine(const TLogLine& line) {
  QTextCharFormat format;
  format.setForeground(ResolveColor(line.Color, palette()));
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  // A fresh document holds one empty block: the first line goes into it.
  if (hasLines_) cursor.insertBlock();
  hasLines_ = true;
  cursor.insertText(ToQString(line.Text), format);
}

QMenu* TLogView::CreateContextMenu() {
  QMenu* menu = createStandardContextMenu();
  menu->setObjectName(QStringLiteral("LogMenu"));
  menu->addSeparator();
  QAction* save = menu->addAction(tr("Сохранить протокол…"));
  save->setObjectName(QStringLiteral("SaveLog1"));
  save->setEnabled(model_ && !model_->Lines().empty());
  connect(save, &QAction::triggered, this, &TLogView::SaveLog1Click);
  QAction* clearAction = menu->addAction(tr("Очистить"));
  clearAction->setObjectName(QStringLiteral("ClearLog1"));
  clearAction->setEnabled(model_ && !model_->Lines().empty());
  connect(clearAction, &QAction::triggered, this, &TLogView::ClearProtocol);
  return menu;
}

void TLogView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = CreateContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

QFileDialog* TLogView::SaveLogDialog() {
  if (!saveDialog_) {
    saveDialog_ = new QFileDialog(window(), tr("Сохранить протокол"));
    saveDialog_->setObjectName(QStringLiteral("SaveLogDialog"));
    saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog_->setFileMode(QFileDialog::AnyFile);
    saveDialog_->setNameFilters({tr("Текстовые файлы (*.txt *.log)"), tr("Все файлы (*)")});
    saveDialog_->setDefaultSuffix(QStringLiteral("log"));
    saveDialog_->setDirectory(QDir::currentPath());
  }
  return saveDialog_;
}

void TLogView::SaveLog1Click() {
  QFileDialog* dialog = SaveLogDialog();
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
  SaveProtocol(dialog->selectedFiles().constFirst());
}

bool TLogView::SaveProtocol(const QString& fileName) {
  if (!model_) return false;
  const std::vector<TLogLine> lines(model_->Lines().begin(), model_->Lines().end());
  const std::string text = LogText(lines, model_->Masker());
  QSaveFile file(fileName);
  if (file.open(QIODevice::WriteOnly) &&
      file.write(text.data(), static_cast<qint64>(text.size())) ==
          static_cast<qint64>(text.size()) &&
      file.commit())
    return true;
  model_->WriteLog(FromQString(tr("Не могу сохранить протокол в файл %1: %2")
                                   .arg(QDir::toNativeSeparators(fileName), file.errorString())),
                   4);
  return false;
}

void TLogView::ClearProtocol() {
  if (model_) model_->Clear();
  clear();
  hasLines_ = false;
}

void TLogView::ScrollToNewest() {
  QTextCursor cursor = textCursor();
  cursor.movePosition(QTextCursor::End);
  setTextCursor(cursor);
  ensureCursorVisible();
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
}

}  // namespace quillon
