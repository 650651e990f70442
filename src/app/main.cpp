// The program entry: language first, then the six windows, then the message loop.
//
//   quillon [--demo] [--port PORT] [--quit-when-idle] [--screenshot FILE] [--page N] [FILE.zxml]
//
// --demo runs against the simulated terminal (quillon-sim) for this run only; --port uses another
// port for this run only; --quit-when-idle ends the program as soon as the main window is up and
// the loop has nothing left to do (smoke tests, start-up benchmarks); --screenshot saves an image
// of the main window at that moment and then ends; --page shows page N (counted from 1) first.
// A configuration file named on the command line (a double click on it in the file manager) is
// loaded into the editor once the window is up, as "Load" in the File menu would.
#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>

#include "app/demo_terminal.h"
#include "app/fm_about_box.h"
#include "app/fm_main.h"
#include "editor/qt/qt_page_tabs.h"
#include "link/port_address.h"
#include "link/qt/fm_device_reconnect.h"
#include "link/qt/fm_waiting_data.h"
#include "settings/languages.h"
#include "settings/program_paths.h"
#include "settings/qt/fm_settings.h"
#include "status/qt/fm_device_info.h"
#include "ui/qt_app_icon.h"
#include "ui/qt_language.h"
#include "ui/qt_text.h"

namespace {

const char* const kUsage =
    "Usage: quillon [--demo] [--port PORT] [--quit-when-idle] [--screenshot FILE] [--page N]\n"
    "               [FILE.zxml]\n"
    "\n"
    "  FILE.zxml          load this configuration file into the editor at start\n"
    "  --demo             run against the simulated terminal (quillon-sim)\n"
    "  --port PORT        use this port for this run only: a device, or on the network\n"
    "                     tcp://HOST:PORT or rfc2217://HOST:PORT\n"
    "  --quit-when-idle   end as soon as the main window is up and idle (exit code 1 when\n"
    "                     FILE.zxml could not be loaded)\n"
    "  --screenshot FILE  save a picture of the main window, then end\n"
    "  --page N           show page N (1 = the first) at start\n"
    "  -h, --help         show this text\n";

// Answered before the window system is started, so that it works without a display too.
bool WantsHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "-?") return true;
  }
  return false;
}

struct TRunSwitches {
  bool Demo = false;
  bool QuitWhenIdle = false;
  QString Port;
  QString Screenshot;
  QString ConfigurationFile;
  int Page = 0;  // 0-based
};

bool ParseSwitches(const QApplication& app, TRunSwitches& switches) {
  QCommandLineParser parser;
  const QCommandLineOption demo(QStringLiteral("demo"));
  const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("PORT"));
  const QCommandLineOption quitWhenIdle(QStringLiteral("quit-when-idle"));
  const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(),
                                      QStringLiteral("FILE"));
  const QCommandLineOption page(QStringLiteral("page"), QString(), QStringLiteral("N"));
  parser.addOptions({demo, port, quitWhenIdle, screenshot, page});
  if (!parser.parse(app.arguments()) || parser.positionalArguments().size() > 1) {
    const QString error =
        parser.errorText().isEmpty()
            ? QStringLiteral("unexpected argument: ") + parser.positionalArguments().constLast()
            : parser.errorText();
    std::fprintf(stderr, "quillon: %s\n%s", qPrintable(error), kUsage);
    return false;
  }
  switches.Demo = parser.isSet(demo);
  switches.QuitWhenIdle = parser.isSet(quitWhenIdle);
  switches.Port = parser.value(port);
  quillon::TPortAddress address;
  std::string why;
  if (!quillon::ParsePortAddress(quillon::FromQString(switches.Port), address, why)) {
    std::fprintf(stderr, "quillon: bad port address '%s': %s\n%s", qPrintable(switches.Port),
                 qPrintable(quillon::ToQString(why)), kUsage);
    return false;
  }
  switches.Screenshot = parser.value(screenshot);
  if (!parser.positionalArguments().isEmpty())
    switches.ConfigurationFile = parser.positionalArguments().constFirst();
  if (parser.isSet(page)) {
    bool ok = false;
    switches.Page = parser.value(page).toInt(&ok) - 1;
    if (!ok || switches.Page < 0) {
      std::fprintf(stderr, "quillon: --page wants a page number from 1\n%s", kUsage);
      return false;
    }
  }
  return true;
}

