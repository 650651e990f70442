#include "app/fm_main.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QShowEvent>
#include <QSocketNotifier>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <set>

#include "app/fm_about_box.h"
#include "configfiles/config_compare.h"
#include "configfiles/config_file.h"
#include "editor/mask_matcher.h"
#include "editor/qt/fm_config_compare.h"
#include "editor/qt/qt_editor_tool_bar.h"
#include "editor/qt/qt_page_tabs.h"
#include "editor/qt/qt_parameter_editor.h"
#include "engine/batch_operations.h"
#include "engine/command_engine.h"
#include "engine/request_values.h"
#include "engine/response_processors.h"
#include "engine/restore_rules.h"
#include "engine/write_verification.h"
#include "link/com_port.h"
#include "link/log_model.h"
#include "link/qt/fm_device_reconnect.h"
#include "link/qt/fm_waiting_data.h"
#include "link/session_log.h"
#include "link/terminal_session.h"
#include "settings/ini_file.h"
#include "settings/program_paths.h"
#include "settings/qt/fm_settings.h"
#include "status/qt/fm_device_info.h"
#include "ui/qt_app_icon.h"
#include "ui/qt_elided_label.h"
#include "ui/qt_input_guard.h"
#include "ui/qt_log_view.h"
#include "ui/qt_progress_bar.h"
#include "ui/qt_session_ui.h"
#include "ui/qt_text.h"

namespace quillon {

namespace {

constexpr int kPanelWidths[TfmMain::kStatusPanelCount] = {400, 50, 200, 60, 60, 50};
// Panel 0 gives up width, down to this, for the outcome of the last apply at the bar's end.
constexpr int kHintPanelMinWidth = 50;
// The colours of the outcome: written as sent, and something to look at in the log.
constexpr const char* kGood = "#1a7f37";
constexpr const char* kBad = "#c62828";
constexpr const char* kPlain = nullptr;
constexpr int kMinInputWidth = 20;
constexpr int kInitialClientHeight = 720;

QAction* AddItem(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

QAction* AddSeparator(QMenu* menu, const char* name) {
  QAction* action = menu->addSeparator();
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

}  // namespace

TfmMain::TfmMain(QWidget* parent, TMainOptions options)
    : QMainWindow(parent),
      options_(std::move(options)),
      overrides_(options_.PortOverride, options_.FallbackPassword,
                 options_.FallbackMasterPassword) {
  setObjectName(QStringLiteral("fmMain"));
  setWindowTitle(tr("Программное обеспечение для настройки Veltra"));
  setWindowIcon(AppIcon());
  setMinimumSize(800, 300);

  port_ = std::make_unique<TComPort>();
  log_ = std::make_unique<TLogModel>(settings_);
  inputGuard_ = new TQtInputGuard(this);

  CreateMenu();
  CreateClientArea();
  CreateStatusBar();
  CreateFileDialogs();

  progress_ = std::make_unique<TQtProgressBar>(ProgressBar);
  sessionUi_ = std::make_unique<TQtSessionUi>(this, StatusPanels[3], StatusPanels[4]);
  session_ = std::make_unique<TTerminalSession>(*port_, *log_, settings_, *sessionUi_, *progress_);

  portPollTimer_ = new QTimer(this);
  portPollTimer_->setObjectName(QStringLiteral("JvAppEvents1"));
  portPollTimer_->setInterval(kPortPollIntervalMs);
  connect(portPollTimer_, &QTimer::timeout, this, &TfmMain::JvAppEvents1Idle);

  // The desktop session ends: the program goes without a question.
  connect(qApp, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager&) { sessionEnding_ = true; });

  // The port's readiness is looked at each time the loop is about to sleep: cheap, and it keeps
  // the notifier in step with opens, closes and links without hooks in every caller.
  if (auto* dispatcher = QAbstractEventDispatcher::instance())
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TfmMain::SyncPortNotifier);

  FormCreate();
  CreateChangeActions();
}

TfmMain::~TfmMain() {
  // The pane and the editor's controls would otherwise outlive the model and the editor they
  // call into, since child widgets go after the members.
  LogLines->Attach(nullptr);
  log_->SetCopyListener(nullptr);
  // The tab control goes with all its tabs at once: taken away one by one, each tab made the
  // tab control search all the others (and bring up the next one), quadratic in the pages.
  delete PageControl1;
  PageControl1 = nullptr;
  delete portNotifier_;
  portNotifier_ = nullptr;
}

void TfmMain::SetWindows(TAboutBox* aboutBox, TfmSettings* settingsDialog,
                         TfmWaitingData* waitingData, TfmDeviceInfo* deviceInfo,
                         TfmDeviceReconnect* deviceReconnect) {
  aboutBox_ = aboutBox;
  settingsDialog_ = settingsDialog;
  if (settingsDialog_) {
    settingsDialog_->SetSettingsFile(SettingsPath());
    settingsDialog_->SetRunOverrides(&overrides_);
    // The debug group's command: its answer goes to the log only; no reconnect window.
    settingsDialog_->SetCommandSender([this](const std::string& cmd) {
      std::string answer;
      session_->SendCommand(cmd, "", false, true, answer);
    });
  }
  deviceInfo_ = deviceInfo;
  sessionUi_->SetWindows(waitingData, deviceReconnect);
  sessionUi_->SetLinkStateListener([this](const std::string& portName, const std::string& baudText,
                                          bool portOpen, bool inCommandMode) {
    if (deviceInfo_) deviceInfo_->RefreshLinkState(portName, baudText, portOpen, inCommandMode);
  });
  session_->UpdateLinkIndicators();
}

bool TfmMain::InCommandMode() const {
  return session_->InCommandMode;
}

// ---------------------------------------------------------------------------------------------
// Window construction

void TfmMain::CreateMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  QMenu* file = bar->addMenu(tr("Файл"));
  file->setObjectName(QStringLiteral("File1"));
  file->menuAction()->setObjectName(QStringLiteral("File1Item"));
  connect(AddItem(file, "Load1", tr("Загрузить конфигурацию из файла")), &QAction::triggered, this,
          &TfmMain::Load1Click);
  connect(AddItem(file, "Save1", tr("Сохранить конфигурацию в файл")), &QAction::triggered, this,
          &TfmMain::Save1Click);
  connect(AddItem(file, "Compare1", tr("Сравнить с файлом…")), &QAction::triggered, this,
          &TfmMain::Compare1Click);
  AddSeparator(file, "N1");
  connect(AddItem(file, "Exit1", tr("Выход")), &QAction::triggered, this, &TfmMain::Exit1Click);

