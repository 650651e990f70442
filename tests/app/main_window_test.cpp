// The main window at start-up: caption, menu, status bar, log pane, tabs and their states after
// the settings are applied, the idle port watch.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/fm_main.h"
#include "app/gui_tests.h"
#include "editor/qt/qt_page_tabs.h"
#include "link/terminal_session.h"
#include "settings/qt/fm_settings.h"
#include "ui/qt_log_view.h"
#include "ui/qt_session_ui.h"

namespace quillon::test {

std::string WriteTestFile(const QString& folder, const QString& name, const std::string& bytes) {
  const QString path = folder + QLatin1Char('/') + name;
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return path.toStdString();
}

void SaveShot(QWidget* window, const QString& name) {
  const QString dir = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
  if (!dir.isEmpty()) window->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

namespace {

const QString kDefaultCaption = QStringLiteral("Программное обеспечение для настройки Veltra");

// Pages "GSM", "Nav", "nav" and a second "GSM": enough for case and duplicate ids.
std::string SmallProfile(const std::string& inputWidth) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<application>\n";
  if (!inputWidth.empty()) xml += "<inputwidth>" + inputWidth + "</inputwidth>\n";
  xml +=
      "<page id=\"GSM\" name=\"Связь\"><command command=\"+SGSM\" description=\"GSM\">"
      "<parameter type=\"integer\" description=\"A\"/></command></page>\n"
      "<page id=\"Nav\" name=\"Навигация\"></page>\n"
      "<page id=\"nav\" name=\"Трек\"></page>\n"
      "<page id=\"GSM\" name=\"Резерв\"></page>\n"
      "</application>\n";
  return xml;
}

}  // namespace

class TMainWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  std::unique_ptr<TfmMain> Make(const std::string& profile, const std::string& ini) {
    TMainOptions options;
    options.ProfilePath = profile;
    options.SettingsPath = ini.empty()
                               ? (dir_.path() + QStringLiteral("/none.ini")).toStdString()
                               : WriteTestFile(dir_.path(), QStringLiteral("Quillon.ini"), ini);
    return std::make_unique<TfmMain>(nullptr, options);
  }

  std::unique_ptr<TfmMain> MakeSmall(const std::string& ini) {
    return Make(WriteTestFile(dir_.path(), QStringLiteral("small.xml"), SmallProfile("")), ini);
  }

 private slots:
  void startsWithTheSampleProfile() {
    auto fm = Make("cmdprofile.xml", "");
    QCOMPARE(fm->windowTitle(), QStringLiteral("Конфигуратор Veltra VT-300"));
    QCOMPARE(fm->PageControl1->count(), 5);
    QCOMPARE(fm->PageControl1->tabText(0), QStringLiteral("GSM/GPRS и серверы"));
    QCOMPARE(fm->PageControl1->currentIndex(), 0);
    for (int i = 0; i < 5; ++i) QVERIFY(fm->PageControl1->widget(i)->isEnabled());
    QVERIFY(fm->UnitWidth > 0 && fm->UnitHeight > 0);
    QCOMPARE(fm->minimumSize(), QSize(800, 300));
    QVERIFY(!fm->InCommandMode());
    QVERIFY(!fm->Session().IsPortOpen());
    QVERIFY(!fm->PortWatchInstalled());
    QCOMPARE(fm->Profile().InputWidth, 24);
  }

  void missingProfileKeepsTheDefaultCaptionAndMenus() {
    auto fm = Make((dir_.path() + QStringLiteral("/absent.xml")).toStdString(), "");
    QCOMPARE(fm->windowTitle(), kDefaultCaption);
    QCOMPARE(fm->PageControl1->count(), 0);
    QVERIFY(fm->findChild<QAction*>(QStringLiteral("Connect1"))->isEnabled());
  }