// Runs once the loop has drained what start-up queued.
void ScheduleIdleExit(quillon::TfmMain& mainWindow, const TRunSwitches& switches) {
  if (!switches.QuitWhenIdle && switches.Screenshot.isEmpty()) return;
  const QString shot = switches.Screenshot;
  QTimer::singleShot(shot.isEmpty() ? 0 : 300, &mainWindow, [&mainWindow, shot] {
    if (!shot.isEmpty() && !mainWindow.grab().save(shot))
      std::fprintf(stderr, "quillon: cannot write %s\n", qPrintable(shot));
    QCoreApplication::quit();
  });
}

}  // namespace

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argc > 0 ? argv[0] : nullptr);
  if (WantsHelp(argc, argv)) {
    std::fputs(kUsage, stdout);
    return 0;
  }

  // The language is fixed before any window exists, so every window comes up in it.
  const int32_t language = quillon::ReadLanguageSetting();

  QApplication app(argc, argv);
  QApplication::setWindowIcon(quillon::AppIcon());
  const QTranslator* languageFile = quillon::InstallLanguageFile(
      app, quillon::LanguageFileCandidates(quillon::ProgramPaths().LanguageBase, language));
  quillon::InstallQtTranslations(app, languageFile);
  quillon::TranslateLogicTexts();

  TRunSwitches switches;
  if (!ParseSwitches(app, switches)) return 2;

  quillon::TMainOptions options;
  if (!switches.Port.isEmpty()) options.PortOverride = switches.Port.toStdString();
  std::unique_ptr<quillon::TDemoTerminal> demo;
  if (switches.Demo) {
    demo = std::make_unique<quillon::TDemoTerminal>();
    std::string error;
    if (!demo->Start(error)) {
      std::fprintf(stderr, "quillon: %s\n", error.c_str());
      return 1;
    }
    options.PortOverride = demo->DevicePath();
    options.FallbackPassword = demo->Password();
    options.FallbackMasterPassword = demo->MasterPassword();
  }

  // The six windows, in this order, for the whole run.
  quillon::TfmMain fmMain(nullptr, options);
  quillon::TAboutBox aboutBox(&fmMain);
  quillon::TfmSettings fmSettings(fmMain.ProgramSettings(), fmMain.Profile(), &fmMain);
  quillon::TfmWaitingData fmWaitingData(&fmMain);
  quillon::TfmDeviceInfo fmDeviceInfo(fmMain.Session(), fmMain.ProgramSettings(),
                                      fmMain.SettingsPath(), &fmMain);
  quillon::TfmDeviceReconnect fmDeviceReconnect(&fmMain);
  fmMain.SetWindows(&aboutBox, &fmSettings, &fmWaitingData, &fmDeviceInfo, &fmDeviceReconnect);
  // A run that nobody watches ends without asking.
  fmMain.SetAskBeforeExit(!switches.QuitWhenIdle && switches.Screenshot.isEmpty());

  // A number past the last page keeps the first one.
  if (switches.Page < fmMain.PageControl1->count())
    fmMain.PageControl1->setCurrentIndex(switches.Page);
  fmMain.show();
  // Queued before the idle exit, so that a screenshot shows the loaded values.
  bool loadFailed = false;
  if (!switches.ConfigurationFile.isEmpty()) {
    const QString file = switches.ConfigurationFile;
    QTimer::singleShot(
        0, &fmMain, [&fmMain, &loadFailed, file] { loadFailed = !fmMain.LoadConfiguration(file); });
  }
  ScheduleIdleExit(fmMain, switches);
  int result = app.exec();
  // A run that ends by itself reports a file that could not be loaded (the log says why).
  const bool unattended = switches.QuitWhenIdle || !switches.Screenshot.isEmpty();
  if (result == 0 && loadFailed && unattended) result = 1;
  if (demo) demo->Stop();
  return result;
}