  QMenu* connection = bar->addMenu(tr("Связь"));
  connection->setObjectName(QStringLiteral("Connection1"));
  connection->menuAction()->setObjectName(QStringLiteral("Connection1Item"));
  connect(AddItem(connection, "Parameters1", tr("Параметры связи с терминалом...")),
          &QAction::triggered, this, &TfmMain::Parameters1Click);
  connect(AddItem(connection, "Connect1", tr("Установить связь с терминалом")), &QAction::triggered,
          this, &TfmMain::Connect1Click);
  connect(AddItem(connection, "Storesettingsintoflash1",
                  tr("Сохранить настройки в энергонезависимой памяти")),
          &QAction::triggered, this, &TfmMain::Storesettingsintoflash1Click);
  AddSeparator(connection, "N3");
  connect(AddItem(connection, "N4", tr("Состояние устройства")), &QAction::triggered, this,
          &TfmMain::N4Click);
  AddSeparator(connection, "N2");
  connect(AddItem(connection, "Leavecommandmode1", tr("Выйти из командного режима")),
          &QAction::triggered, this, &TfmMain::Leavecommandmode1Click);

  QAction* about = bar->addAction(tr("О программе"));
  about->setObjectName(QStringLiteral("About1"));
  connect(about, &QAction::triggered, this, &TfmMain::About1Click);
}

void TfmMain::CreateClientArea() {
  PageControl1 = new TQtPageTabs(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));

  LogGroupBox = new QGroupBox(tr("Протокол"), this);
  LogGroupBox->setObjectName(QStringLiteral("LogGroupBox"));
  LogLines = new TLogView(LogGroupBox);
  auto* logLayout = new QVBoxLayout(LogGroupBox);
  logLayout->setContentsMargins(6, 4, 6, 6);
  logLayout->addWidget(LogLines);
  LogLines->Attach(log_.get());

  Splitter1 = new QSplitter(Qt::Vertical, this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(3);
  Splitter1->setChildrenCollapsible(false);
  Splitter1->addWidget(PageControl1);
  Splitter1->addWidget(LogGroupBox);
  // The pages take what the window gains; the log keeps its height until the operator drags.
  Splitter1->setStretchFactor(0, 1);
  Splitter1->setStretchFactor(1, 0);
  setCentralWidget(Splitter1);
}

void TfmMain::CreateStatusBar() {
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  // Flat sunken panels of fixed width, without the bar's own separators between them.
  StatusBar1->setStyleSheet(
      QStringLiteral("QStatusBar::item { border: none; }"
                     "QStatusBar > QLabel { border: 1px solid palette(mid); border-radius: 2px;"
                     " padding: 0px 4px; margin: 2px 1px; }"
                     "QStatusBar > QLabel#StatusPanel2 { padding: 0px; }"));
  setStatusBar(StatusBar1);
  // The window's edges resize it; the grip's width goes to the panels.
  StatusBar1->setSizeGripEnabled(false);
  for (int i = 0; i < kStatusPanelCount; ++i) {
    auto* panel = new QLabel(StatusBar1);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    if (i == 0) {
      // The hints take what the other panels leave, so the outcome of an apply stays in sight
      // at the window's least width.
      panel->setMinimumWidth(kHintPanelMinWidth);
      panel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    } else {
      panel->setFixedWidth(kPanelWidths[i]);
    }
    if (i == 3 || i == 4) panel->setAlignment(Qt::AlignCenter);
    StatusBar1->addWidget(panel, i == 0 ? 1 : 0);
    StatusPanels[i] = panel;
  }
  WriteSummaryPanel = new TQtElidedLabel(StatusBar1);
  WriteSummaryPanel->setObjectName(QStringLiteral("WriteSummaryPanel"));
  WriteSummaryPanel->hide();
  StatusBar1->addWidget(WriteSummaryPanel, 0);
  ProgressBar = new QProgressBar(StatusPanels[2]);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setTextVisible(false);
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
}

void TfmMain::CreateFileDialogs() {
  const QStringList filters = {tr("Файлы настроек (*.zxml)"), tr("Все файлы (*)")};
  OpenDialog1 = new QFileDialog(this, tr("Загрузить конфигурацию из файла"));
  OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
  OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setNameFilters(filters);
  OpenDialog1->setDefaultSuffix(QStringLiteral("zxml"));

  SaveDialog1 = new QFileDialog(this, tr("Сохранить конфигурацию в файл"));
  SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
  SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
  SaveDialog1->setFileMode(QFileDialog::AnyFile);
  SaveDialog1->setNameFilters(filters);
  SaveDialog1->setDefaultSuffix(QStringLiteral("zxml"));
  SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite, false);
}

