// The status window: its layout, its signal bar, and its report exchange against the simulated
// terminal (start on showing, stop on "Остановить" and on closing, remote-control bytes, "!" on
// closing, no session), the map link and the state words of a language file.
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <functional>
#include <memory>

#include "app/fm_main.h"
#include "link/com_port.h"
#include "link/qt/fm_device_reconnect.h"
#include "link/terminal_session.h"
#include "settings/program_paths.h"
#include "settings/settings.h"
#include "sim/simulator_process.h"
#include "status/qt/fm_device_info.h"
#include "status/qt/qt_signal_bar.h"
#include "status/status_report.h"
#include "support/temp_dir.h"
#include "ui/qt_log_view.h"
#include "ui/qt_text.h"

namespace quillon::test {

namespace {

// With QUILLON_TEST_SCREENSHOTS=DIR set, a picture of the window as DIR/name.png.
void SaveShot(QWidget* window, const QString& name) {
  const QString dir = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
  if (!dir.isEmpty()) window->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// The Windows-1251 bytes of a UTF-8 text, as the settings file holds them.
std::string Cp1251(const QString& text) {
  return FromQString(text);
}

QStringList LogLines(TfmMain& fm) {
  return fm.LogLines->toPlainText().split(QLatin1Char('\n'));
}

int CountLines(TfmMain& fm, const QString& prefix) {
  int count = 0;
  for (const QString& line : LogLines(fm))
    if (line.startsWith(prefix)) ++count;
  return count;
}

int CountText(const std::string& haystack, const std::string& needle) {
  int count = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos;
       at = haystack.find(needle, at + needle.size()))
    ++count;
  return count;
}

// Runs the real event loop until the condition holds: the port's readiness is watched only when
// the loop is about to sleep, which QTest's waiting never lets it do.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (condition()) loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  poll.start(20);
  if (!condition()) loop.exec();
  return condition();
}

// The simulator with its trace (what it received, line by line) in a file.
bool StartTracedSimulator(TSimulatorProcess& sim, const std::string& traceFile,
                          std::string& error) {
  sim.SetErrorFile(traceFile);
  return sim.Start(
      {"--profile", "cmdprofile.xml", "--password", "1234", "--master-password", "5678", "--trace"},
      5000, error);
}

// Everything of the window can be read at its fixed size: no label, caption or field text is
// cut short.
void CheckNothingElided(QWidget* window) {
  for (QLabel* label : window->findChildren<QLabel*>()) {
    if (label->wordWrap()) {
      QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
               qPrintable(label->objectName()));
    } else {
      QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
    }
  }
  for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
    const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
    const int room = field->width() - 2 * frame - 4;  // the line edit's own inner margins
    const int needed = field->fontMetrics().horizontalAdvance(field->text());
    QVERIFY2(needed <= room, qPrintable(field->objectName() + QStringLiteral(": ") + field->text() +
                                        QStringLiteral(" needs ") + QString::number(needed) +
                                        QStringLiteral(" of ") + QString::number(room)));
  }
  for (QGroupBox* group : window->findChildren<QGroupBox*>()) {
    const int needed = group->fontMetrics().horizontalAdvance(group->title()) + 16;
    QVERIFY2(group->width() >= needed, qPrintable(group->objectName()));
  }
  for (const char* name : {"btnStart", "btnStop", "btnClose"}) {
    auto* button = window->findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY2(button->width() >= button->sizeHint().width(), name);
  }
  for (QCheckBox* box : window->findChildren<QCheckBox*>())
    QVERIFY2(box->width() >= box->sizeHint().width(), qPrintable(box->objectName()));
}

// The window's frame in the coordinates of the window.
QRect Frame(QWidget* window, QWidget* widget) {
  return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

// Catches the addresses the desktop is asked to open.
class TUrlCatcher : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> Opened;

 public slots:
  void Open(const QUrl& url) { Opened.append(url); }
};

// One status window on a main window, with a settings file of the test's own.
// Without a terminal, showing the window brings up the reconnect window; the rig stops it the
// way the operator would, unless the test does so itself.
struct TRig {
  std::unique_ptr<TfmMain> Main;
  std::unique_ptr<TfmDeviceInfo> Info;
  QTimer StopReconnect;

