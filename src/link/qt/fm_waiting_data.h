// The command-mode entry window "Установка связи": repeats one entry try until a try succeeds or
// the operator presses "Остановить" (or Esc, or the title bar's close button). Pending events run
// before every try, which is what lets the button work while the tries block.
#pragma once

#include <QDialog>
#include <QEvent>
#include <functional>

#include "link/qt/qt_port_state_lines.h"

class QLabel;
class QPushButton;

namespace quillon {

class TfmWaitingData : public QDialog {
  Q_OBJECT

 public:
  // The private event the window posts itself when shown; its handler runs the entry loop.
  static const QEvent::Type kStartEvent;
  // Tries that fail faster than this are spaced out to this period.
  static constexpr qint64 kMinTryPeriodMs = 200;

  explicit TfmWaitingData(QWidget* parent = nullptr);

  // The port's path and the last port error's text; an empty one hides its line. The entry
  // window tries on regardless of retryHelps.
  void SetPortState(const QString& portName, const QString& lastError, bool retryHelps = true);

  // Shows the window modally, centred over its parent; true when a try returned true.
  bool Run(std::function<bool()> oneTry);

  // Tries made in the last run.
  int Tries() const { return tries_; }

 public slots:
  void btnStopClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void customEvent(QEvent* event) override;
  void done(int result) override;

 private:
  void CenterOverParent();
  void EntryLoop();
  void PauseAfterQuickTry(qint64 elapsedMs);

  TQtPortStateLines portLines_;
  QLabel* lblTries_;
  QPushButton* btnStop_;
  std::function<bool()> oneTry_;
  bool finished_ = true;
  bool looping_ = false;
  int tries_ = 0;
};

}  // namespace quillon