  void menuItemsCarryTheirNamesAndCaptions() {
    auto fm = MakeSmall("");
    const struct {
      const char* name;
      const char* caption;
    } items[] = {
        {"Load1", "Загрузить конфигурацию из файла"},
        {"Save1", "Сохранить конфигурацию в файл"},
        {"Compare1", "Сравнить с файлом…"},
        {"Exit1", "Выход"},
        {"Parameters1", "Параметры связи с терминалом..."},
        {"Connect1", "Установить связь с терминалом"},
        {"Storesettingsintoflash1", "Сохранить настройки в энергонезависимой памяти"},
        {"N4", "Состояние устройства"},
        {"Leavecommandmode1", "Выйти из командного режима"},
        {"About1", "О программе"},
    };
    for (const auto& item : items) {
      auto* action = fm->findChild<QAction*>(QString::fromLatin1(item.name));
      QVERIFY2(action, item.name);
      QCOMPARE(action->text(), QString::fromUtf8(item.caption));
      QVERIFY(!action->isSeparator());
    }
    for (const char* name : {"N1", "N2", "N3"}) {
      auto* action = fm->findChild<QAction*>(QString::fromLatin1(name));
      QVERIFY2(action && action->isSeparator(), name);
    }
    auto* bar = fm->findChild<QMenuBar*>(QStringLiteral("MainMenu1"));
    QVERIFY(bar);
    const QList<QAction*> top = bar->actions();
    QCOMPARE(top.size(), 4);
    QCOMPARE(top[0]->text(), QStringLiteral("Файл"));
    QCOMPARE(top[1]->text(), QStringLiteral("Правка"));
    QCOMPARE(top[2]->text(), QStringLiteral("Связь"));
    QCOMPARE(top[3]->objectName(), QStringLiteral("About1"));

    auto* file = fm->findChild<QMenu*>(QStringLiteral("File1"));
    QStringList fileOrder;
    for (QAction* a : file->actions()) fileOrder << a->objectName();
    QCOMPARE(fileOrder, QStringList({"Load1", "Save1", "Compare1", "N1", "Exit1"}));
    auto* connection = fm->findChild<QMenu*>(QStringLiteral("Connection1"));
    QStringList connectionOrder;
    for (QAction* a : connection->actions()) connectionOrder << a->objectName();
    QCOMPARE(connectionOrder,
             QStringList({"Parameters1", "Connect1", "ApplyChanged1", "PollPage1", "PollAll1",
                          "Storesettingsintoflash1", "N3", "N4", "N2", "Leavecommandmode1"}));
    auto* edit = fm->findChild<QMenu*>(QStringLiteral("Edit1"));
    QVERIFY(edit);
    QStringList editOrder;
    for (QAction* a : edit->actions()) editOrder << a->objectName();
    QCOMPARE(editOrder, QStringList({"Find1", "FindNext1", "N5", "ChangedOnly1"}));
  }

  void statusBarHasSixPanelsWithTheProgressBarOverPanelTwo() {
    auto fm = MakeSmall("");
    fm->show();
    QVERIFY(QTest::qWaitForWindowExposed(fm.get()));
    // Panel 0, the hints, takes what the others leave, so that the outcome of an apply has room
    // at the window's least width.
    const int widths[] = {400, 50, 200, 60, 60, 50};
    for (int i = 0; i < TfmMain::kStatusPanelCount; ++i) {
      if (i > 0) QCOMPARE(fm->StatusPanels[i]->width(), widths[i]);
      QVERIFY(fm->StatusPanels[i]->text().isEmpty());
    }
    QVERIFY(fm->StatusPanels[0]->width() >= 50);
    QCOMPARE(fm->StatusBar1->objectName(), QStringLiteral("StatusBar1"));
    QVERIFY(fm->StatusBar1->isAncestorOf(fm->ProgressBar));
    QCOMPARE(fm->ProgressBar->parentWidget(), fm->StatusPanels[2]);
    QVERIFY(fm->ProgressBar->width() >= 190);

    // Hints go to panel 0 and leave the link panels alone.
    fm->SessionUi().LinkStateChanged("COM1", "115200", true, true);
    QStatusTipEvent tip(QStringLiteral("Порт сервера\nот 1 до 65535"));
    QApplication::sendEvent(fm.get(), &tip);
    QCOMPARE(fm->StatusPanels[0]->text(), QStringLiteral("Порт сервера — от 1 до 65535"));
    const int barHeight = fm->StatusBar1->height();
    QStatusTipEvent longTip(QString(300, QLatin1Char('x')));
    QApplication::sendEvent(fm.get(), &longTip);
    QVERIFY(fm->StatusPanels[0]->text().endsWith(QChar(0x2026)));
    QCOMPARE(fm->StatusBar1->height(), barHeight);
    QCOMPARE(fm->StatusPanels[3]->text(), QStringLiteral("LINK"));
    QCOMPARE(fm->StatusPanels[4]->text(), QStringLiteral("CMD"));
    QVERIFY(fm->StatusPanels[3]->isVisible());
    fm->SessionUi().LinkStateChanged("COM1", "115200", false, false);
    QVERIFY(fm->StatusPanels[3]->text().isEmpty());
    QVERIFY(fm->StatusPanels[4]->text().isEmpty());
  }