  TRig(const std::string& port, const std::string& settingsFile, bool stopReconnect = true) {
    TMainOptions options;
    options.ProfilePath = "cmdprofile.xml";
    options.SettingsPath = settingsFile;
    options.PortOverride = port;
    options.FallbackPassword = "1234";
    options.FallbackMasterPassword = "5678";
    Main = std::make_unique<TfmMain>(nullptr, options);
    Info = std::make_unique<TfmDeviceInfo>(Main->Session(), Main->ProgramSettings(),
                                           Main->SettingsPath(), Main.get());
    Main->SetWindows(nullptr, nullptr, nullptr, Info.get(), nullptr);
    QObject::connect(&StopReconnect, &QTimer::timeout, [] {
      if (auto* reconnect = qobject_cast<TfmDeviceReconnect*>(QApplication::activeModalWidget()))
        reconnect->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    });
    StopReconnect.setInterval(50);
    if (stopReconnect) StopReconnect.start();
  }
  ~TRig() {
    // Stop the exchange while the port is still there, as the program's end does.
    Info.reset();
  }

  template <typename T>
  T* Get(const char* name) const {
    return Info->findChild<T*>(QString::fromLatin1(name));
  }
  QString Text(const char* name) const { return Get<QLineEdit>(name)->text(); }
};

// Reports a terminal might send, with the longer values of their kinds.
const char* const kWideReports[] = {
    "+RESP:DPRM,VT-300,000417,861234050417365,2.14.0",
    "+RESP:TREP,EF4017,3,0,12,0,2",
    "+RESP:SREP,1500,123456789,0,4321,17,136,4200,12.60,4.10,23,-12,5,1000,2594183,300,1,1,1,0,1",
    "+RESP:SFPT,0001A000,0001C340,00400000,28,32",
    "+RESP:SNAV,103015,5545.1200N,03737.0500E,40.5,90,101226,3,12,150.5,14.2",
    "+RESP:SGSM,5,1,12,25001,Veltra GSM,18,193.0.2.10,20100,internet,gdata,gdata",
};

}  // namespace

class TDeviceInfoTest : public QObject {
  Q_OBJECT

 private:
  TempDir dir_;

  std::string Settings(const QString& name, const QString& text) {
    return dir_.Write(name.toStdString(), Cp1251(text));
  }
  std::string NoSettings() { return dir_.File("none.ini"); }

