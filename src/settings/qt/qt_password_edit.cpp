#include "settings/qt/qt_password_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace quillon {

namespace {

// An open or crossed-out eye drawn in the text colour, so it needs no icon theme.
QIcon EyeIcon(const QColor& color, bool crossed) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(color, 2.5));
  QPainterPath lid;
  lid.moveTo(3, 16);
  lid.quadTo(16, 3, 29, 16);
  lid.quadTo(16, 29, 3, 16);
  painter.drawPath(lid);
  painter.setBrush(color);
  painter.drawEllipse(QPointF(16, 16), 4.5, 4.5);
  if (crossed) painter.drawLine(QPointF(6, 27), QPointF(26, 5));
  painter.end();
  return QIcon(pixmap);
}

}  // namespace

TQtPasswordEdit::TQtPasswordEdit(QWidget* parent) : QLineEdit(parent) {
  setEchoMode(QLineEdit::Password);
  setDragEnabled(false);
  setAcceptDrops(false);
  showAction_ =
      addAction(EyeIcon(palette().color(QPalette::Text), false), QLineEdit::TrailingPosition);
  showAction_->setCheckable(true);
  connect(showAction_, &QAction::toggled, this, &TQtPasswordEdit::SetShown);
  SetShown(false);
}

void TQtPasswordEdit::SetShown(bool shown) {
  setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
  showAction_->setIcon(EyeIcon(palette().color(QPalette::Text), shown));
  const QString hint = shown ? tr("Скрыть пароль") : tr("Показать пароль");
  showAction_->setText(hint);
  showAction_->setToolTip(hint);
}

int TQtPasswordEdit::Room() const {
  return std::max(0, kMaxTyped - static_cast<int>(text().size() - selectedText().size()));
}

// Only digits, Backspace and Enter are typed; everything else a key would insert is dropped.
// Keys that insert nothing (moving, deleting, copying, Tab, Esc) keep their usual work.
void TQtPasswordEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    PasteDigits();
    return;
  }
  const QString text = event->text();
  const bool inserts = !text.isEmpty() && text.at(0).isPrint() &&
                       !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
  if (inserts) {
    if (text.size() != 1 || !text.at(0).isDigit() || text.at(0).unicode() > '9' || Room() == 0) {
      event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

// The standard menu, with its "Paste" taking digits only. Qt names that action in newer
// versions; older ones are known by the shortcut shown after its caption.
void TQtPasswordEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  const QString pasteKey =
      QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
  for (QAction* action : menu->actions()) {
    if (action->objectName() != QLatin1String("edit-paste") && !action->text().endsWith(pasteKey))
      continue;
    action->disconnect();
    connect(action, &QAction::triggered, this, [this] { PasteDigits(); });
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

// Text composed by an input method obeys the same rule as typed text.
void TQtPasswordEdit::inputMethodEvent(QInputMethodEvent* event) {
  const QString commit = event->commitString();
  bool digits = !commit.isEmpty();
  for (QChar c : commit) digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
  if (!commit.isEmpty() && (!digits || commit.size() > Room())) {
    event->accept();
    return;
  }
  QLineEdit::inputMethodEvent(event);
}

// A middle click pastes the selection on X11; it obeys the same rule as typed text.
void TQtPasswordEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton && QApplication::clipboard()->supportsSelection()) {
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
    PasteDigits(QClipboard::Selection);
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

void TQtPasswordEdit::PasteDigits(QClipboard::Mode mode) {
  if (isReadOnly()) return;
  QString digits;
  for (QChar c : QApplication::clipboard()->text(mode))
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) digits += c;
  insert(digits.left(Room()));
}

}  // namespace quillon