  void logPaneSitsBelowTheSplitter() {
    auto fm = MakeSmall("");
    fm->show();
    QVERIFY(QTest::qWaitForWindowExposed(fm.get()));
    QCOMPARE(fm->LogGroupBox->title(), QStringLiteral("Протокол"));
    QCOMPARE(fm->LogLines->objectName(), QStringLiteral("LogLines"));
    QVERIFY(fm->LogLines->isReadOnly());
    QCOMPARE(fm->Splitter1->handleWidth(), 3);
    QCOMPARE(fm->Splitter1->widget(0), static_cast<QWidget*>(fm->PageControl1));
    QCOMPARE(fm->Splitter1->widget(1), static_cast<QWidget*>(fm->LogGroupBox));
    QCOMPARE(fm->Splitter1->sizes().at(1), TfmMain::kLogGroupHeight);

    fm->Log().WriteLog("Device disconnected", 4);
    QCOMPARE(fm->LogLines->toPlainText(), QStringLiteral("]Device disconnected"));
  }

  void inputWidthSetsTheWindowWidth_data() {
    QTest::addColumn<QString>("inputWidth");
    QTest::addColumn<int>("stored");
    QTest::newRow("absent") << QString() << 20;
    QTest::newRow("zero") << QStringLiteral("0") << 20;
    QTest::newRow("negative") << QStringLiteral("-7") << 20;
    QTest::newRow("twenty") << QStringLiteral("20") << 20;
    QTest::newRow("twenty-one") << QStringLiteral("21") << 21;
    QTest::newRow("wide") << QStringLiteral("60") << 60;
  }

  void inputWidthSetsTheWindowWidth() {
    QFETCH(QString, inputWidth);
    QFETCH(int, stored);
    auto fm = Make(WriteTestFile(dir_.path(), QStringLiteral("iw.xml"),
                                 SmallProfile(inputWidth.toStdString())),
                   "");
    QCOMPARE(fm->Profile().InputWidth, stored);
    // No wider than the screen's free area (less room for the frame), no narrower than 800.
    const int room = fm->screen()->availableGeometry().width() - TfmMain::kFrameAllowance;
    QCOMPARE(fm->width(), std::max(800, std::min((stored + 22) * fm->UnitWidth, room)));
  }