// ---------------------------------------------------------------------------------------------
// Start-up

void TfmMain::FormCreate() {
  session_->SetPortOpen(false);
  session_->InCommandMode = false;
  MeasureUnits();
  maskRegex_ = std::make_unique<TMaskMatcher>();
  LoadProfile();
  if (!profile_.Title.empty()) {
    const QString title = ToQString(profile_.Title);
    QApplication::setApplicationName(title);
    setWindowTitle(title);
  }
  if (profile_.InputWidth <= kMinInputWidth) profile_.InputWidth = kMinInputWidth;
  resize(FitOnScreen(QSize((profile_.InputWidth + 22) * UnitWidth, kInitialClientHeight)));
  Splitter1->setSizes({std::max(height() - kLogGroupHeight, 1), kLogGroupHeight});
  BuildEditor();
  PlaceProgressBar();
  LoadProgramSettings();
  overrides_.Apply(settings_);
  ApplyInterfaceSettings();
  // Files refused at start and caps the profile loader applied, once each, in the log.
  for (const std::string& notice : startNotices_) log_->WriteLog(notice, 4);
  OpenDialog1->setDirectory(QDir::currentPath());
  SaveDialog1->setDirectory(QDir::currentPath());
  RegisterResponseProcessors();
}

// The window opens no larger than the screen's free area, so that the status bar and the log
// stay in sight on a small screen; the minimum size still holds.
QSize TfmMain::FitOnScreen(QSize wanted) const {
  const QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!where) return wanted;
  const QSize room = where->availableGeometry().size() - QSize(kFrameAllowance, kFrameAllowance);
  return wanted.boundedTo(room).expandedTo(minimumSize());
}

void TfmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (placedOnScreen_) return;
  placedOnScreen_ = true;
  // Where the window system put the frame: moved back inside the free area if it sticks out.
  const QScreen* where = screen();
  if (!where) return;
  const QRect room = where->availableGeometry();
  QRect frame = frameGeometry();
  if (room.contains(frame)) return;
  resize(FitOnScreen(size()));
  frame = frameGeometry();
  frame.moveLeft(std::clamp(frame.left(), room.left(),
                            std::max(room.left(), room.right() - frame.width() + 1)));
  frame.moveTop(std::clamp(frame.top(), room.top(),
                           std::max(room.top(), room.bottom() - frame.height() + 1)));
  move(frame.topLeft());
}

// A caption-less check box is the editor's layout unit: its size follows the font and the
// screen's resolution the way the editor's rows must.
void TfmMain::MeasureUnits() {
  const QSize size = TQtParameterEditor::MeasureUnits(PageControl1);
  UnitWidth = std::max(size.width(), 1);
  UnitHeight = std::max(size.height(), 1);
}

void TfmMain::LoadProfile() {
  const std::string path =
      options_.ProfilePath.empty() ? ProgramPaths().ProfileFile : options_.ProfilePath;
  profile_.LoadCommandProfile(path);
  startNotices_ = profile_.LoadMessages;
}

void TfmMain::BuildEditor() {
  editor_ = std::make_unique<TQtParameterEditor>(PageControl1, profile_, *log_, *maskRegex_);
  editor_->BuildEditor(UnitWidth, UnitHeight);
  ShowChangedCount();
  connect(editor_.get(), &TQtParameterEditor::ChangedCountChanged, this,
          [this] { ShowChangedCount(); });
}

// How many shown values differ from what the terminal last sent; empty while none do.
void TfmMain::ShowChangedCount() {
  if (!StatusBar1) return;
  if (!ChangedPanel) {
    ChangedPanel = new QLabel(StatusBar1);
    ChangedPanel->setObjectName(QStringLiteral("ChangedPanel"));
    // Before the outcome of the last apply, which gives up width when both are long.
    StatusBar1->insertWidget(kStatusPanelCount, ChangedPanel, 0);
  }
  const int count = editor_ ? editor_->ChangedCount() : 0;
  ChangedPanel->setText(count > 0 ? tr("Изменено: %1").arg(count) : QString());
  ChangedPanel->setVisible(count > 0);
}

void TfmMain::PlaceProgressBar() {
  // Fills panel 2 inside its one-pixel border, like a bar laid over a status panel.
  auto* layout = new QVBoxLayout(StatusPanels[2]);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ProgressBar);
}

std::string TfmMain::SettingsPath() const {
  return options_.SettingsPath.empty() ? SettingsFilePath() : options_.SettingsPath;
}

void TfmMain::LoadProgramSettings() {
  TIniFile ini(SettingsPath());
  LoadSettings(ini, profile_, settings_, trueCustomer_);
  const std::string refusal = SettingsRefusalNotice(ini);
  if (!refusal.empty()) startNotices_.push_back(refusal);
  if (aboutBox_) aboutBox_->SetTrueCustomer(trueCustomer_);
}