 private slots:
  void everyGroupFieldAndButtonInThreeColumns() {
    TRig rig(dir_.File("no-tty"), NoSettings());
    TfmDeviceInfo& info = *rig.Info;
    QCOMPARE(info.objectName(), QStringLiteral("fmDeviceInfo"));
    QCOMPARE(info.windowTitle(), QStringLiteral("Состояние устройства"));

    const struct {
      const char* group;
      const char* caption;
      const char* parent;
      int column;
    } groups[] = {
        {"gConnection", "Подключение", "pnlFields", 0},
        {"gDevice", "Устройство", "pnlFields", 0},
        {"gGSM", "GSM", "pnlFields", 0},
        {"gMemory", "Состояние памяти", "pnlFields", 0},
        {"gSensors", "Датчики", "pnlFields", 1},
        {"gDiscreteSensors", "Дискретные", "gSensors", 1},
        {"gAnalogSensors", "Аналоговые", "gSensors", 1},
        {"gAccel", "Акселерометр", "gSensors", 1},
        {"gNav", "Навигация", "pnlFields", 2},
        {"gStatus", "Статус", "pnlFields", 2},
    };
    info.show();
    QVERIFY(QTest::qWaitForWindowExposed(&info));
    int columnLeft[3] = {INT_MAX, INT_MAX, INT_MAX};
    int columnRight[3] = {0, 0, 0};
    for (const auto& g : groups) {
      auto* group = rig.Get<QGroupBox>(g.group);
      QVERIFY2(group, g.group);
      QCOMPARE(group->title(), QString::fromUtf8(g.caption));
      QCOMPARE(group->parentWidget()->objectName(), QString::fromLatin1(g.parent));
      const QRect frame = Frame(&info, group);
      columnLeft[g.column] = std::min(columnLeft[g.column], frame.left());
      columnRight[g.column] = std::max(columnRight[g.column], frame.right());
    }
    // Left, middle, right.
    QVERIFY(columnRight[0] < columnLeft[1]);
    QVERIFY(columnRight[1] < columnLeft[2]);

    const struct {
      const char* field;
      const char* caption;
      const char* group;
    } fields[] = {
        {"ePortName", "COM-порт", "gConnection"},
        {"ePortRate", "Скорость порта", "gConnection"},
        {"ePortConn", "Подключение", "gConnection"},
        {"eCmdMode", "Командный режим", "gConnection"},
        {"eDevName", "Модель", "gDevice"},
        {"eTrackerID", "ID блока", "gDevice"},
        {"eIMEI", "IMEI", "gDevice"},
        {"eFW_Ver", "Версия ПО", "gDevice"},
        {"eUptime", "Время работы", "gDevice"},
        {"eGSMReg", "Регистрация в сети", "gGSM"},
        {"eGPRS", "GPRS", "gGSM"},
        {"eServerState", "Соединение с сервером", "gGSM"},
        {"eGSMOp", "Оператор", "gGSM"},
        {"eGSMStrength", "Уровень сигнала", "gGSM"},
        {"eServer", "Активный сервер", "gGSM"},
        {"eAPN", "Точка доступа", "gGSM"},
        {"ePtrRead", "Указатель чтения", "gMemory"},
        {"ePtrWrite", "Указатель записи", "gMemory"},
        {"eFlashSize", "Объем памяти", "gMemory"},
        {"eMemoryFree", "Занято памяти, байт", "gMemory"},
        {"eMemoryFreePercent", "Занято памяти, %", "gMemory"},
        {"eSlotsTotal", "Слотов отправки", "gMemory"},
        {"eSlotsFree", "Слотов свободно", "gMemory"},
        {"eDFreq1", "Вход 1, частота", "gDiscreteSensors"},
        {"eDCount1", "Вход 1, счетчик", "gDiscreteSensors"},
        {"eDFreq2", "Вход 2, частота", "gDiscreteSensors"},
        {"eDCount2", "Вход 2, счетчик", "gDiscreteSensors"},
        {"eDCount3", "Вход 3, счетчик", "gDiscreteSensors"},
        {"eDRelay1", "Реле 1", "gDiscreteSensors"},
        {"eMODE_ACC_STOP", "Остановка по акселерометру", "gDiscreteSensors"},
        {"eIgnition", "Зажигание", "gDiscreteSensors"},
        {"eADC1", "Аналоговый вход 1", "gAnalogSensors"},
        {"eVIN", "Напряжение питания", "gAnalogSensors"},
        {"eVBAT", "Напряжение на аккумуляторе", "gAnalogSensors"},
        {"eTEMP", "Температура", "gAnalogSensors"},
        {"eACC_X", "X", "gAccel"},
        {"eACC_Y", "Y", "gAccel"},
        {"eACC_Z", "Z", "gAccel"},
        {"eACC_SLEEP_TIMER", "Счетчик спящего режима", "gAccel"},
        {"eLat", "Широта", "gNav"},
        {"eLon", "Долгота", "gNav"},
        {"eSpeed", "Скорость", "gNav"},
        {"eAlt", "Высота", "gNav"},
        {"eSatCount", "Спутники", "gNav"},
        {"eFixType", "Захват", "gNav"},
        {"eAzimuth", "Азимут", "gNav"},
        {"eGPSDate", "Дата (GPS)", "gNav"},
        {"eGPSTime", "Время (GPS)", "gNav"},
        {"eFreezeCoordByAcc", "Заморозка координат по акселерометру", "gNav"},
        {"eFreezeCoordByIgn", "Заморозка координат по зажиганию", "gNav"},
        {"eCoordFrozen", "Координаты заморожены", "gNav"},
        {"eFlashStatus", "Flash-память", "gStatus"},
        {"eFlashID", "FlashID", "gStatus"},
        {"eAccStatus", "Акселерометр", "gStatus"},
        {"eGPSStatus", "GPS/GLONASS", "gStatus"},
        {"eModemStatus", "GSM-модем", "gStatus"},
        {"eSimStatus", "SIM-статус", "gStatus"},
    };
    QStringList names;
    for (const auto& f : fields) {
      auto* field = rig.Get<QLineEdit>(f.field);
      QVERIFY2(field, f.field);
      QVERIFY(field->isReadOnly());
      QCOMPARE(field->parentWidget()->objectName(), QString::fromLatin1(f.group));
      auto* label = qobject_cast<QLabel*>(field->parentWidget()->findChild<QLabel*>(
          QStringLiteral("lbl") + QString::fromLatin1(f.field).mid(1)));
      QVERIFY2(label, f.field);
      QCOMPARE(label->text(), QString::fromUtf8(f.caption));
      // The label sits level with its field, to its left.
      const QRect labelFrame = Frame(&info, label);
      const QRect fieldFrame = Frame(&info, field);
      QVERIFY2(labelFrame.right() < fieldFrame.left(), f.field);
      QVERIFY2(std::abs(labelFrame.center().y() - fieldFrame.center().y()) <= 2, f.field);
      names << QString::fromLatin1(f.field);
    }
    QCOMPARE(info.findChildren<QLineEdit*>().size(), static_cast<qsizetype>(names.size()));
    // What the reports fill carries the captions the report grammar gives it.
    for (const TStatusField& field : StatusFields()) {
      const QString name = QString::fromStdString(field.Name);
      if (name.startsWith(QLatin1Char('e'))) {
        QVERIFY2(names.contains(name), qPrintable(name));
        QCOMPARE(info.findChild<QLabel*>(QStringLiteral("lbl") + name.mid(1))->text(),
                 ToQString(field.Caption));
      }
    }

    // The discrete inputs: three display-only boxes under "Дискретный".
    QCOMPARE(rig.Get<QLabel>("lblDState")->text(), QStringLiteral("Дискретный"));
    for (int i = 1; i <= 3; ++i) {
      auto* box = info.findChild<QCheckBox*>(QStringLiteral("cDState%1").arg(i));
      QVERIFY(box);
      QCOMPARE(box->text(), QString::number(i));
      QVERIFY(!box->isEnabled());
      QCOMPARE(box->parentWidget()->objectName(), QStringLiteral("gDiscreteSensors"));
    }

    // The signal bar beside the level field.
    auto* bar = rig.Get<QWidget>("pGSMStr");
    QVERIFY(bar);
    QCOMPARE(bar->size(), QSize(53, 17));
    const QRect barFrame = Frame(&info, bar);
    const QRect strengthFrame = Frame(&info, rig.Get<QLineEdit>("eGSMStrength"));
    QVERIFY(barFrame.left() > strengthFrame.right());
    QVERIFY(barFrame.top() >= strengthFrame.top() && barFrame.bottom() <= strengthFrame.bottom());

    // The warning: red, hidden at first, keeping its place.
    auto* warning = rig.Get<QLabel>("lMemoryOverflow");
    QCOMPARE(warning->text(), QStringLiteral("Переполнение памяти, возможна потеря данных"));
    QVERIFY(!warning->isVisible());
    QCOMPARE(warning->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(warning->parentWidget()->objectName(), QStringLiteral("gMemory"));

    // Below the middle and right columns, the three buttons one above the other at the right.
    auto* start = rig.Get<QPushButton>("btnStart");
    auto* stop = rig.Get<QPushButton>("btnStop");
    auto* close = rig.Get<QPushButton>("btnClose");
    QCOMPARE(start->text(), QStringLiteral("Начать обмен"));
    QCOMPARE(stop->text(), QStringLiteral("Остановить"));
    QCOMPARE(close->text(), QStringLiteral("Закрыть"));
    QVERIFY(close->isDefault());
    const QRect startFrame = Frame(&info, start);
    const QRect stopFrame = Frame(&info, stop);
    const QRect closeFrame = Frame(&info, close);
    QVERIFY(startFrame.bottom() < stopFrame.top() && stopFrame.bottom() < closeFrame.top());
    QCOMPARE(startFrame.left(), closeFrame.left());
    QVERIFY(info.width() - closeFrame.right() < 20);
    // The fields scroll when the screen is smaller than they are; the buttons stay below them.
    auto* scroll = rig.Get<QScrollArea>("sbFields");
    QVERIFY(!scroll->isAncestorOf(start) && !scroll->isAncestorOf(close));
    QVERIFY(startFrame.top() > Frame(&info, scroll).bottom());
    QVERIFY(startFrame.left() > columnLeft[1]);

    // Nothing cut short.
    CheckNothingElided(&info);
    info.close();
  }

  void connectionGroupFollowsTheLinkIndicators() {
    TRig rig(dir_.File("no-tty"), NoSettings());
    // Filled at creation, before the window is ever shown.
    QCOMPARE(rig.Text("ePortName"), QString::fromStdString(dir_.File("no-tty")));
    QCOMPARE(rig.Text("ePortRate"), QString::number(rig.Main->ComPort1().CustomBaudRate()));
    QCOMPARE(rig.Text("ePortConn"), QStringLiteral("Не активно"));
    QCOMPARE(rig.Text("eCmdMode"), QStringLiteral("Не активно"));
    // The port open outside command mode.
    rig.Info->RefreshLinkState("/dev/ttyUSB0", "9600", true, false);
    QCOMPARE(rig.Text("ePortName"), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(rig.Text("ePortRate"), QStringLiteral("9600"));
    QCOMPARE(rig.Text("ePortConn"), QStringLiteral("Активно"));
    QCOMPARE(rig.Text("eCmdMode"), QStringLiteral("Не активно"));
  }

  void signalBarDrawsTheWedge_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("level");
    QTest::newRow("above the top is the top") << "99" << 31;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("negative") << "-5" << 0;
    QTest::newRow("not a number") << "abc" << 0;
    QTest::newRow("half way") << "15" << 15;
    QTest::newRow("hexadecimal like the settings file") << "$0F" << 15;
  }
  void signalBarDrawsTheWedge() {
    QFETCH(QString, text);
    QFETCH(int, level);
    QCOMPARE(TQtSignalBar::LevelOf(text), level);

    TQtSignalBar bar;
    bar.SetStrengthText(text);
    QImage image = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.size(), QSize(53, 17));
    const QRgb background = bar.palette().color(QPalette::Window).rgb();
    auto black = [&](int x, int y) { return qGray(image.pixel(x, y)) < 64; };
    auto columnBlack = [&](int x, int fromY) {
      for (int y = fromY; y <= 16; ++y)
        if (!black(x, y)) return false;
      return true;
    };
    auto inkInColumn = [&](int x) {
      for (int y = 1; y <= 15; ++y)
        if (black(x, y)) return true;
      return false;
    };
    // The outline always.
    for (int x = 0; x < 53; ++x) QVERIFY(black(x, 0) && black(x, 16));
    for (int y = 0; y < 17; ++y) QVERIFY(black(0, y) && black(52, y));

    if (level == 0) {
      // No rungs and no rising edge: the inside is all background.
      for (int x = 1; x <= 51; ++x)
        for (int y = 1; y <= 15; ++y) QCOMPARE(image.pixel(x, y), background);
      return;
    }
    if (level == 15) {
      // Rungs at 5 (x 9, height 3) and 10 (x 17, height 5), the closing edge at 15 (x 26,
      // height 8), nothing to its right.
      QVERIFY(columnBlack(9, 14) && !black(9, 12));
      QVERIFY(columnBlack(17, 12) && !black(17, 10));
      QVERIFY(columnBlack(26, 9) && !black(26, 7));
      for (int x = 27; x <= 51; ++x) QVERIFY2(!inkInColumn(x), qPrintable(QString::number(x)));
      // The rising edge passes half way up at x 13.
      QVERIFY(black(13, 12) || black(13, 13));
      return;
    }
    // The full wedge: rungs at 5, 10, ... 30, the edge rising to the top-right corner.
    const int rungX[] = {9, 17, 26, 34, 43, 51};
    const int rungTop[] = {14, 12, 9, 6, 3, 1};
    for (int i = 0; i < 6; ++i)
      QVERIFY2(columnBlack(rungX[i], rungTop[i]), qPrintable(QString::number(rungX[i])));
    QVERIFY(black(51, 1) || black(50, 1));
    QVERIFY(!black(30, 2) && !black(8, 10));
  }

