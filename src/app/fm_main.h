// The main window: menu, editor tabs, protocol log, status bar; owner of the serial port, the
// session and the command engine, and the controller the other windows hang on.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "profile/command_profile.h"
#include "settings/run_overrides.h"
#include "settings/settings.h"

class QAction;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QSocketNotifier;
class QSplitter;
class QTimer;

namespace quillon {

class TAboutBox;
class TBatchOperations;
class TCommandEngine;
class TComPort;
class TLogModel;
class TLogView;
class TMaskMatcher;
class TQtPageTabs;
class TQtParameterEditor;
class TQtEditorToolBar;
struct ParamAddress;
struct TWriteVerification;
class TQtElidedLabel;
class TQtInputGuard;
class TQtProgressBar;
class TQtSessionUi;
class TSessionLog;
class TTerminalSession;
class TfmDeviceInfo;
class TfmDeviceReconnect;
class TfmSettings;
class TfmWaitingData;

// Where the main window finds its files, and what a run may use instead of the stored settings
// without writing them back.
struct TMainOptions {
  std::string ProfilePath;   // empty: cmdprofile.xml beside the executable
  std::string SettingsPath;  // empty: Quillon.ini beside the executable
  std::string PortOverride;  // non-empty: the port for this run only
  // Used for this run only when the settings hold no password at all.
  std::string FallbackPassword;
  std::string FallbackMasterPassword;
};

class TfmMain : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kStatusPanelCount = 6;
  static constexpr int kLogGroupHeight = 216;
  // The idle port watch runs on this period rather than on every idle moment of the loop.
  static constexpr int kPortPollIntervalMs = 300;
  static constexpr int kNotifierRestMs = 200;
  // Room left for the window frame when the window is sized to the screen before it is shown.
  static constexpr int kFrameAllowance = 40;

  explicit TfmMain(QWidget* parent = nullptr, TMainOptions options = {});
  ~TfmMain() override;

  // The other process-wide windows, once the program entry has created them. The status
  // window's connection group follows the link indicators from then on.
  void SetWindows(TAboutBox* aboutBox, TfmSettings* settingsDialog, TfmWaitingData* waitingData,
                  TfmDeviceInfo* deviceInfo, TfmDeviceReconnect* deviceReconnect);

  void ApplyInterfaceSettings();
  // The session log file (Interface/SessionLog) while it is on; null while it is off.
  TSessionLog* SessionLog() const { return sessionLog_.get(); }

  // Menu handlers.
  void Load1Click();
  void Save1Click();
  void Compare1Click();
  void Exit1Click();
  void Parameters1Click();
  void Connect1Click();
  void Storesettingsintoflash1Click();
  void N4Click();
  void Leavecommandmode1Click();
  void About1Click();
  // Writes the instances holding changed values, page by page, as one run.
  void ApplyChanged1Click();
  // Reads every command of the page shown ("Получить страницу", F5), or of every page the
  // settings enable, one page after the other ("Получить всё", Ctrl+F5). Esc stops either.
  void PollPage1Click();
  void PollAll1Click();

  // "Выход" and the close box ask whether to leave command mode first while the terminal is in
  // it; runs that nobody watches (--quit-when-idle, --screenshot) turn the question off.
  void SetAskBeforeExit(bool ask) { askBeforeExit_ = ask; }

  // The idle port watch (installed while PortPoll is on).
  void JvAppEvents1Idle();
  bool PortWatchInstalled() const;

  // Write the editor's values to a configuration file and read one back; messages go to the
  // protocol log with kind 4, success to status panel 1 for a moment. What Save1Click and
  // Load1Click do once their dialog is answered.
  bool SaveConfiguration(const QString& fileName);
  bool LoadConfiguration(const QString& fileName);
  // Reads the file without touching the editor and shows how its values differ from the
  // editor's, with the file's values to take; false (and the messages loading gives) when the
  // file cannot be read. What Compare1Click does once its dialog is answered.
  bool CompareConfiguration(const QString& fileName);
  // How long the success message stays in panel 1.
  static constexpr int kStatusMessageMs = 4000;

  int UnitWidth = 0;
  int UnitHeight = 0;
  bool InCommandMode() const;

  CommandProfile& Profile() { return profile_; }
  TSettings& ProgramSettings() { return settings_; }
  bool TrueCustomer() const { return trueCustomer_; }
  TComPort& ComPort1() { return *port_; }
  TLogModel& Log() { return *log_; }
  TRunOverrides& RunOverrides() { return overrides_; }
  // The settings file this window reads and the settings dialog writes.
  std::string SettingsPath() const;
  TTerminalSession& Session() { return *session_; }
  TQtSessionUi& SessionUi() { return *sessionUi_; }
  TQtParameterEditor& Editor() { return *editor_; }
  TCommandEngine& Engine() { return *engine_; }
  TBatchOperations& Batch() { return *batch_; }
  TMaskMatcher& MaskRegex() { return *maskRegex_; }

