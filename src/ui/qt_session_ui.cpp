#include "ui/qt_session_ui.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <memory>

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

namespace {

// Runs a session window with the port state shown so far; the window gets later states while it
// runs, through `running`.
template <typename Window>
bool RunShowingPortState(Window* shared, QWidget* owner, Window*& running, const QString& port,
                         const QString& reason, const std::function<bool()>& work) {
  std::unique_ptr<Window> own;
  Window* window = shared;
  if (!window) {
    own = std::make_unique<Window>(owner);
    window = own.get();
  }
  window->SetPortState(port, reason);
  Window* const outer = running;
  running = window;
  const bool ok = window->Run(work);
  running = outer;
  return ok;
}

}  // namespace

bool TQtSessionUi::RunReconnectWindow(const std::function<bool()>& tryOpen) {
  return RunShowingPortState(deviceReconnect_, owner_, runningReconnect_, portName_, lastError_,
                             tryOpen);
}

bool TQtSessionUi::RunEntryWindow(const std::function<bool()>& oneTry) {
  return RunShowingPortState(waitingData_, owner_, runningEntry_, portName_, lastError_, oneTry);
}

void TQtSessionUi::ShowPortState(const std::string& portName, const std::string& lastError) {
  portName_ = ToQString(portName);
  lastError_ = ToQString(lastError);
  if (runningReconnect_) runningReconnect_->SetPortState(portName_, lastError_);
  if (runningEntry_) runningEntry_->SetPortState(portName_, lastError_);
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
