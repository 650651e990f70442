// The reconnect window's countdown and "Повторить", the entry window's tries and "Остановить".
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/gui_tests.h"
#include "link/com_port.h"
#include "link/log_model.h"
#include "link/qt/fm_device_reconnect.h"
#include "link/qt/fm_waiting_data.h"
#include "link/session_ui.h"
#include "link/terminal_session.h"
#include "settings/settings.h"
#include "ui/qt_session_ui.h"

namespace quillon::test {

namespace {

// Ends a modal run that a failed check left open, so a broken test fails instead of hanging.
void Watchdog(QDialog& dialog, int ms = 10000) {
  QTimer::singleShot(ms, &dialog, [&dialog] {
    if (dialog.isVisible()) dialog.done(-1);
  });
}

}  // namespace

class TSessionWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void reconnectCountsDownAndRetriesAtOnce() {
    TfmDeviceReconnect window;
    auto* label = window.findChild<QLabel*>(QStringLiteral("lblRetryInterval"));
    auto* retry = window.findChild<QPushButton*>(QStringLiteral("btnRetryNow"));
    QVERIFY(label && retry);
    QCOMPARE(window.windowTitle(), QStringLiteral("Ожидание устройства"));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblMessage"))->text(),
             QStringLiteral("Идет подключение ждите"));
    QCOMPARE(retry->text(), QStringLiteral("Повторить"));
    QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("btnCancel"))->text(),
             QStringLiteral("Остановить"));

    int attempts = 0;
    QStringList seen;
    // Attempts 1 (at once) and 2 (after the countdown) fail; 3 ("Повторить") succeeds.
    auto tryOpen = [&] {
      ++attempts;
      return attempts == 3;
    };
    QTimer::singleShot(150, &window, [&] {
      seen << QString::number(attempts) << label->text();
      // The timer's ticks, run by hand: five seconds pass.
      for (int i = 0; i < TfmDeviceReconnect::kRetrySeconds; ++i) {
        window.tmWaitIntervalTimer();
        seen << label->text();
      }
      seen << QString::number(attempts);
      QTest::mouseClick(retry, Qt::LeftButton);
    });
    Watchdog(window);
    QVERIFY(window.Run(tryOpen));
    QCOMPARE(attempts, 3);
    QCOMPARE(seen, QStringList({"1", "Подключение через 5", "Подключение через 4",
                                "Подключение через 3", "Подключение через 2", "Подключение через 1",
                                "Подключение через 5", "2"}));
  }

  void reconnectStopsOnCancel() {
    TfmDeviceReconnect window;
    int attempts = 0;
    QTimer::singleShot(100, &window, [&] {
      QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnCancel")),
                        Qt::LeftButton);
    });
    Watchdog(window);
    QVERIFY(!window.Run([&] {
      ++attempts;
      return false;
    }));
    QCOMPARE(attempts, 1);
    auto* timer = window.findChild<QTimer*>(QStringLiteral("tmWaitInterval"));
    QVERIFY(timer && !timer->isActive());

    // The next run starts afresh with an attempt at once.
    int second = 0;
    QVERIFY(window.Run([&] { return ++second == 1; }));
    QCOMPARE(second, 1);
  }

  void entryWindowRunsTriesUntilOneSucceeds() {
    QWidget owner;
    owner.setGeometry(100, 80, 900, 600);
    owner.show();
    TfmWaitingData window(&owner);
    QCOMPARE(window.windowTitle(), QStringLiteral("Установка связи"));
    // A desktop that honours window hints offers its close button, which stops like "Остановить".
    QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
    QRect shownAt;
    Watchdog(window);
    auto* tries = window.findChild<QLabel*>(QStringLiteral("lblTries"));
    QVERIFY(tries);
    QStringList counted;
    const bool ok = window.Run([&] {
      counted << tries->text();
      shownAt = window.frameGeometry();
      if (window.Tries() == 1) SaveShot(&window, QStringLiteral("entry"));
      QTest::qWait(10);
      return window.Tries() == 3;
    });
    QVERIFY(ok);
    QCOMPARE(window.Tries(), 3);
    QCOMPARE(counted, QStringList({"Попытка 1", "Попытка 2", "Попытка 3"}));
    QVERIFY(!window.isVisible());
    const QRect main = owner.frameGeometry();
    QCOMPARE(shownAt.left(), main.left() + (main.width() - shownAt.width()) / 2);
    QCOMPARE(shownAt.top(), main.top() + (main.height() - shownAt.height()) / 2);
  }

  // A device that is not there: the session's reconnect window names the port and the system's
  // reason with its remedy.
  void reconnectShowsPortAndReasonOfMissingDevice() {
    const std::string path = "/dev/ttyQuillonMissing7";
    QWidget owner;
    TSettings settings;
    TLogModel log{settings};
    TMemoryProgressBar progress;
    TComPort port;
    port.SetPort(path);
    TQtSessionUi ui(&owner, nullptr, nullptr);
    TTerminalSession session{port, log, settings, ui, progress};
    QString shownPort, shownReason;
    bool reasonVisible = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* window = qobject_cast<TfmDeviceReconnect*>(QApplication::activeModalWidget());
      if (!window || !window->isVisible()) return;
      poll.stop();
      shownPort = window->findChild<QLabel*>(QStringLiteral("lblPort"))->text();
      auto* reason = window->findChild<QLabel*>(QStringLiteral("lblReason"));
      shownReason = reason->text();
      reasonVisible = reason->isVisible();
      SaveShot(window, QStringLiteral("reconnect_missing"));
      window->btnCancelClick();
    });
    poll.start(20);
    QVERIFY(!session.EnsureSession());
    QCOMPARE(shownPort, QStringLiteral("Порт: ") + QString::fromStdString(path));
    QVERIFY(reasonVisible);
    QVERIFY2(shownReason.contains(QString::fromStdString(path)) &&
                 shownReason.contains(QStringLiteral("устройство не подключено")),
             qPrintable(shownReason));
  }

  void entryWindowStopsOnStop() {
    TfmWaitingData window;
    auto* stop = window.findChild<QPushButton*>(QStringLiteral("btnStop"));
    QVERIFY(stop);
    QCOMPARE(stop->text(), QStringLiteral("Остановить"));
    int triesAtStop = -1;
    QTimer::singleShot(300, &window, [&] {
      triesAtStop = window.Tries();
      QTest::mouseClick(stop, Qt::LeftButton);
    });
    Watchdog(window);
    // Each try blocks like a transaction does; the click lands between two tries.
    const bool ok = window.Run([] {
      QTest::qSleep(30);
      return false;
    });
    QVERIFY(!ok);
    QVERIFY(triesAtStop >= 1);
    QVERIFY(window.Tries() <= triesAtStop + 1);
  }

  void tryFailingAtOnceDoesNotSpin() {
    TfmWaitingData window;
    QTimer::singleShot(600, &window, [&] { window.btnStopClick(); });
    Watchdog(window);
    QVERIFY(!window.Run([] { return false; }));
    // Spaced out to about five a second rather than thousands.
    QVERIFY2(window.Tries() >= 1 && window.Tries() <= 10,
             qPrintable(QString::number(window.Tries())));
  }
};

int RunSessionWindowTests(int argc, char** argv) {
  TSessionWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace quillon::test

#include "session_windows_test.moc"
