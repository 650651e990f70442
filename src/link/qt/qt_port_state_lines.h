// The lines both session windows open with: the bold "Идет подключение ждите", the port's path
// and the last port error's reason. The labels are the window's own children, laid out by it.
#pragma once

#include <QCoreApplication>
#include <QString>

class QBoxLayout;
class QLabel;
class QWidget;

namespace quillon {

class TQtPortStateLines {
  Q_DECLARE_TR_FUNCTIONS(quillon::TQtPortStateLines)

 public:
  // The reason wraps within reasonWidth; both start hidden.
  TQtPortStateLines(QWidget* window, int reasonWidth);

  // Adds the three lines to the window's layout, in order.
  void AddTo(QBoxLayout* layout) const;

  // The port's path and the last port error's text; an empty one hides its line.
  void SetPortState(const QString& portName, const QString& lastError);

 private:
  QLabel* lblMessage_;
  QLabel* lblPort_;
  QLabel* lblReason_;
};

}  // namespace quillon
