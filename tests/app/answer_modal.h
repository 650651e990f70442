// Answers the next modal window in a GUI test: the window runs its own event loop, so the answer
// is queued before the action that opens it.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace quillon::test {

// Runs answer on the next modal window of type T as soon as it is up; *answered tells whether
// one came within five seconds.
template <class T>
void AnswerModal(std::function<void(T*)> answer, std::shared_ptr<bool> answered = {}) {
  auto* poll = new QTimer;
  poll->setInterval(10);
  auto ticks = std::make_shared<int>(500);
  QObject::connect(poll, &QTimer::timeout, [poll, answer, answered, ticks] {
    auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
    if (window && !window->isVisible()) return;
    if (window || --*ticks <= 0) {
      poll->stop();
      poll->deleteLater();
      if (answered) *answered = window != nullptr;
      if (window) answer(window);
    }
  });
  poll->start();
}

}  // namespace quillon::test