// The engine hands its apply routine to the session; its processors go into the profile's
// registry; the editor's buttons reach it through their callbacks.
void TfmMain::RegisterResponseProcessors() {
  engine_ = std::make_unique<TCommandEngine>(profile_, *editor_, *session_, settings_);
  batch_ = std::make_unique<TBatchOperations>(*engine_);
  quillon::RegisterResponseProcessors(profile_, engine_->Processors());

  // Every run holds the window: what the operator clicks or types meanwhile is dropped, not
  // replayed afterwards; Esc stops a page run between two requests.
  batch_->StopRequested = [this] { return inputGuard_->StopRequested(); };
  TEditorCallbacks& callbacks = editor_->Callbacks();
  // A mask of the profile that is no regular expression: the operator is told in a message box,
  // once per mask; the field's text stays unchecked. Shown from the loop, not from inside the
  // field's change or focus handling.
  callbacks.MaskError = [this](const std::string& message) {
    const QString text = ToQString(message);
    QMetaObject::invokeMethod(
        this,
        [this, text] {
          QMessageBox box(QMessageBox::Critical, windowTitle(), text, QMessageBox::Ok, this);
          box.setObjectName(QStringLiteral("MaskErrorMessage"));
          box.exec();
        },
        Qt::QueuedConnection);
  };
  engine_->OnWriteVerified = [this](const ParamAddress& a, const TWriteVerification& v) {
    NoteWriteVerified(a, v);
  };
  callbacks.CmdApplyClick = [this](const ParamAddress& a) {
    writeTally_ = {};
    bool sent = false;
    RunGuarded([&] { sent = engine_->ApplyCommand(a); });
    ShowWriteSummary(sent);
  };
  callbacks.CmdPollClick = [this](const ParamAddress& a) {
    RunGuarded([&] { engine_->PollCommand(a); });
  };
  callbacks.CmdApplyAllClick = [this](const ParamAddress& a) {
    if (!ConfirmDefaultValues(batch_->PageApplyTargets(a.Page))) return;
    writeTally_ = {};
    bool sent = false;
    RunGuarded([&] { sent = batch_->CmdApplyAll(a); });
    ShowWriteSummary(sent);
  };
  callbacks.CmdPollAllClick = [this](const ParamAddress& a) {
    RunGuarded([&] { batch_->CmdPollAll(a); });
  };
  callbacks.CmdApplyAllIndexedClick = [this](const ParamAddress& a) {
    if (!ConfirmDefaultValues(batch_->IndexedApplyTargets(a.Page, a.Command))) return;
    writeTally_ = {};
    bool sent = false;
    RunGuarded([&] { sent = batch_->CmdApplyAllIndexed(a); });
    ShowWriteSummary(sent);
  };
}

// A parameter the terminal stored differently is marked and logged with both values.
void TfmMain::NoteWriteVerified(const ParamAddress& a, const TWriteVerification& verification) {
  ++writeTally_.Written;
  // An empty value asks the terminal for no change: that it kept its own is no difference.
  TWriteVerification v = verification;
  std::erase_if(v.Differences, [](const TValueDifference& d) { return d.Sent.empty(); });
  if (v.Result == wrDiffers && v.Differences.empty()) v.Result = wrVerified;
  const TDevCommand* cmd = profile_.Command(a.Page, a.Command);
  if (cmd)
    for (size_t p = 0; p < cmd->Parameters.size(); ++p)
      editor_->ClearWriteDiffers(a.Page, a.Command, a.Instance, static_cast<int>(p));
  switch (v.Result) {
    case wrVerified:
      ++writeTally_.Verified;
      return;
    case wrNotVerified:
      ++writeTally_.NotVerified;
      return;
    case wrDiffers:
      ++writeTally_.Differing;
      break;
    default:
      ++writeTally_.Failed;
      return;
  }
  for (const TValueDifference& d : v.Differences) {
    const std::string stored = d.Read ? *d.Read : std::string();
    editor_->MarkWriteDiffers(a.Page, a.Command, a.Instance, d.Index, d.Sent, stored);
    const QString name = cmd ? ToQString(ParameterName(*cmd, a.Instance, d.Index)) : QString();
    const QString line =
        tr("%1: записано %2, терминал хранит %3")
            .arg(name, ToQString(d.Sent), d.Read ? ToQString(*d.Read) : tr("(нет значения)"));
    log_->WriteLog(FromQString(line), 4);
  }
}

// One line for the outcome of an apply, by what the terminal gave back: green when every value
// came back as sent, red when anything differs, was refused, unsupported or unanswered (the log
// says which), plain when some commands give nothing to compare.
void TfmMain::ShowWriteSummary(bool sent) {
  const TWriteTally& t = writeTally_;
  const int bad = t.Differing + t.Failed;
  const int good = t.Verified + t.NotVerified;
  if (t.Written == 0) {
    // Nothing reached the terminal: a run stopped before its first write says so.
    if (sent)
      ShowSummary(QString(), kPlain);
    else
      ShowSummary(tr("Не записано (см. протокол)"), kBad);
  } else if (bad > 0) {
    ShowSummary(tr("Записано: %1, не совпало: %2 (см. протокол)").arg(good).arg(bad), kBad);
  } else if (!sent) {
    ShowSummary(tr("Записано: %1, запись прервана (см. протокол)").arg(good), kBad);
  } else if (t.NotVerified == 0) {
    ShowSummary(tr("Записано и проверено: %1").arg(t.Verified), kGood);
  } else {
    ShowSummary(tr("Записано: %1, проверено: %2").arg(good).arg(t.Verified), kPlain);
  }
}

// The panel is the status bar's own: hints of the control under the mouse go to panel 0.
void TfmMain::ShowSummary(const QString& text, const char* color) {
  WriteSummaryPanel->SetFullText(text);
  WriteSummaryPanel->setStyleSheet(
      color ? QStringLiteral("QLabel { color: %1; }").arg(QLatin1String(color)) : QString());
  WriteSummaryPanel->setVisible(!text.isEmpty());
}

void TfmMain::RunGuarded(const std::function<void()>& work) {
  inputGuard_->Run(work);
  progress_->SetPosition(progress_->Min());
}

void TfmMain::ApplyInterfaceSettings() {
  port_->ApplyPortSettings(settings_);
  session_->SetFastAnswer(settings_.FastAnswer);
  ApplyPageStates();
  ApplySessionLog();
  if (settings_.PortPoll)
    portPollTimer_->start();
  else
    portPollTimer_->stop();
}

