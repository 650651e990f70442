// Saving and loading configurations through the main window's menu: the file dialogs answered
// by the test, pages not yet built, the controls seen to change, messages and the error box.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/answer_modal.h"
#include "app/fm_main.h"
#include "app/offline_main_window.h"
#include "configfiles/bounded_inflater.h"
#include "configfiles/config_file.h"
#include "editor/headless_editor.h"
#include "editor/qt/qt_integer_edit.h"
#include "editor/qt/qt_page_tabs.h"
#include "editor/qt/qt_parameter_editor.h"
#include "link/log_model.h"
#include "settings/program_paths.h"
#include "ui/qt_text.h"

namespace quillon::test {

namespace {

// Sample profile addresses: page 3 "Безопасность" (+SACC hex, +SGRD option and two optional
// integers), page 4 "Сервис" (+SNAM string, +STIM integer and option).
constexpr int kSecurity = 3, kService = 4;
constexpr int kSacc = 2, kSgrd = 3, kSnam = 1, kStim = 2;

bool PageBuilt(TfmMain& fm, int page) {
  return fm.PageControl1->widget(page)->findChild<QScrollArea*>() != nullptr;
}

// Panel 1 says so in a word that fits, the tool tip what was done, and it clears after a while.
void CheckSuccessShown(TfmMain& fm, const QString& what) {
  QLabel* panel = fm.StatusPanels[1];
  QCOMPARE(panel->text(), QStringLiteral("✓ OK"));
  QVERIFY(panel->fontMetrics().horizontalAdvance(panel->text()) <= panel->contentsRect().width());
  QVERIFY2(panel->toolTip().contains(what), qPrintable(panel->toolTip()));
  auto* timer = fm.findChild<QTimer*>(QStringLiteral("StatusMessageTimer"));
  QVERIFY(timer && timer->isActive() && timer->isSingleShot());
  QCOMPARE(timer->interval(), TfmMain::kStatusMessageMs);
  timer->start(1);  // run out at once
  QTRY_VERIFY(panel->text().isEmpty());
}

QString LastLogLine(TfmMain& fm) {
  const auto& lines = fm.Log().Lines();
  return lines.empty() ? QString() : ToQString(lines.back().Text);
}

}  // namespace

class TConfigFilesGuiTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  std::unique_ptr<TfmMain> Make() { return MakeOfflineMainWindow(dir_); }

  QString Path(const char* name) const { return dir_.path() + QLatin1Char('/') + name; }

  static void Trigger(TfmMain& fm, const char* action) {
    fm.findChild<QAction*>(QString::fromLatin1(action))->trigger();
  }

 private slots:
  void savesEveryPageThroughTheMenuBeforeItIsBuilt() {
    auto fm = Make();
    QVERIFY(!PageBuilt(*fm, kService));
    fm->Editor().SetInputText(0, 0, 0, 1, "apn.example");  // page 0 is built at start
    ChooseFile(Path("saved.zxml"));
    Trigger(*fm, "Save1");

    // Whatever the window saved, a headless editor of the same profile reads back the same.
    THeadlessEditor expected(fm->Profile());
    expected.SetInputText(0, 0, 0, 1, "apn.example");
    THeadlessEditor loaded(fm->Profile());
    TConfigMessages messages;
    const TLoadResult r = LoadConfigurationFromFile(fm->Profile(), loaded,
                                                    Path("saved.zxml").toStdString(), messages);
    QCOMPARE(r.Outcome, loLoaded);
    QVERIFY(messages.Empty());
    TConfigMessages ignored;
    QCOMPARE(WriteConfigurationXml(fm->Profile(), loaded, ignored),
             WriteConfigurationXml(fm->Profile(), expected, ignored));
    CheckSuccessShown(*fm, QStringLiteral("сохранена"));
    QVERIFY(fm->Log().Lines().empty());
  }

