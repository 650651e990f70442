// The protocol log pane's context menu ("Сохранить протокол…", "Очистить") and the session log
// file that follows the pane while Interface/SessionLog is on.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/answer_modal.h"
#include "app/fm_main.h"
#include "link/log_model.h"
#include "link/session_log.h"
#include "settings/program_paths.h"
#include "settings/settings.h"
#include "ui/qt_log_view.h"
#include "ui/qt_text.h"

namespace quillon::test {

namespace {

QStringList FileLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QAction* Entry(QMenu* menu, const char* name) {
  return menu->findChild<QAction*>(QString::fromLatin1(name));
}

const QRegularExpression kStamp(
    QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));

}  // namespace

class TLogMenuGuiTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  QString Path(const char* name) const { return dir_.path() + QLatin1Char('/') + name; }

 private slots:
  void savesAndClearsThePane() {
    TSettings settings;
    settings.Password = "1234";
    TLogModel model(settings);
    TLogView view;
    view.Attach(&model);
    {
      std::unique_ptr<QMenu> empty(view.CreateContextMenu());
      QVERIFY(!Entry(empty.get(), "SaveLog1")->isEnabled());
      QVERIFY(!Entry(empty.get(), "ClearLog1")->isEnabled());
    }
    model.WriteLog("AT+SSRV=1234,1,", 1);
    model.WriteLog(FromQString(QStringLiteral("Порт закрыт")), 4);

    std::unique_ptr<QMenu> menu(view.CreateContextMenu());
    QAction* save = Entry(menu.get(), "SaveLog1");
    QAction* clearAction = Entry(menu.get(), "ClearLog1");
    QVERIFY(save && clearAction);
    QCOMPARE(save->text(), QStringLiteral("Сохранить протокол…"));
    QCOMPARE(clearAction->text(), QStringLiteral("Очистить"));
    QVERIFY(save->isEnabled());
    const QString shots = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
    if (!shots.isEmpty()) {
      view.resize(500, 200);
      view.show();
      menu->popup(view.mapToGlobal(QPoint(40, 20)));
      QTest::qWait(50);
      view.grab().save(shots + QStringLiteral("/log_pane.png"));
      menu->grab().save(shots + QStringLiteral("/log_menu.png"));
      menu->hide();
    }

    ChooseFile(Path("pane.log"));
    save->trigger();
    const QStringList lines = FileLines(Path("pane.log"));
    QCOMPARE(lines.size(), 2);
    QVERIFY2(kStamp.match(lines[0]).hasMatch(), qPrintable(lines[0]));
    QCOMPARE(lines[0].mid(24), QStringLiteral(">AT+SSRV=*,1,"));
    QCOMPARE(lines[1].mid(24), QStringLiteral("]Порт закрыт"));

    clearAction->trigger();
    QCOMPARE(view.toPlainText(), QString());
    QVERIFY(model.Lines().empty());
    model.WriteLog("next", 4);
    QCOMPARE(view.toPlainText(), QStringLiteral("]next"));

    // A file that cannot be written: the pane says so.
    QVERIFY(!view.SaveProtocol(Path("no/such/folder.log")));
    QVERIFY(view.toPlainText().contains(QStringLiteral("Не могу сохранить протокол")));
  }

  // The setting turns the file on and off; what goes in is what the pane shows, masked, each
  // line stamped.
  void sessionLogFollowsTheSetting() {
    const QString ini = Path("Quillon.ini");
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Interface]\r\nSessionLog=1\r\n[Device]\r\nPassword=1234\r\n");
    file.close();
    TMainOptions options;
    options.ProfilePath = "cmdprofile.xml";
    options.SettingsPath = ini.toStdString();
    auto fm = std::make_unique<TfmMain>(nullptr, options);
    QVERIFY(fm->SessionLog());
    const QString log = Path("quillon-session.log");
    QCOMPARE(QString::fromStdString(fm->SessionLog()->Path()), log);

    fm->Log().WriteLog("AT+SNAM=1234,Truck,", 1);
    QStringList lines = FileLines(log);
    QVERIFY(!lines.isEmpty());
    QVERIFY2(kStamp.match(lines.last()).hasMatch(), qPrintable(lines.last()));
    QCOMPARE(lines.last().mid(24), QStringLiteral(">AT+SNAM=*,Truck,"));

    fm->ProgramSettings().SessionLog = false;
    fm->ApplyInterfaceSettings();
    QVERIFY(!fm->SessionLog());
    fm->Log().WriteLog("not in the file", 4);
    QCOMPARE(FileLines(log), lines);

    fm->ProgramSettings().SessionLog = true;
    fm->ApplyInterfaceSettings();
    fm->Log().WriteLog("again", 4);
    lines = FileLines(log);
    QCOMPARE(lines.last().mid(24), QStringLiteral("]again"));
    // Clearing the pane leaves the file as it is.
    fm->LogLines->ClearProtocol();
    QCOMPARE(FileLines(log), lines);
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TLogMenuGuiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "log_menu_gui_test.moc"
