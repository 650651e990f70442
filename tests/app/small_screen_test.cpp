// The main window on a small screen (run under Xvfb with a 1024x600 screen): it opens inside
// the screen's free area, the status bar in sight, and keeps its minimum size.
#include <QApplication>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/fm_main.h"
#include "settings/program_paths.h"

namespace quillon::test {

class TSmallScreenTest : public QObject {
  Q_OBJECT

 private slots:
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