// While Interface/SessionLog is on, every line of the pane also goes to the session log beside
// the settings file. A file that cannot be written is told once in the pane, from the loop (not
// from inside the log's own notification).
void TfmMain::ApplySessionLog() {
  if (!settings_.SessionLog) {
    log_->SetCopyListener(nullptr);
    sessionLog_.reset();
    return;
  }
  const std::string path =
      (std::filesystem::path(SettingsPath()).parent_path() / TSessionLog::kFileName).string();
  if (!sessionLog_ || sessionLog_->Path() != path) {
    sessionLog_ = std::make_unique<TSessionLog>(path);
    sessionLogFailed_ = false;
    log_->SetCopyListener([this](const std::vector<TLogLine>& lines, size_t) {
      if (sessionLog_->Write(lines)) {
        sessionLogFailed_ = false;
        return;
      }
      if (sessionLogFailed_) return;
      sessionLogFailed_ = true;
      const QString message = tr("Не могу записать протокол в файл: %1")
                                  .arg(QString::fromUtf8(sessionLog_->Error().c_str()));
      QTimer::singleShot(0, this, [this, message] { log_->WriteLog(FromQString(message), 4); });
    });
  }
  sessionLog_->SetMasker(PasswordMaskerFor(settings_));
}

// A disabled page stays selectable and shows its controls, but none of them takes input; so the
// page widget is disabled, not the tab.
// Each tab's text is set only when it changes: every change lays out the whole tab bar.
void TfmMain::ApplyPageStates() {
  const int count = std::min<int>(PageControl1->count(), static_cast<int>(profile_.Pages.size()));
  const std::set<std::string> enabled(settings_.EnabledPages.begin(), settings_.EnabledPages.end());
  for (int i = 0; i < count; ++i) {
    const TDevPage& page = profile_.Pages[static_cast<size_t>(i)];
    const bool on = enabled.count(page.Id) > 0;
    PageControl1->widget(i)->setEnabled(on);
    const QString text = ToQString(page.Name) + (on ? QString() : QStringLiteral("(*)"));
    if (PageControl1->tabText(i) != text) PageControl1->setTabText(i, text);
  }
}

// ---------------------------------------------------------------------------------------------
// Menu

void TfmMain::Load1Click() {
  if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty()) return;
  LoadConfiguration(OpenDialog1->selectedFiles().constFirst());
}

void TfmMain::Save1Click() {
  if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty()) return;
  SaveConfiguration(SaveDialog1->selectedFiles().constFirst());
}

void TfmMain::Compare1Click() {
  const QString title = OpenDialog1->windowTitle();
  OpenDialog1->setWindowTitle(tr("Сравнить с файлом"));
  const bool chosen =
      OpenDialog1->exec() == QDialog::Accepted && !OpenDialog1->selectedFiles().isEmpty();
  OpenDialog1->setWindowTitle(title);
  if (chosen) CompareConfiguration(OpenDialog1->selectedFiles().constFirst());
}

