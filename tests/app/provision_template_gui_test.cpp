// A configuration saved from the main window ("Сохранить конфигурацию в файл", the file
// dialog answered as an operator would) is a provisioning template as it is: quillon-cli
// provision writes it to a simulated terminal without any extra option.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/answer_modal.h"
#include "app/fm_main.h"
#include "editor/qt/qt_parameter_editor.h"
#include "settings/program_paths.h"
#include "sim/simulator_process.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace quillon::test {

class TProvisionGuiTemplateTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  QString Path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }

 private slots:
  // The window's file, as saved, is the template: with the APN account typed in, and as it is
  // at start, where the APN password is an empty field (saved as an element with no text).
  void savedFromTheWindowProvisionsUnchanged_data() {
    QTest::addColumn<bool>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("account typed") << true << QStringLiteral("+SGPR=1,gui.apn,fleet,secret9,");
    QTest::newRow("as at start") << false << QStringLiteral("+SGPR=1,internet,,,");
  }

  void savedFromTheWindowProvisionsUnchanged() {
    QFETCH(bool, typed);
    QFETCH(QString, expected);
    TMainOptions options;
    options.ProfilePath = "cmdprofile.xml";
    options.SettingsPath = Path("none.ini").toStdString();
    auto fm = std::make_unique<TfmMain>(nullptr, options);
    // +SGPR is on the page built at start. Its APN password is never reported by a terminal,
    // so a template must give it: typed, or saved empty.
    if (typed) {
      fm->Editor().SetInputText(0, 0, 0, 1, "gui.apn");
      fm->Editor().SetInputText(0, 0, 0, 2, "fleet");
      fm->Editor().SetInputText(0, 0, 0, 3, "secret9");
    }
    const QString name = typed ? QStringLiteral("typed") : QStringLiteral("start");
    ChooseFile(Path(name + ".zxml"));
    fm->findChild<QAction*>(QStringLiteral("Save1"))->trigger();
    QVERIFY(QFile::exists(Path(name + ".zxml")));

    const std::string state = Path(name + ".state").toStdString();
    TSimulatorProcess sim;
    sim.SetErrorFile(Path(name + ".trace").toStdString());
    std::string error;
    QVERIFY2(sim.Start({"--state", state, "--imei", "860000000000077", "--trace"}, 5000, error),
             error.c_str());
    const std::string report = Path(name + ".csv").toStdString();
    const TProgramRun run = RunProgram(
        std::filesystem::absolute("quillon-cli").string(),
        {"provision", "--config", Path(name + ".zxml").toStdString(), "--ports", sim.DevicePath(),
         "--report", report, "--snapshots", Path("snapshots").toStdString(), "--password", "1234",
         "--master-password", "5678"},
        {{}, dir_.path().toStdString(), "", 120});
    QVERIFY2(run.Code == 0, (run.Out + run.Err).c_str());
    const std::string stored = ReadFile(state);
    QVERIFY2(stored.find(expected.toStdString()) != std::string::npos, stored.c_str());
    const std::string rows = ReadFile(report);
    QVERIFY2(rows.find(",860000000000077,") != std::string::npos &&
                 rows.find(",passed,") != std::string::npos,
             rows.c_str());
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TProvisionGuiTemplateTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "provision_template_gui_test.moc"
