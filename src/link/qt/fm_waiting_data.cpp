#include "link/qt/fm_waiting_data.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace quillon {

const QEvent::Type TfmWaitingData::kStartEvent =
    static_cast<QEvent::Type>(QEvent::registerEventType());

TfmWaitingData::TfmWaitingData(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      portLines_(this, 360) {
  setObjectName(QStringLiteral("fmWaitingData"));
  setWindowTitle(tr("Установка связи"));
  setModal(true);

  lblTries_ = new QLabel(this);
  lblTries_->setObjectName(QStringLiteral("lblTries"));
  lblTries_->setAlignment(Qt::AlignCenter);

  btnStop_ = new QPushButton(tr("Остановить"), this);
  btnStop_->setObjectName(QStringLiteral("btnStop"));
  btnStop_->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnStop_);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 18, 24, 14);
  layout->setSpacing(12);
  portLines_.AddTo(layout);
  layout->addWidget(lblTries_);
  layout->addLayout(buttons);
  setMinimumWidth(300);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(btnStop_, &QPushButton::clicked, this, &TfmWaitingData::btnStopClick);
}

bool TfmWaitingData::Run(std::function<bool()> oneTry) {
  oneTry_ = std::move(oneTry);
  tries_ = 0;
  lblTries_->clear();
  finished_ = false;
  const int result = exec();
  finished_ = true;
  oneTry_ = nullptr;
  return result == QDialog::Accepted;
}

void TfmWaitingData::btnStopClick() {
  reject();
}

void TfmWaitingData::showEvent(QShowEvent* event) {
  CenterOverParent();
  QDialog::showEvent(event);
  if (!finished_) QCoreApplication::postEvent(this, new QEvent(kStartEvent));
}

void TfmWaitingData::customEvent(QEvent* event) {
  if (event->type() == kStartEvent) {
    EntryLoop();
    return;
  }
  QDialog::customEvent(event);
}

void TfmWaitingData::done(int result) {
  finished_ = true;
  QDialog::done(result);
}

// Top and left put the window's middle over the parent's middle, halves rounded toward zero.
void TfmWaitingData::CenterOverParent() {
  QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
  if (!owner) return;
  adjustSize();
  const QRect main = owner->frameGeometry();
  const QSize own = frameGeometry().size();
  move(main.left() + (main.width() - own.width()) / 2,
       main.top() + (main.height() - own.height()) / 2);
}

void TfmWaitingData::EntryLoop() {
  if (looping_) return;  // a second start event while the loop runs
  looping_ = true;
  while (!finished_ && oneTry_) {
    QCoreApplication::processEvents();
    if (finished_) break;
    ++tries_;
    lblTries_->setText(tr("Попытка %1").arg(tries_));
    lblTries_->repaint();  // the try blocks: its number shows now
    QElapsedTimer clock;
    clock.start();
    if (oneTry_()) {
      accept();
      break;
    }
    PauseAfterQuickTry(clock.elapsed());
  }
  looping_ = false;
}

// A try that fails at once (the port has gone and cannot be reopened) would otherwise turn the
// loop into a busy spin flooding the log; such tries are spaced out, with the window responsive.
void TfmWaitingData::PauseAfterQuickTry(qint64 elapsedMs) {
  if (finished_ || elapsedMs >= kMinTryPeriodMs) return;
  QEventLoop pause;
  QTimer::singleShot(static_cast<int>(kMinTryPeriodMs - elapsedMs), &pause, &QEventLoop::quit);
  const auto stop = connect(this, &QDialog::finished, &pause, &QEventLoop::quit);
  pause.exec();
  disconnect(stop);
}

void TfmWaitingData::SetPortState(const QString& portName, const QString& lastError, bool) {
  portLines_.SetPortState(portName, lastError);
}

}  // namespace quillon
