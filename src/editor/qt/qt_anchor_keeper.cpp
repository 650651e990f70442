#include "editor/qt/qt_anchor_keeper.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace quillon {

TAnchorKeeper::TAnchorKeeper(QObject* parent) : QObject(parent) {}

void TAnchorKeeper::Watch(QWidget* container) {
  if (anchors_.contains(container) || followers_.contains(container)) return;
  container->installEventFilter(this);
  connect(container, &QObject::destroyed, this, &TAnchorKeeper::Forget);
}

void TAnchorKeeper::Forget(QObject* container) {
  anchors_.remove(container);
  followers_.remove(container);
}

void TAnchorKeeper::AnchorRight(QWidget* control, bool stretch) {
  QWidget* container = control->parentWidget();
  if (!container) return;
  Watch(container);
  const int margin = container->width() - (control->x() + control->width());
  anchors_[container].append({control, margin, stretch});
}

void TAnchorKeeper::FollowWidth(QWidget* contents, QWidget* viewport, int minWidth) {
  Watch(viewport);
  followers_.insert(viewport, {contents, minWidth});
}

bool TAnchorKeeper::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Resize) return false;
  const int width = static_cast<QWidget*>(watched)->width();
  if (auto follower = followers_.constFind(watched); follower != followers_.cend()) {
    QWidget* contents = follower->Contents;
    contents->resize(std::max(width, follower->MinWidth), contents->height());
  }
  if (auto list = anchors_.constFind(watched); list != anchors_.cend()) {
    for (const TAnchor& anchor : *list) {
      QWidget* control = anchor.Control;
      if (anchor.Stretch)
        control->resize(std::max(0, width - anchor.RightMargin - control->x()), control->height());
      else
        control->move(width - anchor.RightMargin - control->width(), control->y());
    }
  }
  return false;
}

}  // namespace quillon
