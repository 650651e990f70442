// The session's questions and windows as the Qt front end shows them: modal message boxes owned
// by the main window, the reconnect and entry windows, the "LINK" and "CMD" status panels.
#pragma once

#include <functional>
#include <string>

#include <QString>

#include "link/session_ui.h"

class QLabel;
class QWidget;

namespace quillon {

class TfmDeviceReconnect;
class TfmWaitingData;

class TQtSessionUi : public ISessionUi {
 public:
  using LinkStateListener = std::function<void(
      const std::string& portName, const std::string& baudText, bool portOpen, bool inCommandMode)>;

  TQtSessionUi(QWidget* owner, QLabel* linkPanel, QLabel* cmdPanel);

  // The process-wide session windows; a window not set is made for the one run.
  void SetWindows(TfmWaitingData* waitingData, TfmDeviceReconnect* deviceReconnect);
  // The status window's connection group, once it exists.
  void SetLinkStateListener(LinkStateListener listener) { linkListener_ = std::move(listener); }

  bool AskRetry(const std::string& detail) override;
  bool RunReconnectWindow(const std::function<bool()>& tryOpen) override;
  bool RunEntryWindow(const std::function<bool()>& oneTry) override;
  void ShowPortState(const std::string& portName, const std::string& lastError,
                     bool retryHelps) override;
  void ShowMessage(const std::string& text) override;
  void LinkStateChanged(const std::string& portName, const std::string& baudText, bool portOpen,
                        bool inCommandMode) override;

 private:
  QWidget* owner_;
  QLabel* linkPanel_;
  QLabel* cmdPanel_;
  TfmWaitingData* waitingData_ = nullptr;
  TfmDeviceReconnect* deviceReconnect_ = nullptr;
  LinkStateListener linkListener_;
  // The port state the session reported last, and the windows running now.
  QString portName_;
  QString lastError_;
  bool retryHelps_ = true;
  TfmDeviceReconnect* runningReconnect_ = nullptr;
  TfmWaitingData* runningEntry_ = nullptr;
};

}  // namespace quillon
