// The settings dialog "Настройки программы": edits the program settings and writes them to the
// settings file on "Применить". Created once and reloaded from the settings at each showing;
// edits live only in the controls until confirmed.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/serial_port_list.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillon {

class CommandProfile;
class TQtColorBox;
class TQtPasswordEdit;
class TQtSpinEdit;
class TRunOverrides;
struct TSettings;

class TfmSettings : public QDialog {
  Q_OBJECT

 public:
  // The serial ports present; nullopt when they cannot be listed.
  using PortLister = std::function<std::optional<std::vector<TSerialPortInfo>>()>;
  // Sends one command to the terminal (the debug group).
  using CommandSender = std::function<void(const std::string& cmd)>;

  static constexpr int kDefaultTimeout = 250;

  TfmSettings(TSettings& settings, const CommandProfile& profile, QWidget* parent = nullptr);
  ~TfmSettings() override;

  // Where "Применить" writes; by default the settings file beside the executable.
  void SetSettingsFile(std::string path) { settingsFile_ = std::move(path); }
  void SetPortLister(PortLister lister) { portLister_ = std::move(lister); }
  void SetCommandSender(CommandSender sender) { commandSender_ = std::move(sender); }
  // Values this run uses instead of the file's; the dialog shows and saves the file's.
  void SetRunOverrides(TRunOverrides* overrides) { overrides_ = overrides; }

  void ApplyBtnClick();
  void CancelBtnClick();
  void btnSendClick();

  QComboBox* cbComPortSelect = nullptr;
  QComboBox* cbPortSpeed = nullptr;
  TQtPasswordEdit* edtPassword = nullptr;
  TQtPasswordEdit* edtMasterPassword = nullptr;
  TQtSpinEdit* seTimeOut = nullptr;
  TQtSpinEdit* seTimeoutInterval = nullptr;
  TQtSpinEdit* seTimeoutEcho = nullptr;
  QGroupBox* gbColors = nullptr;
  TQtColorBox* clrbRead = nullptr;
  TQtColorBox* clrbWrite = nullptr;
  TQtColorBox* clrbReadError = nullptr;
  TQtColorBox* clrbWriteError = nullptr;
  TQtColorBox* clrbGeneralError = nullptr;
  QListWidget* clbPagesSelect = nullptr;
  TQtSpinEdit* seRetryCount = nullptr;
  QComboBox* cbConnectMethod = nullptr;
  QComboBox* cbLanguage = nullptr;
  QCheckBox* cbPortPoll = nullptr;
  QCheckBox* cbFastAnswer = nullptr;
  QCheckBox* cbSessionLog = nullptr;
  QLineEdit* edtMapHost = nullptr;
  QGroupBox* gbDebug = nullptr;
  QLineEdit* edtCmdText = nullptr;
  QPushButton* btnSend = nullptr;
  QLabel* lblOverrides = nullptr;
  QPushButton* ApplyBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* CreateLeftColumn();
  QWidget* CreateRightColumn();
  QGroupBox* CreateColorGroup();
  QGroupBox* CreateDebugGroup();
  QLabel* AddLabel(const char* name, const QString& caption, QWidget* buddy);
  // Number fields and lists take the focus by click or Tab, never by the wheel, and ignore the
  // wheel until they have it: a wheel turned over the dialog changes nothing.
  void GuardAgainstWheel(QWidget* field);

  void FormShow();
  void FillPortList();
  void FillPageList();
  void SettingsToControls();
  void SelectSpeed(int32_t speed);
  void ControlsToSettings(TSettings& settings) const;
  // The record as the settings file holds it (this run's overrides taken out).
  TSettings StoredSettings() const;
  void ShowOverrideNote();

  TSettings& settings_;
  const CommandProfile& profile_;
  std::string settingsFile_;
  PortLister portLister_;
  CommandSender commandSender_;
  TRunOverrides* overrides_ = nullptr;
  bool sending_ = false;
};

}  // namespace quillon
