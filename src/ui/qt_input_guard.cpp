#include "ui/qt_input_guard.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace quillon {

namespace {

bool IsOperatorInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
      return true;
    default:
      return false;
  }
}

// A modal window the run opened (a question, the entry or reconnect window) takes input as
// usual; everything else waits for the run to end, and is then forgotten.
bool InsideActiveModal(QObject* watched) {
  QWidget* modal = QApplication::activeModalWidget();
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!modal || !widget) return false;
  return widget->window() == modal || modal->isAncestorOf(widget);
}

}  // namespace

TQtInputGuard::TQtInputGuard(QObject* parent) : QObject(parent) {}

TQtInputGuard::~TQtInputGuard() {
  if (depth_ > 0) qApp->removeEventFilter(this);
}

void TQtInputGuard::Begin() {
  if (depth_++ > 0) return;
  escPressed_ = false;
  qApp->installEventFilter(this);
}

void TQtInputGuard::End() {
  if (depth_ == 1) Flush();
  if (--depth_ > 0) return;
  qApp->removeEventFilter(this);
}

// What the window system queued while the run held the window goes through the filter now.
void TQtInputGuard::Flush() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TQtInputGuard::StopRequested() {
  if (depth_ == 0) return false;
  Flush();
  return escPressed_;
}

bool TQtInputGuard::eventFilter(QObject* watched, QEvent* event) {
  if (depth_ == 0 || !IsOperatorInput(event->type()) || InsideActiveModal(watched))
    return QObject::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
    escPressed_ = true;
  return true;
}

}  // namespace quillon