  void enabledPagesDecideTabStates_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<bool>>("enabled");
    const QStringList plain = {"Связь", "Навигация", "Трек", "Резерв"};
    const QStringList starred = {"Связь(*)", "Навигация(*)", "Трек(*)", "Резерв(*)"};
    QTest::newRow("missing key: every page")
        << QString() << plain << QList<bool>{true, true, true, true};
    QTest::newRow("star") << QStringLiteral("[Interface]\nEnabledPages=*\n") << plain
                          << QList<bool>{true, true, true, true};
    QTest::newRow("empty: none") << QStringLiteral("[Interface]\nEnabledPages=\n") << starred
                                 << QList<bool>{false, false, false, false};
    QTest::newRow("letter case counts, duplicates share an id")
        << QStringLiteral("[Interface]\nEnabledPages=gsm,Nav,GSM,unknown\n")
        << QStringList{"Связь", "Навигация", "Трек(*)", "Резерв"}
        << QList<bool>{true, true, false, true};
    QTest::newRow("lower-case id only")
        << QStringLiteral("[Interface]\nEnabledPages=gsm,nav\n")
        << QStringList{"Связь(*)", "Навигация(*)", "Трек", "Резерв(*)"}
        << QList<bool>{false, false, true, false};
  }

  void enabledPagesDecideTabStates() {
    QFETCH(QString, ini);
    QFETCH(QStringList, captions);
    QFETCH(QList<bool>, enabled);
    auto fm = MakeSmall(ini.toStdString());
    QCOMPARE(fm->PageControl1->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i) {
      QCOMPARE(fm->PageControl1->tabText(i), captions[i]);
      QCOMPARE(fm->PageControl1->widget(i)->isEnabled(), enabled[i]);
      // A disabled page can still be selected and shown.
      QVERIFY(fm->PageControl1->isTabEnabled(i));
    }
    fm->PageControl1->setCurrentIndex(captions.size() - 1);
    QCOMPARE(fm->PageControl1->currentIndex(), captions.size() - 1);
  }

  void reapplyingSettingsRecaptionsTabsAndSwitchesThePortWatch() {
    auto fm = MakeSmall("[Device]\nPortPoll=1\n[Interface]\nEnabledPages=Nav\n");
    QVERIFY(fm->PortWatchInstalled());
    QCOMPARE(fm->PageControl1->tabText(0), QStringLiteral("Связь(*)"));

    fm->ProgramSettings().PortPoll = false;
    fm->ProgramSettings().EnabledPages = {"GSM"};
    fm->ApplyInterfaceSettings();
    QVERIFY(!fm->PortWatchInstalled());
    QCOMPARE(fm->PageControl1->tabText(0), QStringLiteral("Связь"));
    QCOMPARE(fm->PageControl1->tabText(1), QStringLiteral("Навигация(*)"));
    QVERIFY(!fm->PageControl1->widget(1)->isEnabled());

    fm->ProgramSettings().PortPoll = true;
    fm->ApplyInterfaceSettings();
    QVERIFY(fm->PortWatchInstalled());
  }

  // Fast answers follow the settings file at start and the settings dialog afterwards.
  void fastAnswerFollowsTheSettings() {
    auto fm = MakeSmall("[Connection]\nFastAnswer=1\n");
    QVERIFY(fm->Session().FastAnswer());
    TfmSettings dialog(fm->ProgramSettings(), fm->Profile(), fm.get());
    fm->SetWindows(nullptr, &dialog, nullptr, nullptr, nullptr);
    for (const bool on : {false, true}) {
      QTimer::singleShot(0, &dialog, [&dialog, on] {
        dialog.cbFastAnswer->setChecked(on);
        dialog.ApplyBtn->click();
      });
      fm->Parameters1Click();
      QCOMPARE(fm->Session().FastAnswer(), on);
    }
  }

  void runOverridesReplacePortAndMissingPasswordsOnly() {
    TMainOptions options;
    options.ProfilePath = "cmdprofile.xml";
    options.SettingsPath =
        WriteTestFile(dir_.path(), QStringLiteral("pw.ini"), "[Device]\nPassword=111\n");
    options.PortOverride = "/dev/pts/77";
    options.FallbackPassword = "1234";
    options.FallbackMasterPassword = "5678";
    TfmMain stored(nullptr, options);
    QCOMPARE(QString::fromStdString(stored.ProgramSettings().COM), QStringLiteral("/dev/pts/77"));
    QCOMPARE(QString::fromStdString(stored.ProgramSettings().EffectivePassword),
             QStringLiteral("111"));

    options.SettingsPath = (dir_.path() + QStringLiteral("/none.ini")).toStdString();
    TfmMain fresh(nullptr, options);
    QCOMPARE(QString::fromStdString(fresh.ProgramSettings().EffectivePassword),
             QStringLiteral("5678"));
    QVERIFY(!QFile::exists(dir_.path() + QStringLiteral("/none.ini")));
  }
};

int RunMainWindowTests(int argc, char** argv) {
  TMainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace quillon::test

#include "main_window_test.moc"
