#include "ui/qt_session_ui.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>

#include "link/qt/fm_device_reconnect.h"
#include "link/qt/fm_waiting_data.h"
#include "ui/qt_text.h"

namespace quillon {

TQtSessionUi::TQtSessionUi(QWidget* owner, QLabel* linkPanel, QLabel* cmdPanel)
    : owner_(owner), linkPanel_(linkPanel), cmdPanel_(cmdPanel) {}

void TQtSessionUi::SetWindows(TfmWaitingData* waitingData, TfmDeviceReconnect* deviceReconnect) {
  waitingData_ = waitingData;
  deviceReconnect_ = deviceReconnect;
}

bool TQtSessionUi::AskRetry() {
  QMessageBox box(QMessageBox::NoIcon,
                  QCoreApplication::translate("quillon::TQtSessionUi", "Ошибка передачи данных"),
                  QCoreApplication::translate("quillon::TQtSessionUi", "Повторить попытку?"),
                  QMessageBox::Retry | QMessageBox::Cancel, owner_);
  box.setObjectName(QStringLiteral("RetryQuestion"));
  box.setDefaultButton(QMessageBox::Retry);
  return box.exec() == QMessageBox::Retry;
}

bool TQtSessionUi::RunReconnectWindow(const std::function<bool()>& tryOpen) {
  if (deviceReconnect_) return deviceReconnect_->Run(tryOpen);
  TfmDeviceReconnect window(owner_);
  return window.Run(tryOpen);
}

bool TQtSessionUi::RunEntryWindow(const std::function<bool()>& oneTry) {
  if (waitingData_) return waitingData_->Run(oneTry);
  TfmWaitingData window(owner_);
  return window.Run(oneTry);
}

void TQtSessionUi::ShowMessage(const std::string& text) {
  const QString caption = owner_ ? owner_->window()->windowTitle() : QString();
  QMessageBox box(QMessageBox::NoIcon, caption, ToQString(text), QMessageBox::Ok, owner_);
  box.setObjectName(QStringLiteral("SessionMessage"));
  box.exec();
}

void TQtSessionUi::LinkStateChanged(const std::string& portName, const std::string& baudText,
                                    bool portOpen, bool inCommandMode) {
  if (cmdPanel_)
    cmdPanel_->setText(inCommandMode ? QCoreApplication::translate("quillon::TQtSessionUi", "CMD")
                                     : QString());
  if (linkPanel_)
    linkPanel_->setText(portOpen ? QCoreApplication::translate("quillon::TQtSessionUi", "LINK")
                                 : QString());
  if (linkListener_) linkListener_(portName, baudText, portOpen, inCommandMode);
}

}  // namespace quillon
