#include "ui/qt_session_ui.h"

#include <QCoreApplication>
#include <QGridLayout>
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

namespace {

// A message box is as wide as its texts; a short question under a long caption gets the caption
// cut by the window manager ("Ошибк… данных"). The caption's width in a bold title font, with
// room for the title bar's buttons, is the least width of the box.
void KeepCaptionWhole(QMessageBox& box) {
  QFont titleFont = box.font();
  titleFont.setBold(true);
  constexpr int kTitleBarButtons = 140;
  const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarButtons;
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid) return;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

bool TQtSessionUi::AskRetry(const std::string& detail) {
  QMessageBox box(QMessageBox::NoIcon,
                  QCoreApplication::translate("quillon::TQtSessionUi", "Ошибка передачи данных"),
                  QCoreApplication::translate("quillon::TQtSessionUi", "Повторить попытку?"),
                  QMessageBox::Retry | QMessageBox::Cancel, owner_);
  box.setObjectName(QStringLiteral("RetryQuestion"));
  box.setInformativeText(ToQString(detail));
  box.setDefaultButton(QMessageBox::Retry);
  KeepCaptionWhole(box);
  return box.exec() == QMessageBox::Retry;
}

namespace {

// Runs a session window with the port state shown so far; the window gets later states while it
// runs, through `running`.
template <typename Window>
bool RunShowingPortState(Window* shared, QWidget* owner, Window*& running, const QString& port,
                         const QString& reason, bool retryHelps,
                         const std::function<bool()>& work) {
  std::unique_ptr<Window> own;
  Window* window = shared;
  if (!window) {
    own = std::make_unique<Window>(owner);
    window = own.get();
  }
  window->SetPortState(port, reason, retryHelps);
  Window* const outer = running;
  running = window;
  const bool ok = window->Run(work);
  running = outer;
  return ok;
}

}  // namespace

bool TQtSessionUi::RunReconnectWindow(const std::function<bool()>& tryOpen) {
  return RunShowingPortState(deviceReconnect_, owner_, runningReconnect_, portName_, lastError_,
                             retryHelps_, tryOpen);
}

bool TQtSessionUi::RunEntryWindow(const std::function<bool()>& oneTry) {
  return RunShowingPortState(waitingData_, owner_, runningEntry_, portName_, lastError_,
                             retryHelps_, oneTry);
}

void TQtSessionUi::ShowPortState(const std::string& portName, const std::string& lastError,
                                 bool retryHelps) {
  portName_ = ToQString(portName);
  lastError_ = ToQString(lastError);
  retryHelps_ = retryHelps;
  if (runningReconnect_) runningReconnect_->SetPortState(portName_, lastError_, retryHelps_);
  if (runningEntry_) runningEntry_->SetPortState(portName_, lastError_, retryHelps_);
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
