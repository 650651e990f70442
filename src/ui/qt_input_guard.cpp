#include "ui/qt_input_guard.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

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

// The widget an event is aimed at. Qt hands mouse and key events from the window system to the
// window object first (a QWindow, not a widget) and only then to the widget under the mouse or
// with the focus; both must be judged alike.
QWidget* TargetWidget(QObject* watched) {
  if (auto* widget = qobject_cast<QWidget*>(watched)) return widget;
  auto* window = qobject_cast<QWindow*>(watched);
  if (!window) return nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->windowHandle() == window) return top;
  return nullptr;
}

// A modal window the run opened (a question, the entry or reconnect window) takes input as
// usual, and so do its popups (a list's drop-down is a window of its own, parented inside it);
// everything else waits for the run to end, and is then forgotten.
bool InsideActiveModal(QObject* watched) {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal) return false;
  for (QWidget* w = TargetWidget(watched); w; w = w->parentWidget())
    if (w == modal) return true;
  return false;
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
