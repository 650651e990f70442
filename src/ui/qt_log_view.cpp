#include "ui/qt_log_view.h"

#include <QFontDatabase>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextCursor>

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

void TLogView::ScrollToNewest() {
  QTextCursor cursor = textCursor();
  cursor.movePosition(QTextCursor::End);
  setTextCursor(cursor);
  ensureCursorVisible();
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
}

}  // namespace quillon