  void asksBeforeOverwritingAndKeepsTheFileWhenRefused() {
    auto fm = Make();
    QFile old(Path("old.zxml"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier");
    old.close();
    auto asked = std::make_shared<bool>(false);
    AnswerModal<QFileDialog>([this, asked](QFileDialog* dialog) {
      TypePath(dialog, Path("old.zxml"));
      AnswerModal<QMessageBox>([](QMessageBox* box) { box->reject(); }, asked);
      QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
      // Refused: the dialog stays; give up on it once the question is answered.
      QTimer::singleShot(1500, dialog, [dialog] { dialog->reject(); });
    });
    Trigger(*fm, "Save1");
    QVERIFY(*asked);
    QFile check(Path("old.zxml"));
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("earlier"));
  }

  void loadsIntoPagesNotYetBuiltThroughTheMenu() {
    auto fm = Make();
    THeadlessEditor source(fm->Profile());
    source.SetInputText(kService, kSnam, 0, 0, FromQString(QStringLiteral("Грузовик 7")));
    source.SetInputText(kService, kStim, 0, 0, "-5");
    source.SetOptionIndex(kService, kStim, 0, 1, 2);
    source.SetInputText(kSecurity, kSacc, 0, 0, "1F2E");
    source.SetChecked(kSecurity, kSgrd, 0, 1, false);
    source.SetInputText(kSecurity, kSgrd, 0, 1, "120");
    TConfigMessages messages;
    QVERIFY(
        SaveConfigurationToFile(fm->Profile(), source, Path("in.zxml").toStdString(), messages));

    QVERIFY(!PageBuilt(*fm, kService));
    QVERIFY(!PageBuilt(*fm, kSecurity));
    ChooseFile(Path("in.zxml"));
    Trigger(*fm, "Load1");

    TQtParameterEditor& editor = fm->Editor();
    auto* name =
        qobject_cast<QLineEdit*>(editor.FindParameterControl(kService, kSnam, 0, 0, ckInput));
    QVERIFY(name);
    QCOMPARE(name->text(), QStringLiteral("Грузовик 7"));
    auto* zone =
        qobject_cast<TIntegerEdit*>(editor.FindParameterControl(kService, kStim, 0, 0, ckInput));
    QVERIFY(zone);
    QCOMPARE(zone->Text(), QStringLiteral("-5"));
    auto* sync =
        qobject_cast<QComboBox*>(editor.FindParameterControl(kService, kStim, 0, 1, ckInput));
    QCOMPARE(sync->currentIndex(), 2);
    auto* mask =
        qobject_cast<QLineEdit*>(editor.FindParameterControl(kSecurity, kSacc, 0, 0, ckInput));
    QCOMPARE(mask->text(), QStringLiteral("1F2E"));
    auto* box =
        qobject_cast<QCheckBox*>(editor.FindParameterControl(kSecurity, kSgrd, 0, 1, ckCheckBox));
    QVERIFY(!box->isChecked());
    QWidget* delay = editor.FindParameterControl(kSecurity, kSgrd, 0, 1, ckInput);
    QVERIFY(!delay->isEnabled());  // through the check box's own handler
    QCOMPARE(qobject_cast<TIntegerEdit*>(delay)->Text(), QStringLiteral("120"));
    const QString shots = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
    if (!shots.isEmpty()) {
      fm->PageControl1->setCurrentIndex(kService);
      fm->resize(1100, 800);
      fm->grab().save(shots + QStringLiteral("/config_loaded.png"));
    }
    CheckSuccessShown(*fm, QStringLiteral("загружена"));
    QVERIFY(fm->Log().Lines().empty());
  }

  void logsTheLoadersMessagesWithKindFour() {
    auto fm = Make();
    const std::string xml =
        "<Quillon><ExportCommandParamenters><command name=\"+SNAM\"><index index=\"0\">"
        "<parameter index=\"0\">ok</parameter></index></command><command name=\"+ZZZZ\"/>"
        "</ExportCommandParamenters></Quillon>";
    const std::string data = DeflateBest(xml);
    QFile file(Path("unknown.zxml"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data.data(), static_cast<qint64>(data.size()));
    file.close();
    ChooseFile(Path("unknown.zxml"));
    Trigger(*fm, "Load1");
    QCOMPARE(LastLogLine(*fm), QStringLiteral("]Команда +ZZZZ не найдена"));
    QCOMPARE(fm->Log().Lines().back().Color, fm->ProgramSettings().GeneralErrorColorText);
    QVERIFY(fm->StatusPanels[1]->text().isEmpty());  // a load that stopped did not succeed
    auto* name =
        qobject_cast<QLineEdit*>(fm->Editor().FindParameterControl(kService, kSnam, 0, 0, ckInput));
    QCOMPARE(name->text(), QStringLiteral("ok"));  // set before the stop
  }

  void showsDamagedDataInTheErrorBoxAndChangesNothing() {
    auto fm = Make();
    const std::string good = DeflateBest(
        "<Quillon><command name=\"+SNAM\"><index><parameter>cut</parameter></index></command>"
        "</Quillon>");
    QFile file(Path("cut.zxml"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(good.data(), static_cast<qint64>(good.size() - 3));
    file.close();
    QString shown;
    AnswerModal<QFileDialog>([this, &shown](QFileDialog* dialog) {
      TypePath(dialog, Path("cut.zxml"));
      AnswerModal<QMessageBox>([&shown](QMessageBox* box) {
        shown = box->text();
        box->accept();
      });
      static_cast<QDialog*>(dialog)->accept();
    });
    Trigger(*fm, "Load1");
    QVERIFY2(shown.startsWith(QStringLiteral("Error")), qPrintable(shown));
    QVERIFY(shown.size() > 7);
    QVERIFY(fm->Log().Lines().empty());
    auto* name =
        qobject_cast<QLineEdit*>(fm->Editor().FindParameterControl(kService, kSnam, 0, 0, ckInput));
    QCOMPARE(name->text(), QStringLiteral("Veltra"));
  }

  void logsASaveThatFailedAndSaysNothingInThePanel() {
    auto fm = Make();
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("folder.zxml")));
    QVERIFY(!fm->SaveConfiguration(Path("folder.zxml")));
    QVERIFY2(LastLogLine(*fm).startsWith(QStringLiteral("]Не могу создать файл, ошибка=")),
             qPrintable(LastLogLine(*fm)));
    QVERIFY(fm->StatusPanels[1]->text().isEmpty());
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TConfigFilesGuiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "config_files_gui_test.moc"