bool TfmMain::CompareConfiguration(const QString& fileName) {
  const TConfigRead file =
      ReadConfigurationFile(profile_, QFile::encodeName(fileName).toStdString());
  if (file.Loaded.Outcome == loCorrupt) {
    QMessageBox box(QMessageBox::Critical, windowTitle(), ToQString(file.Loaded.Error),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ConfigErrorMessage"));
    box.exec();
    return false;
  }
  for (const std::string& line : file.Messages) log_->WriteLog(line, 4);
  if (!file.Readable()) return false;
  // Only the parameters the file names are looked at: pages it does not touch stay unbuilt.
  const TConfiguration shown = EditorConfiguration(profile_, *editor_, [&](const ParamAddress& a) {
    const bool named = file.Values.Entries.count(a) > 0;
    return TPresence{named, named};
  });
  std::vector<TConfigDifference> differences = CompareConfigurations(profile_, shown, file.Values);
  std::erase_if(differences, [](const TConfigDifference& d) { return d.Kind == dkOnlyInA; });
  TfmConfigCompare dialog(profile_, *editor_, QDir::toNativeSeparators(fileName),
                          std::move(differences), RestoreMayWrite, this);
  dialog.exec();
  return true;
}

bool TfmMain::SaveConfiguration(const QString& fileName) {
  TConfigMessages messages([this](const std::string& text) { log_->WriteLog(text, 4); });
  if (!SaveConfigurationToFile(profile_, *editor_, QFile::encodeName(fileName).toStdString(),
                               messages))
    return false;
  ShowTimedStatus(tr("✓ OK"), tr("Конфигурация сохранена в файл %1").arg(fileName));
  return true;
}

bool TfmMain::LoadConfiguration(const QString& fileName) {
  TConfigMessages messages([this](const std::string& text) { log_->WriteLog(text, 4); });
  const TLoadResult result = LoadConfigurationFromFile(
      profile_, *editor_, QFile::encodeName(fileName).toStdString(), messages);
  if (result.Outcome == loCorrupt) {
    // Data zlib cannot read are the application's general error, not a log line.
    QMessageBox box(QMessageBox::Critical, windowTitle(), ToQString(result.Error), QMessageBox::Ok,
                    this);
    box.setObjectName(QStringLiteral("ConfigErrorMessage"));
    box.exec();
    return false;
  }
  if (result.Outcome != loLoaded) return false;
  ShowTimedStatus(tr("✓ OK"), tr("Конфигурация загружена из файла %1").arg(fileName));
  return true;
}

// Panel 1 (narrow) says briefly that a file operation went well, its tool tip what was done;
// the log stays as it is.
void TfmMain::ShowTimedStatus(const QString& text, const QString& detail) {
  QLabel* panel = StatusPanels[1];
  panel->setText(text);
  panel->setToolTip(detail);
  if (!statusMessageTimer_) {
    statusMessageTimer_ = new QTimer(this);
    statusMessageTimer_->setObjectName(QStringLiteral("StatusMessageTimer"));
    statusMessageTimer_->setSingleShot(true);
    connect(statusMessageTimer_, &QTimer::timeout, this, [this] {
      StatusPanels[1]->clear();
      StatusPanels[1]->setToolTip(QString());
    });
  }
  statusMessageTimer_->start(kStatusMessageMs);
}

void TfmMain::Exit1Click() {
  if (MayExit()) QCoreApplication::quit();
}

// A tracker left in command mode stops reporting: before the program ends, the operator may
// let it go back to work. Nobody is asked when nobody watches or the desktop session ends.
bool TfmMain::MayExit() {
  if (!askBeforeExit_ || sessionEnding_ || qApp->isSavingSession() || !InCommandMode()) return true;
  QMessageBox box(QMessageBox::Question, windowTitle(),
                  tr("Терминал в командном режиме. Выйти из командного режима перед "
                     "завершением программы?"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
  box.setObjectName(QStringLiteral("ExitQuestion"));
  box.setInformativeText(tr("Трекер, оставленный в командном режиме, не передаёт данные."));
  box.button(QMessageBox::Yes)->setText(tr("Да"));
  box.button(QMessageBox::No)->setText(tr("Нет"));
  box.button(QMessageBox::Cancel)->setText(tr("Отмена"));
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::Cancel);
  const int answer = box.exec();
  if (answer == QMessageBox::Cancel || answer == -1) return false;
  if (answer == QMessageBox::Yes) {
    RunGuarded([this] { session_->LeaveCommandMode(); });
    if (InCommandMode())
      log_->WriteLog(
          FromQString(tr("Не удалось выйти из командного режима: терминал остался в нём")), 4);
  }
  return true;
}

void TfmMain::closeEvent(QCloseEvent* event) {
  // A run holds the window: closing it now would end the program in the middle of a request.
  if (inputGuard_->Active() || !MayExit()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void TfmMain::Parameters1Click() {
  if (!settingsDialog_) return;
  if (settingsDialog_->exec() == QDialog::Accepted) ApplyInterfaceSettings();
}

void TfmMain::Connect1Click() {
  RunGuarded([this] { session_->EnsureSession(); });
}

// The terminal's answer is judged as the command line's store judges it; the status bar says
// whether the settings are in the terminal's memory.
void TfmMain::Storesettingsintoflash1Click() {
  bool sent = false;
  RunGuarded([&] { sent = session_->StoreSettingsToFlash(); });
  if (!sent) return;  // no session: nothing was asked of the terminal
  const bool stored = session_->IsPortOpen() &&
                      JudgeSessionCommand(profile_, "+SAVE", session_->LastAnswer()).Succeeded();
  if (stored)
    ShowSummary(tr("Настройки сохранены в памяти терминала"), kGood);
  else
    ShowSummary(tr("Настройки не сохранены (см. протокол)"), kBad);
}

void TfmMain::N4Click() {
  if (deviceInfo_) deviceInfo_->exec();
}

void TfmMain::Leavecommandmode1Click() {
  RunGuarded([this] { session_->LeaveCommandMode(); });
}

void TfmMain::About1Click() {
  if (!aboutBox_) return;
  aboutBox_->SetProgramTitle(windowTitle());
  aboutBox_->SetTrueCustomer(trueCustomer_);
  aboutBox_->exec();
}

// ---------------------------------------------------------------------------------------------
// Status bar hints, idle port watch and the port's event path

// The hint of the control under the mouse goes to panel 0; the other panels stay in view.
bool TfmMain::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

// A panel holds one line: the hint's lines are joined and what does not fit is elided.
void TfmMain::ShowHint(const QString& hint) {
  QStringList lines = hint.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (QString& line : lines) line = line.trimmed();
  const QString text = lines.join(QStringLiteral(" — "));
  QLabel* panel = StatusPanels[0];
  const int room = panel->contentsRect().width() - 8;
  panel->setText(panel->fontMetrics().elidedText(text, Qt::ElideRight, std::max(room, 20)));
  panel->setToolTip(text == panel->text() ? QString() : text);
}

void TfmMain::JvAppEvents1Idle() {
  if (session_->TransactionRunning()) return;
  session_->IdlePortCheck();
}

bool TfmMain::PortWatchInstalled() const {
  return portPollTimer_->isActive();
}

// Readiness is level-triggered: the descriptor is watched only while a link wants the bytes and no
// transaction is reading them itself, or the loop would wake for ever on bytes nobody takes.
void TfmMain::SyncPortNotifier() {
  const bool wanted = port_->WantsReadNotifications() && !session_->TransactionRunning();
  const int handle = wanted ? port_->ReadinessHandle() : -1;
  if (handle != notifierHandle_) {
    delete portNotifier_;
    portNotifier_ = nullptr;
    notifierHandle_ = handle;
    notifierResting_ = false;
    if (handle >= 0) {
      portNotifier_ = new QSocketNotifier(handle, QSocketNotifier::Read, this);
      connect(portNotifier_, &QSocketNotifier::activated, this, &TfmMain::PortReadyRead);
    }
  }
  if (portNotifier_ && !notifierResting_ && !portNotifier_->isEnabled())
    portNotifier_->setEnabled(true);
}

void TfmMain::PortReadyRead() {
  if (!portNotifier_) return;
  portNotifier_->setEnabled(false);  // until the loop is about to sleep again
  if (session_->TransactionRunning() || !port_->Connected()) return;
  bool vanished = false;
  int queued = 0;
  try {
    queued = port_->QueuedInputCount();
  } catch (const EComPort&) {
    vanished = true;
  }
  // A device that vanished while a listener (the status window's framer) waits for its bytes is
  // reported as it is anywhere else: the session's event path drops the session and logs it.
  if (queued > 0 || vanished) {
    session_->DispatchPortEvents();
    return;
  }
  // Readable with nothing to read and no hang-up seen: rest the watch a little instead of waking
  // for ever; the next transaction or the idle watch notices a loss.
  notifierResting_ = true;
  QTimer::singleShot(kNotifierRestMs, this, [this] { notifierResting_ = false; });
}

// ---------------------------------------------------------------------------------------------
// Changed values, the search and the guard against writing profile defaults

// "Правка" holds the views and the search, between "Файл" and "Связь"; "Применить изменённые"
// sits with the other actions that talk to the terminal, and first in the tool bar.
void TfmMain::CreateChangeActions() {
  EditorToolBar = new TQtEditorToolBar(*editor_, this);
  addToolBar(Qt::TopToolBarArea, EditorToolBar);

  ApplyChanged1 = new QAction(tr("Применить изменённые"), this);
  ApplyChanged1->setObjectName(QStringLiteral("ApplyChanged1"));
  ApplyChanged1->setToolTip(
      tr("Записать в терминал только команды, значения которых отличаются от прочитанных"));
  ApplyChanged1->setStatusTip(ApplyChanged1->toolTip());
  connect(ApplyChanged1, &QAction::triggered, this, &TfmMain::ApplyChanged1Click);
  EditorToolBar->insertAction(EditorToolBar->actions().value(0), ApplyChanged1);

  // Reading sits beside writing, whatever the page's length: the page's own buttons are at its
  // foot.
  PollPage1 = new QAction(tr("Получить страницу"), this);
  PollPage1->setObjectName(QStringLiteral("PollPage1"));
  PollPage1->setShortcut(QKeySequence(Qt::Key_F5));
  PollPage1->setToolTip(tr("Прочитать из терминала все команды открытой страницы (F5)"));
  PollPage1->setStatusTip(PollPage1->toolTip());
  connect(PollPage1, &QAction::triggered, this, &TfmMain::PollPage1Click);
  PollAll1 = new QAction(tr("Получить всё"), this);
  PollAll1->setObjectName(QStringLiteral("PollAll1"));
  PollAll1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F5));
  PollAll1->setToolTip(
      tr("Прочитать из терминала все команды всех включённых страниц, одну за другой (Ctrl+F5)"));
  PollAll1->setStatusTip(PollAll1->toolTip());
  connect(PollAll1, &QAction::triggered, this, &TfmMain::PollAll1Click);
  EditorToolBar->insertAction(EditorToolBar->ChangedOnly1, PollPage1);
  EditorToolBar->insertAction(EditorToolBar->ChangedOnly1, PollAll1);
  EditorToolBar->insertSeparator(EditorToolBar->ChangedOnly1);

  QMenu* edit = new QMenu(tr("Правка"), this);
  edit->setObjectName(QStringLiteral("Edit1"));
  edit->menuAction()->setObjectName(QStringLiteral("Edit1Item"));
  edit->addAction(EditorToolBar->Find1);
  edit->addAction(EditorToolBar->FindNext1);
  AddSeparator(edit, "N5");
  edit->addAction(EditorToolBar->ChangedOnly1);
  auto* connection = menuBar()->findChild<QMenu*>(QStringLiteral("Connection1"));
  menuBar()->insertMenu(connection ? connection->menuAction() : nullptr, edit);
  if (connection) {
    QAction* connect1 = connection->findChild<QAction*>(QStringLiteral("Connect1"));
    const QList<QAction*> items = connection->actions();
    const qsizetype at = items.indexOf(connect1);
    QAction* before = at >= 0 ? items.value(at + 1) : nullptr;
    connection->insertAction(before, ApplyChanged1);
    connection->insertAction(before, PollPage1);
    connection->insertAction(before, PollAll1);
  }
  const auto follow = [this] { ApplyChanged1->setEnabled(editor_->ChangedCount() > 0); };
  connect(editor_.get(), &TQtParameterEditor::ChangedCountChanged, this, follow);
  follow();
}

void TfmMain::PollPage1Click() {
  const int page = PageControl1->currentIndex();
  if (page < 0 || page >= static_cast<int>(profile_.Pages.size())) return;
  if (!PageControl1->widget(page)->isEnabled()) {
    log_->WriteLog(FromQString(tr("Страница «%1» отключена в настройках, она не читается")
                                   .arg(ToQString(profile_.Pages[static_cast<size_t>(page)].Name))),
                   4);
    return;
  }
  RunGuarded([&] { batch_->CmdPollAll({page, 0, 0, 0}); });
}

// One run over the pages the settings enable, in their order: one progress, one stop at the
// first failed command, Esc between two requests.
void TfmMain::PollAll1Click() {
  std::vector<ParamAddress> commands;
  const std::set<std::string> enabled(settings_.EnabledPages.begin(), settings_.EnabledPages.end());
  for (int p = 0; p < static_cast<int>(profile_.Pages.size()); ++p) {
    const TDevPage& page = profile_.Pages[static_cast<size_t>(p)];
    if (enabled.count(page.Id) == 0) continue;
    for (int c = 0; c < static_cast<int>(page.Commands.size()); ++c)
      commands.push_back({p, c, 0, 0});
  }
  if (commands.empty()) return;
  RunGuarded([&] { batch_->PollCommands(commands); });
}

void TfmMain::ApplyChanged1Click() {
  const TBatchOperations::TChangedTargets changed = batch_->ChangedApplyTargets();
  for (const ParamAddress& t : changed.Skipped) {
    const TDevCommand* cmd = profile_.Command(t.Page, t.Command);
    if (!cmd) continue;
    QString name = ToQString(cmd->Name);
    if (cmd->Indexed) name += QStringLiteral("#%1").arg(t.Instance + 1);
    log_->WriteLog(
        FromQString(
            tr("%1: изменения не записаны, команда не входит в групповую запись").arg(name)),
        4);
  }
  if (changed.Targets.empty() || !ConfirmDefaultValues(changed.Targets)) return;
  writeTally_ = {};
  bool sent = false;
  RunGuarded([&] { sent = batch_->ApplyInstances(changed.Targets); });
  ShowWriteSummary(sent);
}

namespace {

constexpr int kNamesShown = 12;

QString InstanceName(const TDevCommand& cmd, int instance) {
  QString name = ToQString(cmd.Name);
  if (cmd.Indexed) name += QStringLiteral("#%1").arg(instance + 1);
  return name;
}

}  // namespace

bool TfmMain::ConfirmDefaultValues(const std::vector<ParamAddress>& targets) {
  for (;;) {
    std::vector<ParamAddress> defaults, pollable;
    QStringList names;
    for (const ParamAddress& t : targets) {
      if (!batch_->SendsDefaultValue(t)) continue;
      defaults.push_back(t);
      const TDevCommand* cmd = profile_.Command(t.Page, t.Command);
      if (names.size() < kNamesShown) names << InstanceName(*cmd, t.Instance);
      const bool known = std::any_of(pollable.begin(), pollable.end(), [&](const ParamAddress& p) {
        return p.Page == t.Page && p.Command == t.Command;
      });
      if (cmd->PollData && !known) pollable.push_back({t.Page, t.Command, 0, 0});
    }
    if (defaults.empty()) return true;
    QString list = names.join(QStringLiteral(", "));
    if (static_cast<int>(defaults.size()) > names.size())
      list +=
          QLatin1Char(' ') + tr("и ещё %1").arg(static_cast<int>(defaults.size()) - names.size());
    QMessageBox box(QMessageBox::Warning, windowTitle(),
                    tr("Значения по умолчанию из профиля, не прочитанные из терминала, будут "
                       "записаны в команды (%1): %2.")
                        .arg(defaults.size())
                        .arg(list),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("DefaultValuesQuestion"));
    box.setInformativeText(pollable.empty()
                               ? tr("Записать их?")
                               : tr("Записать их, сначала получить значения из терминала "
                                    "(введённое вами останется) или отменить запись?"));
    QPushButton* write = box.addButton(tr("Записать"), QMessageBox::AcceptRole);
    write->setObjectName(QStringLiteral("DefaultValuesWrite"));
    QPushButton* poll = nullptr;
    if (!pollable.empty()) {
      poll = box.addButton(tr("Сначала получить"), QMessageBox::ActionRole);
      poll->setObjectName(QStringLiteral("DefaultValuesPoll"));
    }
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    cancel->setObjectName(QStringLiteral("DefaultValuesCancel"));
    cancel->setText(tr("Отмена"));
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == write) return true;
    if (!poll || box.clickedButton() != poll) return false;
    if (!PollKeepingOperatorValues(pollable)) return false;
  }
}

bool TfmMain::PollKeepingOperatorValues(const std::vector<ParamAddress>& commands) {
  struct TKept {
    ParamAddress At;
    bool Optional, Checked;
    std::string Text;
    int Option;
    TValueOrigin Origin;
  };
  std::vector<TKept> kept;
  for (const ParamAddress& c : commands) {
    const TDevCommand* cmd = profile_.Command(c.Page, c.Command);
    if (!cmd) continue;
    for (int k = 0; k < (cmd->Indexed ? cmd->MaxIndex : 1); ++k)
      for (int i = 0; i < static_cast<int>(cmd->Parameters.size()); ++i) {
        const TValueOrigin origin = editor_->ValueOrigin(c.Page, c.Command, k, i);
        if (origin != voTyped && origin != voFile) continue;
        const TCmdParameter& param = cmd->Parameters[static_cast<size_t>(i)];
        kept.push_back({{c.Page, c.Command, k, i},
                        param.Optional,
                        editor_->Checked(c.Page, c.Command, k, i),
                        editor_->InputText(c.Page, c.Command, k, i),
                        editor_->OptionIndex(c.Page, c.Command, k, i),
                        origin});
      }
  }
  bool polled = false;
  RunGuarded([&] { polled = batch_->PollCommands(commands); });
  for (const TKept& v : kept) {
    const ParamAddress& a = v.At;
    if (v.Optional) editor_->SetChecked(a.Page, a.Command, a.Instance, a.Param, v.Checked);
    const TCmdParameter& param =
        profile_.Command(a.Page, a.Command)->Parameters[static_cast<size_t>(a.Param)];
    if (param.ParamType == ptOption)
      editor_->SetOptionIndex(a.Page, a.Command, a.Instance, a.Param, v.Option);
    else
      editor_->SetInputText(a.Page, a.Command, a.Instance, a.Param, v.Text);
    editor_->SetValueOrigin(a.Page, a.Command, a.Instance, a.Param, v.Origin);
  }
  return polled;
}

}  // namespace quillon
