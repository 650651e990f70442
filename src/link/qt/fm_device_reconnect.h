// The reconnect window "Ожидание устройства": tries to open the port at once, then every five
// seconds with a countdown, and at once on "Повторить", until the port opens or the operator
// stops.
#pragma once

#include <QDialog>
#include <functional>

#include "link/qt/qt_port_state_lines.h"

class QLabel;
class QPushButton;
class QTimer;

namespace quillon {

class TfmDeviceReconnect : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kRetrySeconds = 5;

  explicit TfmDeviceReconnect(QWidget* parent = nullptr);

  // The port's path and the last port error's text; an empty one hides its line. Without
  // retryHelps (the user may not use the port) a failed attempt is not followed by another every
  // five seconds: the window says what to do and waits for "Повторить".
  void SetPortState(const QString& portName, const QString& lastError, bool retryHelps = true);

  // False while the window waits for "Повторить" instead of counting down.
  bool CountingDown() const;

  // Shows the window modally; tryOpen is one open attempt. True when an attempt succeeded.
  bool Run(std::function<bool()> tryOpen);

  int Counter() const { return counter_; }

 public slots:
  void tmWaitIntervalTimer();
  void btnRetryNowClick();
  void btnCancelClick();
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void SetCountdown(int value);
  void AttemptIfDue();

  TQtPortStateLines portLines_;
  QLabel* lblRetryInterval_;
  QPushButton* btnRetryNow_;
  QPushButton* btnCancel_;
  QTimer* tmWaitInterval_;
  std::function<bool()> tryOpen_;
  int counter_ = 0;
  bool retryHelps_ = true;
};

}  // namespace quillon