  void showingStartsTheExchangeStopAndCloseSendTheStopRequest() {
    TSimulatorProcess sim;
    std::string error;
    const std::string trace = dir_.File("trace-show.txt");
    QVERIFY2(StartTracedSimulator(sim, trace, error), error.c_str());
    TRig rig(sim.DevicePath(), NoSettings());
    TfmMain& fm = *rig.Main;
    TfmDeviceInfo& info = *rig.Info;
    rig.Main->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.Main.get()));

    // Nothing runs until the loop takes the posted request.
    info.show();
    QVERIFY(!info.Running());
    QCOMPARE(CountLines(fm, QStringLiteral(">")), 0);
    QTRY_VERIFY_WITH_TIMEOUT(info.Running(), 10000);
    QVERIFY(!rig.Get<QPushButton>("btnStart")->isEnabled());
    QVERIFY(rig.Get<QPushButton>("btnStop")->isEnabled());
    QCOMPARE(rig.Text("ePortConn"), QStringLiteral("Активно"));
    QCOMPARE(rig.Text("eCmdMode"), QStringLiteral("Активно"));
    QCOMPARE(rig.Text("ePortName"), QString::fromStdString(sim.DevicePath()));

    // Every field fills from the reports.
    QVERIFY(WaitFor(
        [&] {
          for (QLineEdit* field : info.findChildren<QLineEdit*>())
            if (field->text().isEmpty()) return false;
          return true;
        },
        10000));
    QCOMPARE(rig.Text("eDevName"), QStringLiteral("VT-300"));
    QCOMPARE(rig.Text("eTrackerID"), QStringLiteral("000417"));
    QCOMPARE(rig.Text("eFW_Ver"), QStringLiteral("2.14.0"));
    QCOMPARE(rig.Text("eFlashStatus"), QStringLiteral("OK (0)"));
    QCOMPARE(rig.Text("eSimStatus"), QStringLiteral("OK"));
    QCOMPARE(rig.Text("eGSMReg"), QStringLiteral("Домашняя сеть"));
    QCOMPARE(rig.Text("eGPRS"), QStringLiteral("Активно"));
    QCOMPARE(rig.Text("eServer"), QStringLiteral("193.0.2.10:20100"));
    QCOMPARE(rig.Text("eAPN"), QStringLiteral("internet(gdata,gdata)"));
    QCOMPARE(rig.Text("eFlashSize"), QStringLiteral("4194304"));
    QCOMPARE(rig.Text("eSlotsTotal"), QStringLiteral("32"));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d°\\d\\d\\.\\d{4}'N$"))
                .match(rig.Text("eLat"))
                .hasMatch());
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d\\d°\\d\\d\\.\\d{4}'E$"))
                .match(rig.Text("eLon"))
                .hasMatch());
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"))
                .match(rig.Text("eGPSTime"))
                .hasMatch());
    QVERIFY(rig.Get<QCheckBox>("cDState1")->isChecked());
    QVERIFY(!rig.Get<QCheckBox>("cDState2")->isChecked());
    QVERIFY(!rig.Get<QLabel>("lMemoryOverflow")->isVisible());
    QCOMPARE(rig.Info->findChild<TQtSignalBar*>()->Level(), rig.Text("eGSMStrength").toInt());
    CheckNothingElided(&info);
    SaveShot(&info, QStringLiteral("device-info"));

    // The start request went out once, its password hidden in the log.
    QCOMPARE(CountLines(fm, QStringLiteral(">AT+SDAD=*,,3,,,,,,,,,,,")), 1);
    QVERIFY2(!fm.LogLines->toPlainText().contains(QStringLiteral("5678")),
             qPrintable(fm.LogLines->toPlainText().left(3000)));
    QCOMPARE(CountText(ReadFile(trace), "<< AT+SDAD=5678,,3,,,,,,,,,,,\n"), 1);

    // "Остановить": the stop request, the reports end, the fields keep their texts.
    QTest::mouseClick(rig.Get<QPushButton>("btnStop"), Qt::LeftButton);
    QVERIFY(!info.Running());
    QVERIFY(rig.Get<QPushButton>("btnStart")->isEnabled());
    QVERIFY(!rig.Get<QPushButton>("btnStop")->isEnabled());
    QCOMPARE(CountLines(fm, QStringLiteral(">AT+SDAD=*,,0,,,,,,,,,,,")), 1);
    QCOMPARE(CountText(ReadFile(trace), "<< AT+SDAD=5678,,0,,,,,,,,,,,\n"), 1);
    const int reports = CountLines(fm, QStringLiteral("<+RESP:SNAV"));
    WaitFor([] { return false; }, 1500);
    QCOMPARE(CountLines(fm, QStringLiteral("<+RESP:SNAV")), reports);
    QCOMPARE(rig.Text("eDevName"), QStringLiteral("VT-300"));

    // Esc with nothing to stop leaves the window open.
    QTest::keyClick(&info, Qt::Key_Escape);
    QVERIFY(info.isVisible());

    // Closing after "Остановить" sends the stop request a second time; no "!" without buttons.
    QTest::mouseClick(rig.Get<QPushButton>("btnClose"), Qt::LeftButton);
    QVERIFY(!info.isVisible());
    QCOMPARE(CountLines(fm, QStringLiteral(">AT+SDAD=*,,0,,,,,,,,,,,")), 2);
    QCOMPARE(CountText(ReadFile(trace), "<< AT+SDAD=5678,,0,,,,,,,,,,,\n"), 2);
    QCOMPARE(CountLines(fm, QStringLiteral(">!")), 0);

    // Shown again: the old texts until new reports come; Esc stops, Enter closes.
    info.show();
    QCOMPARE(rig.Text("eDevName"), QStringLiteral("VT-300"));
    QTRY_VERIFY_WITH_TIMEOUT(info.Running(), 10000);
    QCOMPARE(CountLines(fm, QStringLiteral(">AT+SDAD=*,,3,,,,,,,,,,,")), 2);
    QTest::keyClick(&info, Qt::Key_Escape);
    QVERIFY(!info.Running());
    QVERIFY(info.isVisible());
    QTest::keyClick(&info, Qt::Key_Return);
    QVERIFY(!info.isVisible());
    QCOMPARE(CountText(ReadFile(trace), "<< AT+SDAD=5678,,0,,,,,,,,,,,\n"), 4);
  }

  void remoteControlButtonsSendTheirBytesAndClosingSendsTheCloseRequest() {
    TSimulatorProcess sim;
    std::string error;
    const std::string trace = dir_.File("trace-rc.txt");
    QVERIFY2(StartTracedSimulator(sim, trace, error), error.c_str());
    TRig rig(sim.DevicePath(),
             Settings(QStringLiteral("rc.ini"), QStringLiteral("[RC]\nГудок=AT+X\nПусто=\n")));
    TfmMain& fm = *rig.Main;
    TfmDeviceInfo& info = *rig.Info;
    info.show();
    QTRY_VERIFY_WITH_TIMEOUT(info.Running(), 10000);
    QVERIFY(WaitFor([&] { return rig.Text("eDevName") == QStringLiteral("VT-300"); }, 5000));

    // One button per key, in file order, captioned with the key.
    auto* row = rig.Get<QWidget>("bgRC");
    QVERIFY(row->isVisible());
    auto* first = rig.Get<QPushButton>("btnRC0");
    auto* second = rig.Get<QPushButton>("btnRC1");
    QVERIFY(first && second);
    QCOMPARE(first->text(), QStringLiteral("Гудок"));
    QCOMPARE(second->text(), QStringLiteral("Пусто"));
    QCOMPARE(first->width(), TfmDeviceInfo::kRcButtonWidth);
    QVERIFY(Frame(&info, first).right() < Frame(&info, rig.Get<QPushButton>("btnStart")).left());
    SaveShot(&info, QStringLiteral("device-info-rc"));

    // The first sends its command as stored; the second, without one, sends nothing.
    QTest::mouseClick(first, Qt::LeftButton);
    QCOMPARE(CountLines(fm, QStringLiteral(">AT+X")), 1);
    const int sent = CountLines(fm, QStringLiteral(">"));
    QTest::mouseClick(second, Qt::LeftButton);
    QCOMPARE(CountLines(fm, QStringLiteral(">")), sent);

    // No carriage return followed it: the terminal reads it as the front of the next line. (The
    // next request purges what the line has not taken yet; a pty takes it when the simulator
    // reads, so give it the moment a serial line needs to send four bytes.)
    WaitFor([] { return false; }, 300);
    QTest::mouseClick(rig.Get<QPushButton>("btnStop"), Qt::LeftButton);
    QVERIFY2(CountText(ReadFile(trace), "<< AT+XAT+SDAD=5678,,0,,,,,,,,,,,\n") == 1,
             ReadFile(trace).c_str());

    // Closing: the stop request, then "!" because the row is there.
    info.close();
    QVERIFY(!info.isVisible());
    QCOMPARE(CountText(ReadFile(trace), "<< AT+SDAD=5678,,0,,,,,,,,,,,\n"), 1);
    const QStringList lines = LogLines(fm);
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^>!$"))).size(), 1);
    QVERIFY(lines.lastIndexOf(QStringLiteral(">!")) >
            lines.lastIndexOf(QStringLiteral(">AT+SDAD=*,,0,,,,,,,,,,,")));
    // "!" reached the terminal: its echo is what waits on the line.
    QTRY_VERIFY_WITH_TIMEOUT(fm.ComPort1().QueuedInputCount() > 0, 3000);
    QTest::qWait(100);
    const std::string echo = fm.ComPort1().ReadText(fm.ComPort1().QueuedInputCount());
    QVERIFY2(echo.rfind('!', 0) == 0, QByteArray::fromStdString(echo).toHex().constData());
  }

  void noSessionLeavesStartEnabledAndSendsNothing() {
    TRig rig(dir_.File("no-such-tty"),
             Settings(QStringLiteral("rc-nosession.ini"), QStringLiteral("[RC]\nГудок=AT+X\n")),
             false);
    TfmMain& fm = *rig.Main;
    TfmDeviceInfo& info = *rig.Info;
    fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fm));
    bool reconnectSeen = false;
    bool startEnabled = false;
    bool stopEnabled = true;
    // The reconnect window comes up for the posted start request; the operator cancels it, then
    // closes the status window.
    QTimer cancel;
    cancel.setInterval(100);
    connect(&cancel, &QTimer::timeout, &fm, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* reconnect = qobject_cast<TfmDeviceReconnect*>(modal)) {
        reconnectSeen = true;
        reconnect->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
      } else if (modal == &info && reconnectSeen) {
        startEnabled = rig.Get<QPushButton>("btnStart")->isEnabled();
        stopEnabled = rig.Get<QPushButton>("btnStop")->isEnabled();
        rig.Get<QPushButton>("btnClose")->click();
      }
    });
    cancel.start();
    QTimer::singleShot(15000, &fm, [] {
      while (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    fm.N4Click();  // the menu's way: modal
    cancel.stop();
    QVERIFY(reconnectSeen);
    QVERIFY(startEnabled);
    QVERIFY(!stopEnabled);
    QVERIFY(!info.Running());
    QVERIFY(!info.isVisible());
    // Not a byte went out: no start, no stop request, no "!".
    QCOMPARE(CountLines(fm, QStringLiteral(">")), 0);
  }

  void mapButtonOpensThePositionShown() {
    {
      TRig rig(dir_.File("no-tty"), NoSettings());
      rig.Info->show();
      auto* map = rig.Get<QPushButton>("btnGoMap");
      QVERIFY(!map->isEnabled());
      QVERIFY(map->toolTip().startsWith(QStringLiteral("Показать на карте")));
      QVERIFY(map->toolTip().contains(QStringLiteral("MapHost")));
      rig.Info->close();
    }
    TRig rig(dir_.File("no-tty"), Settings(QStringLiteral("map.ini"),
                                           QStringLiteral("[Interface]\nMapHost=maps.example\n")));
    rig.Info->show();
    auto* map = rig.Get<QPushButton>("btnGoMap");
    QVERIFY(map->isEnabled());
    QCOMPARE(map->toolTip(), QStringLiteral("Показать на карте"));
    rig.Info->ShowReport(kWideReports[4]);
    QCOMPARE(rig.Info->MapAddress(),
             QStringLiteral("http://maps.example/?text=55°45.1200'N,037°37.0500'E"));
    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "Open");
    QTest::mouseClick(map, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(catcher.Opened.size(), 1);
    QCOMPARE(catcher.Opened[0].host(), QStringLiteral("maps.example"));
    QCOMPARE(catcher.Opened[0].path(), QStringLiteral("/"));
    QCOMPARE(catcher.Opened[0].query(QUrl::FullyDecoded),
             QStringLiteral("text=55°45.1200'N,037°37.0500'E"));
    rig.Info->close();
  }

  void reportsFillTheirFieldsAndNothingIsCutShort() {
    TRig rig(dir_.File("no-tty"), NoSettings());
    rig.Info->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.Info.get()));
    for (const char* report : kWideReports) rig.Info->ShowReport(report);
    QCOMPARE(rig.Text("eFlashStatus"), QStringLiteral("Ошибка (3)"));
    QCOMPARE(rig.Text("eGPSStatus"), QStringLiteral("OK (0)"));
    QCOMPARE(rig.Text("eSimStatus"), QStringLiteral("Требуется PIN"));
    QCOMPARE(rig.Text("eGSMReg"), QStringLiteral("Роуминг"));
    QCOMPARE(rig.Text("eServerState"), QStringLiteral("N/A 12"));
    QCOMPARE(rig.Text("eDRelay1"), QStringLiteral("Разомкнуто"));
    QCOMPARE(rig.Text("eUptime"), QStringLiteral("30d 0h 36m 23s"));
    QCOMPARE(rig.Text("eMODE_ACC_STOP"), QStringLiteral("Зафиксирована"));
    QCOMPARE(rig.Text("eCoordFrozen"), QStringLiteral("Заморожены"));
    QVERIFY(rig.Get<QCheckBox>("cDState1")->isChecked());
    QVERIFY(!rig.Get<QCheckBox>("cDState2")->isChecked());
    QVERIFY(!rig.Get<QCheckBox>("cDState3")->isChecked());
    CheckNothingElided(rig.Info.get());

    // Memory past its size: the warning shows, in red, and goes again with the next report.
    const QSize size = rig.Info->size();
    rig.Info->ShowReport("+RESP:SFPT,00000010,00500000,00400000,28,32");
    QVERIFY(rig.Get<QLabel>("lMemoryOverflow")->isVisible());
    QCOMPARE(rig.Info->size(), size);
    CheckNothingElided(rig.Info.get());
    SaveShot(rig.Info.get(), QStringLiteral("device-info-overflow"));
    rig.Info->ShowReport(kWideReports[3]);
    QVERIFY(!rig.Get<QLabel>("lMemoryOverflow")->isVisible());
    rig.Info->close();
  }

  void stateWordsComeFromTheLanguageFile() {
#ifdef QUILLON_TEST_QM
    QTranslator translator;
    QVERIFY(translator.load(QString::fromUtf8(QUILLON_TEST_QM)));
    QCoreApplication::installTranslator(&translator);
    {
      TRig rig(dir_.File("no-tty"), NoSettings());
      QCOMPARE(rig.Info->windowTitle(), QStringLiteral("Device status"));
      rig.Info->RefreshLinkState("/dev/ttyUSB0", "9600", true, false);
      QCOMPARE(rig.Text("ePortConn"), QStringLiteral("Active"));
      QCOMPARE(rig.Text("eCmdMode"), QStringLiteral("Not active"));
      rig.Info->ShowReport("+RESP:SGSM,1,0,8,25001,Op,18,h,1,a,u,p");
      QCOMPARE(rig.Text("eServerState"), QStringLiteral("Connected"));
      QCOMPARE(rig.Text("eGPRS"), QStringLiteral("Not active"));
      // Protocol names stay as they are.
      rig.Info->ShowReport("+RESP:SGSM,1,0,4,25001,Op,18,h,1,a,u,p");
      QCOMPARE(rig.Text("eServerState"), QStringLiteral("gprs_act"));
      rig.Info->ShowReport(kWideReports[2]);
      QCOMPARE(rig.Text("eDRelay1"), QStringLiteral("Open"));
      // Words the file does not have keep their built-in text.
      QCOMPARE(rig.Text("eIgnition"), QStringLiteral("Включено"));
    }
    QCoreApplication::removeTranslator(&translator);
#else
    QSKIP("no lrelease: the test language file was not built");
#endif
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TDeviceInfoTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "device_info_test.moc"
