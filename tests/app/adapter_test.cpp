// The Qt adapters: progress bar, the retry question, the About window's panels and language files.
#include <QAbstractButton>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "app/fm_about_box.h"
#include "app/fm_main.h"
#include "app/gui_tests.h"
#include "ui/qt_language.h"
#include "ui/qt_progress_bar.h"
#include "ui/qt_session_ui.h"
#include "ui/qt_text.h"

namespace quillon::test {

class TAdapterTest : public QObject {
  Q_OBJECT

 private slots:
  void progressBarClampsAndShowsAnEmptyRangeAsEmpty() {
    QProgressBar bar;
    TQtProgressBar progress(&bar);
    progress.SetMax(3);
    progress.SetPosition(2);
    QCOMPARE(bar.maximum(), 3);
    QCOMPARE(bar.value(), 2);
    progress.SetPosition(7);
    QCOMPARE(progress.Position(), 3);
    progress.SetPosition(-1);
    QCOMPARE(progress.Position(), 0);

    // A marker "0 of 0": the bar must not turn into a busy indicator.
    progress.SetMax(0);
    QCOMPARE(progress.Max(), 0);
    QCOMPARE(progress.Position(), 0);
    QVERIFY(bar.maximum() > bar.minimum());
    QCOMPARE(bar.value(), bar.minimum());
  }

  // The question keeps its caption and text and says what happened below them; it is wide
  // enough for a window manager to show its whole caption in a bold title font.
  void retryQuestionHasItsCaptionButtonsAndNoIcon() {
    QWidget owner;
    TQtSessionUi ui(&owner, nullptr, nullptr);
    for (const bool chooseRetry : {true, false}) {
      QString caption;
      QString text;
      QString detail;
      int width = 0;
      int captionWidth = 0;
      QMessageBox::Icon icon = QMessageBox::Warning;
      int buttons = 0;
      QTimer::singleShot(100, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        caption = box->windowTitle();
        text = box->text();
        detail = box->informativeText();
        icon = box->icon();
        buttons = box->buttons().size();
        width = box->width();
        QFont bold = box->font();
        bold.setBold(true);
        captionWidth = QFontMetrics(bold).horizontalAdvance(caption);
        box->button(chooseRetry ? QMessageBox::Retry : QMessageBox::Cancel)->click();
      });
      QCOMPARE(
          ui.AskRetry(FromQString(QStringLiteral("/dev/ttyUSB0: устройство пропало (отключено?)"))),
          chooseRetry);
      QCOMPARE(caption, QStringLiteral("Ошибка передачи данных"));
      QCOMPARE(text, QStringLiteral("Повторить попытку?"));
      QCOMPARE(detail, QStringLiteral("/dev/ttyUSB0: устройство пропало (отключено?)"));
      QCOMPARE(icon, QMessageBox::NoIcon);
      QCOMPARE(buttons, 2);
      QVERIFY2(
          width >= captionWidth + 100,
          qPrintable(QStringLiteral("%1 px for a caption of %2").arg(width).arg(captionWidth)));
    }
  }

  void aboutBoxShowsOnePanelByTrueCustomer() {
    TAboutBox about;
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    auto* panel1 = about.findChild<QFrame*>(QStringLiteral("Panel1"));
    auto* panel2 = about.findChild<QFrame*>(QStringLiteral("Panel2"));
    QVERIFY(panel1 && panel2);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    about.SetTrueCustomer(true);
    SaveShot(&about, QStringLiteral("about-true-customer"));
    QVERIFY(panel1->isVisible() && panel1->isEnabled());
    QVERIFY(!panel2->isVisible());

    about.SetTrueCustomer(false);
    SaveShot(&about, QStringLiteral("about"));
    QVERIFY(panel2->isVisible());
    QVERIFY(!panel1->isEnabled());
    QCOMPARE(panel2->geometry(), panel1->geometry());  // the second covers the first

    QVERIFY(!TAboutBox::Version().isEmpty());
    QVERIFY(
        about.findChild<QLabel*>(QStringLiteral("Version"))->text().contains(TAboutBox::Version()));
    about.SetProgramTitle(QStringLiteral("Конфигуратор Veltra VT-300"));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("ProductName"))->text(),
             QStringLiteral("Конфигуратор Veltra VT-300"));
  }

  void languageFileTakesTheFirstCandidateThatExists() {
    QTemporaryDir dir;
    const std::string missing = (dir.path() + QStringLiteral("/quillon.ENU.qm")).toStdString();
    const std::string bogus =
        WriteTestFile(dir.path(), QStringLiteral("quillon.XX.qm"), "not a translation");
    QCOMPARE(InstallLanguageFile(*qApp, {}), nullptr);
    QCOMPARE(InstallLanguageFile(*qApp, {missing, bogus}), nullptr);
    QCOMPARE(QCoreApplication::translate("quillon::TfmMain", "Файл"), QStringLiteral("Файл"));

#ifdef QUILLON_TEST_QM
    // Only the two-letter file exists: it is used, and windows made afterwards speak English.
    QTranslator* translator = InstallLanguageFile(*qApp, {missing, QUILLON_TEST_QM});
    QVERIFY(translator);
    {
      TMainOptions options;
      options.ProfilePath = "cmdprofile.xml";
      options.SettingsPath = (dir.path() + QStringLiteral("/none.ini")).toStdString();
      TfmMain fm(nullptr, options);
      QCOMPARE(fm.findChild<QAction*>(QStringLiteral("Exit1"))->text(), QStringLiteral("Exit"));
      // Texts from the profile are never translated.
      QCOMPARE(fm.windowTitle(), QStringLiteral("Конфигуратор Veltra VT-300"));
    }
    QCoreApplication::removeTranslator(translator);
    delete translator;
#endif
  }
};

int RunAdapterTests(int argc, char** argv) {
  TAdapterTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace quillon::test

#include "adapter_test.moc"
