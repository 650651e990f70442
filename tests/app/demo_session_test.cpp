// The main window against the simulated terminal: the menu's session actions drive the real
// windows, the status panels and the log, and a poll fills the editor.
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/answer_modal.h"
#include "app/fm_main.h"
#include "app/gui_tests.h"
#include "editor/qt/qt_parameter_editor.h"
#include "engine/command_engine.h"
#include "link/log_model.h"
#include "link/qt/fm_device_reconnect.h"
#include "link/terminal_session.h"
#include "sim/simulator_process.h"
#include "status/status_exchange.h"
#include "ui/qt_log_view.h"
#include "ui/qt_text.h"

namespace quillon::test {

namespace {

bool LogHas(TfmMain& fm, const QString& text) {
  return fm.LogLines->toPlainText().contains(text);
}

// Runs a real event loop (one that blocks between events, as a modal window's does) until the
// condition holds or the time is up.
bool RunLoopUntil(const std::function<bool()>& condition, int timeoutMs) {
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (condition()) loop.quit();
  });
  check.start(20);
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  loop.exec();
  return condition();
}

}  // namespace

class TDemoSessionTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  TMainOptions Options(const std::string& port) {
    TMainOptions options;
    options.ProfilePath = "cmdprofile.xml";
    options.SettingsPath = (dir_.path() + QStringLiteral("/none.ini")).toStdString();
    options.PortOverride = port;
    options.FallbackPassword = "1234";
    options.FallbackMasterPassword = "5678";
    return options;
  }

 private slots:
  void connectPollLeaveAndLoseTheDevice() {
    TSimulatorProcess sim;
    std::string error;
    QVERIFY2(sim.Start(
                 {"--profile", "cmdprofile.xml", "--password", "1234", "--master-password", "5678"},
                 5000, error),
             error.c_str());
    TfmMain fm(nullptr, Options(sim.DevicePath()));
    fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fm));

    fm.Connect1Click();
    QVERIFY(fm.InCommandMode());
    QCOMPARE(fm.StatusPanels[3]->text(), QStringLiteral("LINK"));
    QCOMPARE(fm.StatusPanels[4]->text(), QStringLiteral("CMD"));

    // "+SGPR" heads the first page: its answer lands in the editor.
    fm.Editor().SetInputText(0, 0, 0, 1, "changed");
    QVERIFY(fm.Engine().PollCommand({0, 0, 0, 0}));
    QVERIFY(LogHas(fm, QStringLiteral(">AT+SGPR=?")));
    QVERIFY(LogHas(fm, QStringLiteral("<+RESP:SGPR,")));
    QCOMPARE(ToQString(fm.Editor().InputText(0, 0, 0, 1)), QStringLiteral("internet"));
    SaveShot(&fm, QStringLiteral("main-in-session"));

    fm.Leavecommandmode1Click();
    QVERIFY(!fm.InCommandMode());
    QVERIFY(fm.StatusPanels[4]->text().isEmpty());
    QCOMPARE(fm.StatusPanels[3]->text(), QStringLiteral("LINK"));

    // The device goes away while the program is idle: the port watch notices.
    fm.ProgramSettings().PortPoll = true;
    fm.ApplyInterfaceSettings();  // closes the port, as a confirmed settings dialog does
    QVERIFY(!fm.Session().IsPortOpen());
    QVERIFY(fm.Session().OpenPort());
    sim.Stop();
    QTRY_VERIFY_WITH_TIMEOUT(!fm.Session().IsPortOpen(), 5000);
    QVERIFY(LogHas(fm, QStringLiteral("]Device disconnected")));
    QVERIFY(fm.StatusPanels[3]->text().isEmpty());
    QVERIFY(fm.StatusPanels[4]->text().isEmpty());
  }

  // The status reports reach a listener through the window's event path, and a device that
  // vanishes while the listener waits is noticed and reported as anywhere else, without the
  // idle port watch.
  void vanishingDeviceNoticedWhileAListenerWaits() {
    TSimulatorProcess sim;
    std::string error;
    QVERIFY2(sim.Start({"--profile", "cmdprofile.xml", "--password", "1234"}, 5000, error),
             error.c_str());
    TfmMain fm(nullptr, Options(sim.DevicePath()));
    fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fm));
    fm.ProgramSettings().PortPoll = false;
    fm.ApplyInterfaceSettings();

    const TGeneralNumberFormatter formatter;
    TStatusExchange exchange(fm.Session(), TStatusTexts(), formatter);
    int reports = 0;
    exchange.OnReport = [&](const std::string&, const std::vector<TStatusUpdate>& updates) {
      if (!updates.empty()) ++reports;
    };
    QVERIFY(exchange.Start());
    QVERIFY2(RunLoopUntil([&] { return reports >= 6; }, 5000),
             qPrintable(fm.LogLines->toPlainText()));
    QVERIFY(LogHas(fm, QStringLiteral("<AT+SDAD=*,,3,,,,,,,,,,,")));
    QVERIFY(!LogHas(fm, QStringLiteral("1234")));

    sim.Stop();
    QVERIFY(RunLoopUntil([&] { return !fm.Session().IsPortOpen(); }, 5000));
    QVERIFY(LogHas(fm, QStringLiteral("]Device disconnected")));
    QVERIFY(!fm.InCommandMode());
    QVERIFY(fm.StatusPanels[3]->text().isEmpty());
    QVERIFY(fm.StatusPanels[4]->text().isEmpty());
  }

  // Without the port watch a vanished device is found by the next request: its log line and its
  // question name the port and the cause, and "LINK" and "CMD" go out.
  void deviceLostWhileIdleIsNamedByTheNextRequest() {
    TSimulatorProcess sim;
    std::string error;
    QVERIFY2(sim.Start({"--profile", "cmdprofile.xml", "--password", "1234"}, 5000, error),
             error.c_str());
    const QString port = QString::fromStdString(sim.DevicePath());
    TfmMain fm(nullptr, Options(sim.DevicePath()));
    fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fm));
    fm.Connect1Click();
    QVERIFY(fm.InCommandMode());
    sim.Stop();

    QString detail;
    QMessageBox* asked = nullptr;
    AnswerModal<QMessageBox>([&](QMessageBox* box) {
      asked = box;
      detail = box->informativeText();
      box->button(QMessageBox::Cancel)->click();
    });
    QVERIFY(!fm.Engine().PollCommand({0, 0, 0, 0}));
    QVERIFY(asked);
    QCOMPARE(detail, port + QStringLiteral(": устройство пропало (отключено?)"));
    QVERIFY2(LogHas(fm, QStringLiteral("purge ") + port +
                            QStringLiteral(": Input/output error - устройство пропало")),
             qPrintable(fm.LogLines->toPlainText()));
    QVERIFY(!fm.InCommandMode());
    QVERIFY(fm.StatusPanels[3]->text().isEmpty());
    QVERIFY(fm.StatusPanels[4]->text().isEmpty());
  }

  void missingDeviceShowsTheReconnectWindowUntilStopped() {
    TfmMain fm(nullptr, Options((dir_.path() + QStringLiteral("/no-such-tty")).toStdString()));
    fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fm));
    QString caption;
    QTimer::singleShot(300, &fm, [&] {
      auto* window = qobject_cast<TfmDeviceReconnect*>(QApplication::activeModalWidget());
      if (!window) return;
      caption = window->windowTitle();
      SaveShot(window, QStringLiteral("reconnect"));
      window->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    });
    QTimer::singleShot(10000, &fm, [] {
      if (auto* modal = QApplication::activeModalWidget()) modal->close();
    });
    fm.Connect1Click();
    QCOMPARE(caption, QStringLiteral("Ожидание устройства"));
    QVERIFY(!fm.InCommandMode());
    QVERIFY(!fm.Session().IsPortOpen());
    QVERIFY(LogHas(fm, QStringLiteral("]Не могу открыть порт, исключение=")));
    QVERIFY(fm.StatusPanels[3]->text().isEmpty());

    // Leaving and storing without a session send nothing and open no window.
    const int lines = fm.LogLines->document()->blockCount();
    fm.Storesettingsintoflash1Click();
    fm.Leavecommandmode1Click();
    QVERIFY(!fm.InCommandMode());
    QVERIFY(fm.LogLines->document()->blockCount() >= lines);
    QVERIFY(!LogHas(fm, QStringLiteral(">AT+SAVE")));
  }
};

int RunDemoSessionTests(int argc, char** argv) {
  TDemoSessionTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace quillon::test

#include "demo_session_test.moc"