  TQtPageTabs* PageControl1 = nullptr;
  QSplitter* Splitter1 = nullptr;
  QGroupBox* LogGroupBox = nullptr;
  TLogView* LogLines = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QLabel* ChangedPanel = nullptr;               // the number of changed values
  TQtElidedLabel* WriteSummaryPanel = nullptr;  // the outcome of the last apply, run or store
  QLabel* StatusPanels[kStatusPanelCount] = {};
  QProgressBar* ProgressBar = nullptr;
  QFileDialog* OpenDialog1 = nullptr;
  QFileDialog* SaveDialog1 = nullptr;
  // The changed-only view, the search and "Применить изменённые".
  TQtEditorToolBar* EditorToolBar = nullptr;
  QAction* ApplyChanged1 = nullptr;
  QAction* PollPage1 = nullptr;
  QAction* PollAll1 = nullptr;

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateMenu();
  void CreateClientArea();
  void CreateStatusBar();
  void ShowChangedCount();
  void NoteWriteVerified(const ParamAddress& a, const TWriteVerification& v);
  // What the last apply or run wrote; sent: whether it went through to its end.
  void ShowWriteSummary(bool sent);
  // color: a CSS colour, or null for the bar's own.
  void ShowSummary(const QString& text, const char* color);
  // Runs work as a run that holds the window (see TQtInputGuard); the progress bar is empty
  // afterwards, the outcome having been said in the log and the status bar.
  void RunGuarded(const std::function<void()>& work);
  // Before "Выход" ends the program: true to go on.
  bool MayExit();
  void CreateChangeActions();
  // Before a run writes values the terminal never gave: the operator goes on, has them polled
  // first, or cancels. True to write.
  bool ConfirmDefaultValues(const std::vector<ParamAddress>& targets);
  // Polls the commands, keeping what the operator typed or loaded into them.
  bool PollKeepingOperatorValues(const std::vector<ParamAddress>& commands);
  void CreateFileDialogs();
  void FormCreate();
  void MeasureUnits();
  QSize FitOnScreen(QSize wanted) const;
  void LoadProfile();
  void BuildEditor();
  void PlaceProgressBar();
  void LoadProgramSettings();
  void RegisterResponseProcessors();
  void ApplyPageStates();
  void ApplySessionLog();
  void ShowHint(const QString& hint);
  void ShowTimedStatus(const QString& text, const QString& detail);
  void SyncPortNotifier();
  void PortReadyRead();

  TMainOptions options_;
  CommandProfile profile_;
  TSettings settings_;
  TRunOverrides overrides_;
  bool trueCustomer_ = false;
  std::vector<std::string> startNotices_;  // Windows-1251 log lines gathered during start-up
  std::unique_ptr<TComPort> port_;
  std::unique_ptr<TLogModel> log_;
  std::unique_ptr<TSessionLog> sessionLog_;
  bool sessionLogFailed_ = false;  // told once in the pane until a write succeeds again
  std::unique_ptr<TQtProgressBar> progress_;
  std::unique_ptr<TQtSessionUi> sessionUi_;
  std::unique_ptr<TTerminalSession> session_;
  std::unique_ptr<TMaskMatcher> maskRegex_;
  std::unique_ptr<TQtParameterEditor> editor_;
  struct TWriteTally {
    int Written = 0, Verified = 0, NotVerified = 0, Differing = 0, Failed = 0;
  } writeTally_;
  bool askBeforeExit_ = true;
  bool sessionEnding_ = false;
  std::unique_ptr<TCommandEngine> engine_;
  std::unique_ptr<TBatchOperations> batch_;

  TAboutBox* aboutBox_ = nullptr;
  TfmSettings* settingsDialog_ = nullptr;
  QPointer<TfmDeviceInfo> deviceInfo_;
  QTimer* statusMessageTimer_ = nullptr;

  TQtInputGuard* inputGuard_ = nullptr;
  bool placedOnScreen_ = false;
  QTimer* portPollTimer_ = nullptr;
  QSocketNotifier* portNotifier_ = nullptr;
  int notifierHandle_ = -1;
  bool notifierResting_ = false;  // a wake-up found nothing to read; watch again shortly
};

}  // namespace quillon
