#include "link/qt/fm_device_reconnect.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace quillon {

TfmDeviceReconnect::TfmDeviceReconnect(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      portLines_(this, 380) {
  setObjectName(QStringLiteral("fmDeviceReconnect"));
  setWindowTitle(tr("Ожидание устройства"));
  setModal(true);

  lblRetryInterval_ = new QLabel(this);
  lblRetryInterval_->setObjectName(QStringLiteral("lblRetryInterval"));
  lblRetryInterval_->setAlignment(Qt::AlignCenter);
  lblRetryInterval_->setWordWrap(true);
  lblRetryInterval_->setFixedWidth(380);

  btnRetryNow_ = new QPushButton(tr("Повторить"), this);
  btnRetryNow_->setObjectName(QStringLiteral("btnRetryNow"));
  btnCancel_ = new QPushButton(tr("Остановить"), this);
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  btnRetryNow_->setAutoDefault(false);
  btnCancel_->setAutoDefault(false);

  tmWaitInterval_ = new QTimer(this);
  tmWaitInterval_->setObjectName(QStringLiteral("tmWaitInterval"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnRetryNow_);
  buttons->addWidget(btnCancel_);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 18, 24, 14);
  layout->setSpacing(10);
  portLines_.AddTo(layout);
  layout->addWidget(lblRetryInterval_);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  setMinimumWidth(320);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(tmWaitInterval_, &QTimer::timeout, this, &TfmDeviceReconnect::tmWaitIntervalTimer);
  connect(btnRetryNow_, &QPushButton::clicked, this, &TfmDeviceReconnect::btnRetryNowClick);
  connect(btnCancel_, &QPushButton::clicked, this, &TfmDeviceReconnect::btnCancelClick);
  SetCountdown(0);
}

bool TfmDeviceReconnect::Run(std::function<bool()> tryOpen) {
  tryOpen_ = std::move(tryOpen);
  const int result = exec();
  tmWaitInterval_->stop();
  tryOpen_ = nullptr;
  return result == QDialog::Accepted;
}

void TfmDeviceReconnect::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The first attempt comes with the first tick, at once.
  SetCountdown(0);
  tmWaitInterval_->setInterval(1);
  tmWaitInterval_->start();
}

void TfmDeviceReconnect::tmWaitIntervalTimer() {
  SetCountdown(counter_ - 1);
  AttemptIfDue();
}

void TfmDeviceReconnect::btnRetryNowClick() {
  counter_ = 0;
  AttemptIfDue();
}

void TfmDeviceReconnect::btnCancelClick() {
  reject();
}

// "Остановить", Esc and the title bar's close button.
void TfmDeviceReconnect::reject() {
  tmWaitInterval_->stop();
  QDialog::reject();
}

void TfmDeviceReconnect::SetCountdown(int value) {
  counter_ = value;
  lblRetryInterval_->setText(tr("Подключение через %1").arg(value));
}

void TfmDeviceReconnect::AttemptIfDue() {
  if (counter_ > 0) return;
  tmWaitInterval_->stop();
  if (tryOpen_ && tryOpen_()) {
    accept();
    return;
  }
  if (!isVisible()) return;  // stopped while the attempt ran
  if (!retryHelps_) {
    // Trying every five seconds cannot mend a missing permission; the reason line says what
    // will, and "Повторить" tries once it is done.
    counter_ = 0;
    lblRetryInterval_->setText(
        tr("Повторные попытки не помогут, пока нет доступа к порту: откройте доступ и нажмите "
           "«Повторить»"));
    return;
  }
  tmWaitInterval_->setInterval(1000);
  tmWaitInterval_->start();
  SetCountdown(kRetrySeconds);
}

bool TfmDeviceReconnect::CountingDown() const {
  return tmWaitInterval_->isActive();
}

void TfmDeviceReconnect::SetPortState(const QString& portName, const QString& lastError,
                                      bool retryHelps) {
  portLines_.SetPortState(portName, lastError);
  retryHelps_ = retryHelps;
}

}  // namespace quillon
