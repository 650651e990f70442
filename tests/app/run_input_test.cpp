// The windows a run opens take the operator's clicks and keys; the main window's do not. Input is
// sent the way a desktop delivers it: Qt Test events to the window (QWindow), which pass through
// the window system interface and every event filter before a widget sees them.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>

#include "app/answer_modal.h"
#include "link/com_port.h"
#include "link/log_model.h"
#include "link/qt/fm_device_reconnect.h"
#include "link/qt/fm_waiting_data.h"
#include "link/serial_sim.h"
#include "link/terminal_session.h"
#include "settings/program_paths.h"
#include "settings/settings.h"
#include "ui/qt_input_guard.h"
#include "ui/qt_session_ui.h"

namespace quillon::test {

namespace {

// A click in the middle of the widget, sent to its window.
void ClickThroughWindow(QWidget* widget) {
  QWidget* top = widget->window();
  QVERIFY(top->windowHandle());
  QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::KeyboardModifiers(),
                    widget->mapTo(top, widget->rect().center()));
}

void KeyThroughWindow(QWidget* top, Qt::Key key) {
  QVERIFY(top->windowHandle());
  QTest::keyClick(top->windowHandle(), key);
}

// A modal window that stays up is closed after a while, so that a window deaf to the operator
// fails its test instead of hanging the suite; *stuck tells it happened.
void Watchdog(std::shared_ptr<bool> stuck, int ms = 6000) {
  QTimer::singleShot(ms, [stuck] {
    if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      *stuck = true;
      modal->done(-1);
    }
  });
}

// What the operator does at the window, once it is up and active.
template <class T>
void AtModal(std::function<void(T*)> act, std::shared_ptr<bool> reached) {
  AnswerModal<T>(
      [act](T* window) {
        QVERIFY(QTest::qWaitForWindowActive(window));
        act(window);
      },
      reached);
}

QPushButton* Button(QWidget* window, const char* name) {
  auto* button = window->findChild<QPushButton*>(QString::fromLatin1(name));
  if (!button) qWarning("no button %s", name);
  return button;
}

}  // namespace

// The main window's place taken by a plain window with a button, and a session on a simulated
// terminal with the real session windows.
struct TRunRig {
  TRunRig() {
    settings.Timeout = 100;
    settings.TimeoutInterval = 50;
    settings.TimeoutEcho = 50;
    settings.COM = "SIM1";
    port.ApplyPortSettings(settings);
    line->SetEcho(true);
    mainButton = new QPushButton(QStringLiteral("Получить"), &owner);
    QObject::connect(mainButton, &QPushButton::clicked, [this] { ++mainClicks; });
    owner.setCentralWidget(mainButton);
    owner.resize(400, 300);
    owner.show();
    ui.SetWindows(&entry, &reconnect);
  }

  // The terminal enters command mode at the access code.
  void AnswerTheAccessCode() { line->OnRequest("4817365", "\r\n>"); }

  int RequestsOf(const std::string& request) const {
    int n = 0;
    for (const std::string& r : line->Requests()) n += r == request;
    return n;
  }

  QMainWindow owner;
  QPushButton* mainButton = nullptr;
  int mainClicks = 0;
  TSettings settings;
  std::shared_ptr<TSimulatedLine> line = std::make_shared<TSimulatedLine>();
  TComPort port{line};
  TLogModel log{settings};
  TMemoryProgressBar progress;
  TQtSessionUi ui{&owner, nullptr, nullptr};
  TTerminalSession session{port, log, settings, ui, progress};
  TQtInputGuard guard;
  TfmWaitingData entry{&owner};
  TfmDeviceReconnect reconnect{&owner};
};

class TRunInputTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false); }

  // The line fails under the first request: the retry question comes, inside the run, and the
  // operator answers it with the mouse or the keyboard.
  void retryQuestionTakesClicksAndKeys_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("retried");
    QTest::newRow("click Повторить") << "Retry" << true;
    QTest::newRow("click Отмена") << "Cancel" << false;
    QTest::newRow("Enter") << "Enter" << true;
    QTest::newRow("Esc") << "Esc" << false;
  }
  void retryQuestionTakesClicksAndKeys() {
    QFETCH(QString, answer);
    QFETCH(bool, retried);
    TRunRig rig;
    rig.port.Open();
    rig.line->FailOn(TSimOp::Write, 1);
    auto reached = std::make_shared<bool>(false);
    auto stuck = std::make_shared<bool>(false);
    QString detail;
    AtModal<QMessageBox>(
        [answer, &detail](QMessageBox* box) {
          detail = box->informativeText();
          if (answer == QLatin1String("Retry"))
            ClickThroughWindow(box->button(QMessageBox::Retry));
          else if (answer == QLatin1String("Cancel"))
            ClickThroughWindow(box->button(QMessageBox::Cancel));
          else
            KeyThroughWindow(box,
                             answer == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Escape);
        },
        reached);
    Watchdog(stuck);
    bool error = false;
    rig.guard.Run([&] {
      std::string reply;
      rig.session.ExecuteCommand("AT+SGPR=?", error, "", false, true, false, -1, reply);
    });
    QVERIFY(*reached);
    QVERIFY2(!*stuck, "the question ignored the operator");
    QCOMPARE(detail, QStringLiteral("SIM1: устройство пропало (отключено?)"));
    QCOMPARE(rig.RequestsOf("AT+SGPR=?"), retried ? 1 : 0);
    QCOMPARE(error, !retried);
  }

  // A refusal of the terminal is told in a message box inside the run; OK, Enter and Esc close
  // it.
  void messageBoxTakesClicksAndKeys_data() {
    QTest::addColumn<QString>("answer");
    QTest::newRow("click OK") << "OK";
    QTest::newRow("Enter") << "Enter";
    QTest::newRow("Esc") << "Esc";
  }
  void messageBoxTakesClicksAndKeys() {
    QFETCH(QString, answer);
    TRunRig rig;
    auto reached = std::make_shared<bool>(false);
    auto stuck = std::make_shared<bool>(false);
    AtModal<QMessageBox>(
        [answer](QMessageBox* box) {
          if (answer == QLatin1String("OK"))
            ClickThroughWindow(box->button(QMessageBox::Ok));
          else
            KeyThroughWindow(box,
                             answer == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Escape);
        },
        reached);
    Watchdog(stuck);
    rig.guard.Run([&] { rig.ui.ShowMessage("Неверно задан пароль"); });
    QVERIFY(*reached);
    QVERIFY2(!*stuck, "the message box ignored the operator");
  }

  // The terminal never gives its prompt: the entry window tries until the operator stops it.
  void entryWindowStopsOnClickAndEsc_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("click Остановить") << "click";
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("close button") << "close";
  }
  void entryWindowStopsOnClickAndEsc() {
    QFETCH(QString, how);
    TRunRig rig;
    auto reached = std::make_shared<bool>(false);
    auto stuck = std::make_shared<bool>(false);
    AtModal<TfmWaitingData>(
        [how](TfmWaitingData* window) {
          QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
          if (how == QLatin1String("Esc"))
            KeyThroughWindow(window, Qt::Key_Escape);
          else if (how == QLatin1String("close"))
            window->windowHandle()->close();  // as the window manager's close button does
          else
            ClickThroughWindow(Button(window, "btnStop"));
        },
        reached);
    Watchdog(stuck);
    bool entered = true;
    rig.guard.Run([&] { entered = rig.session.EnsureSession(); });
    QVERIFY(*reached);
    QVERIFY2(!*stuck, "the entry window ignored the operator");
    QVERIFY(!entered);
    QVERIFY(!rig.session.InCommandMode);
  }

  // The device is busy: the reconnect window waits; "Повторить" tries at once, "Остановить"
  // gives up.
  void reconnectWindowRetriesAndStopsOnClick_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("retry");
    QTest::newRow("click Повторить") << "btnRetryNow" << true;
    QTest::newRow("click Остановить") << "btnCancel" << false;
    QTest::newRow("close button") << "" << false;
  }
  void reconnectWindowRetriesAndStopsOnClick() {
    QFETCH(QString, how);
    QFETCH(bool, retry);
    TRunRig rig;
    rig.AnswerTheAccessCode();
    rig.line->SetBusy(true);
    auto reached = std::make_shared<bool>(false);
    auto stuck = std::make_shared<bool>(false);
    AtModal<TfmDeviceReconnect>(
        [&rig, how](TfmDeviceReconnect* window) {
          QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
          // The first attempt fails at once; the next is five seconds away.
          QTRY_COMPARE(window->Counter(), TfmDeviceReconnect::kRetrySeconds);
          rig.line->SetBusy(false);
          if (how.isEmpty())
            window->windowHandle()->close();
          else
            ClickThroughWindow(Button(window, how.toLatin1().constData()));
        },
        reached);
    Watchdog(stuck, 4000);
    bool entered = false;
    rig.guard.Run([&] { entered = rig.session.EnsureSession(); });
    QVERIFY(*reached);
    QVERIFY2(!*stuck, "the reconnect window ignored the operator");
    QCOMPARE(entered, retry);
    QCOMPARE(rig.session.IsPortOpen(), retry);
  }

  // The user may not use the port: trying every five seconds cannot help, so the window waits
  // for "Повторить" and says why.
  void reconnectWindowWaitsForTheOperatorWhenAccessIsDenied() {
    TRunRig rig;
    rig.AnswerTheAccessCode();
    rig.line->SetDenied(true);
    auto reached = std::make_shared<bool>(false);
    auto stuck = std::make_shared<bool>(false);
    QString shown;
    bool countingDown = true;
    int counter = -1;
    AtModal<TfmDeviceReconnect>(
        [&](TfmDeviceReconnect* window) {
          // Longer than a countdown step: nothing moves until the operator acts.
          QTest::qWait(1300);
          countingDown = window->CountingDown();
          counter = window->Counter();
          shown = window->findChild<QLabel*>(QStringLiteral("lblRetryInterval"))->text();
          rig.line->SetDenied(false);  // the administrator gave access
          ClickThroughWindow(Button(window, "btnRetryNow"));
        },
        reached);
    Watchdog(stuck, 5000);
    bool entered = false;
    rig.guard.Run([&] { entered = rig.session.EnsureSession(); });
    QVERIFY(*reached);
    QVERIFY(!*stuck);
    QVERIFY(!countingDown);
    QCOMPARE(counter, 0);
    QVERIFY2(shown.contains(QStringLiteral("«Повторить»")), qPrintable(shown));
    QVERIFY(entered);
    QCOMPARE(rig.line->OpenCount(), 1);
  }

  // What the operator clicks or types in the main window while a run holds it is thrown away,
  // not replayed afterwards; Esc is noted so that a page run can stop.
  void mainWindowInputDuringARunIsDiscarded() {
    TRunRig rig;
    QVERIFY(QTest::qWaitForWindowExposed(&rig.owner));
    bool stopAsked = false;
    rig.guard.Run([&] {
      ClickThroughWindow(rig.mainButton);
      KeyThroughWindow(&rig.owner, Qt::Key_Escape);
      stopAsked = rig.guard.StopRequested();
    });
    QCOMPARE(rig.mainClicks, 0);
    QVERIFY(stopAsked);
    // The same click after the run reaches the button.
    ClickThroughWindow(rig.mainButton);
    QCOMPARE(rig.mainClicks, 1);
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TRunInputTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "run_input_test.moc"
