// The windows on a small screen (run under Xvfb with a 1024x600 screen, and the status window
// again at 1366x768): they open inside the screen's free area with every field and button in
// reach. Input that only a real X server has (the selection pasted by a middle click) is tried
// here too.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "app/answer_modal.h"
#include "app/fm_about_box.h"
#include "app/fm_main.h"
#include "link/qt/fm_device_reconnect.h"
#include "link/qt/fm_waiting_data.h"
#include "settings/program_paths.h"
#include "settings/qt/fm_settings.h"
#include "settings/qt/qt_password_edit.h"
#include "status/qt/fm_device_info.h"

namespace quillon::test {

namespace {

// With QUILLON_TEST_SCREENSHOTS=DIR, the whole screen as DIR/name-WxH.png.
void ShotOfScreen(const QString& name) {
  const QString dir = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
  QScreen* screen = QGuiApplication::primaryScreen();
  if (dir.isEmpty() || !screen) return;
  QDir().mkpath(dir);
  screen->grabWindow(0).save(QStringLiteral("%1/%2-%3x%4.png")
                                 .arg(dir, name)
                                 .arg(screen->size().width())
                                 .arg(screen->size().height()));
}

QString Describe(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

}  // namespace

class TSmallScreenTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  TMainOptions Options() {
    TMainOptions options;
    options.ProfilePath = "cmdprofile.xml";
    options.SettingsPath = dir_.filePath(QStringLiteral("Quillon.ini")).toStdString();
    options.PortOverride = dir_.filePath(QStringLiteral("no-such-port")).toStdString();
    return options;
  }

 private slots:
  // Every field of the status window can be scrolled into sight and its buttons are on screen;
  // on a screen that has the room nothing needs scrolling sideways.
  void statusWindowFitsTheScreen() {
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    TfmMain fm(nullptr, Options());
    fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fm));
    TfmDeviceInfo info(fm.Session(), fm.ProgramSettings(), fm.SettingsPath(), &fm);
    // The window asks for a session when shown; the missing port's reconnect window is stopped.
    AnswerModal<TfmDeviceReconnect>([](TfmDeviceReconnect* window) { window->reject(); });
    info.show();
    QVERIFY(QTest::qWaitForWindowExposed(&info));
    QTest::qWait(300);
    QVERIFY2(room.contains(info.frameGeometry()),
             qPrintable(Describe(info.frameGeometry()) + " on " + Describe(room)));
    auto* scroll = info.findChild<QScrollArea*>(QStringLiteral("sbFields"));
    QVERIFY(scroll);
    for (QLineEdit* field : info.findChildren<QLineEdit*>()) {
      scroll->ensureWidgetVisible(field);
      const QRect shown(field->mapTo(scroll->viewport(), QPoint(0, 0)), field->size());
      QVERIFY2(scroll->viewport()->rect().intersects(shown), qPrintable(field->objectName()));
    }
    for (const char* name : {"btnStart", "btnStop", "btnClose"}) {
      auto* button = info.findChild<QPushButton*>(QString::fromLatin1(name));
      const QRect at(button->mapToGlobal(QPoint(0, 0)), button->size());
      QVERIFY2(room.contains(at), name);
      QVERIFY(!scroll->isAncestorOf(button));
    }
    if (room.width() >= 1300) QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    scroll->ensureVisible(0, 0);
    ShotOfScreen(QStringLiteral("status-window"));
    info.reject();
  }

  // The settings dialog, the About window and the session windows open inside the screen.
  void dialogsFitTheScreen() {
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    TfmMain fm(nullptr, Options());
    fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fm));
    TfmSettings settings(fm.ProgramSettings(), fm.Profile(), &fm);
    TAboutBox about(&fm);
    TfmWaitingData entry(&fm);
    TfmDeviceReconnect reconnect(&fm);
    for (QWidget* window : std::initializer_list<QWidget*>{&settings, &about, &entry, &reconnect}) {
      window->show();
      QVERIFY(QTest::qWaitForWindowExposed(window));
      QVERIFY2(
          room.contains(window->frameGeometry()),
          qPrintable(window->objectName() + QLatin1Char(' ') + Describe(window->frameGeometry())));
      window->hide();
    }
  }

  // A middle click pastes the X selection: into a password field only its digits go.
  void middleClickPasteIntoAPasswordTakesDigitsOnly() {
    if (!QApplication::clipboard()->supportsSelection()) QSKIP("no selection on this platform");
    TfmMain fm(nullptr, Options());
    TfmSettings settings(fm.ProgramSettings(), fm.Profile(), &fm);
    settings.show();
    QVERIFY(QTest::qWaitForWindowExposed(&settings));
    QApplication::clipboard()->setText(QStringLiteral("12345xyz!"), QClipboard::Selection);
    QTRY_COMPARE(QApplication::clipboard()->text(QClipboard::Selection),
                 QStringLiteral("12345xyz!"));
    settings.edtPassword->clear();
    QTest::mouseClick(
        settings.windowHandle(), Qt::MiddleButton, Qt::NoModifier,
        settings.edtPassword->mapTo(&settings, settings.edtPassword->rect().center()));
    QCOMPARE(settings.edtPassword->text(), QStringLiteral("12345"));
  }

  void mainWindowFitsTheScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    const QRect room = screen->availableGeometry();
    if (room.height() > 700) QSKIP("meant for a screen at most 700 pixels high (Xvfb 1024x600)");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TMainOptions options;
    options.ProfilePath = "cmdprofile.xml";
    options.SettingsPath = dir.filePath(QStringLiteral("Quillon.ini")).toStdString();
    TfmMain fm(nullptr, options);
    fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fm));
    QTest::qWait(100);

    QVERIFY2(room.contains(fm.frameGeometry()),
             qPrintable(QStringLiteral("frame %1,%2 %3x%4 on %5x%6")
                            .arg(fm.frameGeometry().x())
                            .arg(fm.frameGeometry().y())
                            .arg(fm.frameGeometry().width())
                            .arg(fm.frameGeometry().height())
                            .arg(room.width())
                            .arg(room.height())));
    const QRect bar(fm.StatusBar1->mapToGlobal(QPoint(0, 0)), fm.StatusBar1->size());
    QVERIFY(fm.StatusBar1->isVisible());
    QVERIFY(room.contains(bar));
    QCOMPARE(fm.minimumSize(), QSize(800, 300));
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TSmallScreenTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "small_screen_test.moc"
