// Answers the next modal window or file dialog in a GUI test: the window runs its own event loop,
// so the answer is queued before the action that opens it.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
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

// Types the whole path into the dialog's name field, as an operator may: unlike selectFile,
// that does not wait for the dialog to change folders.
inline void TypePath(QFileDialog* dialog, const QString& path) {
  auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (edit)
    edit->setText(path);
  else
    dialog->selectFile(path);
}

// Chooses the file in the next file dialog.
inline void ChooseFile(const QString& path) {
  AnswerModal<QFileDialog>([path](QFileDialog* dialog) {
    TypePath(dialog, path);
    static_cast<QDialog*>(dialog)->accept();
  });
}

}  // namespace quillon::test
