// "Сравнить с файлом…": the file is read without touching the editor, the differing values are
// listed, and only the values the operator takes reach the editor, as typed values.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
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
#include "editor/qt/fm_config_compare.h"
#include "editor/qt/qt_parameter_editor.h"
#include "link/log_model.h"
#include "settings/program_paths.h"
#include "ui/qt_text.h"

namespace quillon::test {

namespace {

QString Cell(QTableWidget* table, int row, int column) {
  const QTableWidgetItem* item = table->item(row, column);
  return item ? item->text() : QString();
}

int RowOf(QTableWidget* table, const QString& address) {
  for (int row = 0; row < table->rowCount(); ++row)
    if (Cell(table, row, TfmConfigCompare::colAddress) == address) return row;
  return -1;
}

QPushButton* TakeButton(QTableWidget* table, int row) {
  return qobject_cast<QPushButton*>(table->cellWidget(row, TfmConfigCompare::colTake));
}

}  // namespace

class TConfigCompareGuiTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  std::unique_ptr<TfmMain> Make() { return MakeOfflineMainWindow(dir_); }

  QString Path(const char* name) const { return dir_.path() + QLatin1Char('/') + name; }

  static void Write(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

  static ParamAddress At(TfmMain& fm, const char* name, int instance, int param) {
    int page = -1, command = -1;
    fm.Profile().FindCommand(name, page, command);
    return {page, command, instance, param};
  }

 private slots:
  void listsDifferencesAndTakesOnlyWhatIsAsked() {
    auto fm = Make();
    TQtParameterEditor& editor = fm->Editor();
    const ParamAddress snam = At(*fm, "+SNAM", 0, 0), zone = At(*fm, "+STIM", 0, 0),
                       sync = At(*fm, "+STIM", 0, 1), port = At(*fm, "+SSRV", 1, 1);
    THeadlessEditor source(fm->Profile());
    source.SetInputText(snam.Page, snam.Command, 0, 0, FromQString(QStringLiteral("Грузовик 7")));
    source.SetInputText(zone.Page, zone.Command, 0, 0, "-5");
    source.SetOptionIndex(sync.Page, sync.Command, 0, 1, 2);
    source.SetInputText(port.Page, port.Command, 1, 1, "9001");
    TConfigMessages messages;
    std::string xml = WriteConfigurationXml(fm->Profile(), source, messages);
    // A command a file must not write (read only), with a value unlike the editor's.
    const std::string end = " </ExportCommandParamenters>";
    xml.insert(xml.find(end),
               "  <command name=\"+SGSM\">\r\n   <index index=\"0\">\r\n    <parameter "
               "index=\"0\">Other</parameter>\r\n   </index>\r\n  </command>\r\n");
    Write(Path("other.zxml"), DeflateBest(xml));
    // The operator polled the name earlier: taking the file's name makes it "changed".
    editor.SetLastReadValue(snam.Page, snam.Command, 0, 0, "Veltra");
    const int changedBefore = editor.ChangedCount();

    auto answered = std::make_shared<bool>(false);
    QString fileDialogTitle;
    AnswerModal<QFileDialog>([this, answered, &editor, snam, zone, sync, port,
                              &fileDialogTitle](QFileDialog* d) {
      fileDialogTitle = d->windowTitle();
      TypePath(d, Path("other.zxml"));
      AnswerModal<TfmConfigCompare>(
          [&editor, snam, zone, sync, port](TfmConfigCompare* fm) {
            // A failed check returns early: the dialog still closes.
            const std::unique_ptr<QDialog, void (*)(QDialog*)> closer(
                fm, [](QDialog* d) { d->done(QDialog::Accepted); });
            QTableWidget* table = fm->tblDifferences;
            QCOMPARE(table->rowCount(), 5);
            // Nothing has reached the editor yet.
            QCOMPARE(editor.InputText(snam.Page, snam.Command, 0, 0), std::string("Veltra"));
            const int name = RowOf(table, QStringLiteral("+SNAM[0]"));
            QVERIFY(name >= 0);
            QCOMPARE(Cell(table, name, TfmConfigCompare::colDescription),
                     QStringLiteral("Название"));
            QCOMPARE(Cell(table, name, TfmConfigCompare::colEditor), QStringLiteral("Veltra"));
            QCOMPARE(Cell(table, name, TfmConfigCompare::colFile), QStringLiteral("Грузовик 7"));
            QVERIFY(RowOf(table, QStringLiteral("+SSRV#2[1]")) >= 0);
            QCOMPARE(
                Cell(table, RowOf(table, QStringLiteral("+STIM[1]")), TfmConfigCompare::colFile),
                QStringLiteral("По сети GSM (2)"));
            const int gsm = RowOf(table, QStringLiteral("+SGSM[0]"));
            QVERIFY(gsm >= 0);
            QVERIFY(!TakeButton(table, gsm)->isEnabled());
            QVERIFY(!TakeButton(table, gsm)->toolTip().isEmpty());
            fm->show();
            QTest::qWait(50);
            const QByteArray shots = qgetenv("QUILLON_TEST_SCREENSHOTS");
            if (!shots.isEmpty())
              fm->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/compare.png"));

            TakeButton(table, name)->click();
            QCOMPARE(editor.InputText(snam.Page, snam.Command, 0, 0),
                     FromQString(QStringLiteral("Грузовик 7")));
            QCOMPARE(editor.ValueOrigin(snam.Page, snam.Command, 0, 0), voTyped);
            QVERIFY(editor.ValueChanged(snam.Page, snam.Command, 0, 0));
            QVERIFY(!TakeButton(table, name)->isEnabled());
            QCOMPARE(Cell(table, name, TfmConfigCompare::colEditor), QStringLiteral("Грузовик 7"));
            QCOMPARE(editor.InputText(zone.Page, zone.Command, 0, 0), std::string("3"));

            fm->btnTakeAll->click();
            QCOMPARE(editor.InputText(zone.Page, zone.Command, 0, 0), std::string("-5"));
            QCOMPARE(editor.OptionIndex(sync.Page, sync.Command, 0, 1), 2);
            QCOMPARE(editor.InputText(port.Page, port.Command, 1, 1), std::string("9001"));
            QCOMPARE(editor.ValueOrigin(port.Page, port.Command, 1, 1), voTyped);
            QVERIFY(!fm->btnTakeAll->isEnabled());
            QVERIFY(!fm->RowTaken(gsm));
          },
          answered);
      static_cast<QDialog*>(d)->accept();
    });
    fm->findChild<QAction*>(QStringLiteral("Compare1"))->trigger();
    QCOMPARE(fileDialogTitle, QStringLiteral("Сравнить с файлом"));
    QVERIFY(*answered);
    int page = -1, command = -1;
    fm->Profile().FindCommand("+SGSM", page, command);
    QVERIFY(editor.InputText(page, command, 0, 0) != "Other");
    QCOMPARE(editor.ChangedCount(), changedBefore + 1);
    QVERIFY(fm->Log().Lines().empty());
  }

  void unreadableFilesSayWhyAsLoadingDoes() {
    auto fm = Make();
    QVERIFY(!fm->CompareConfiguration(Path("missing.zxml")));
    QVERIFY(!fm->Log().Lines().empty());
    QVERIFY(ToQString(fm->Log().Lines().back().Text)
                .startsWith(QStringLiteral("]Не могу открыть файл, ошибка=")));

    Write(Path("broken.zxml"), "not a configuration file");
    QString error;
    AnswerModal<QMessageBox>([&error](QMessageBox* box) {
      error = box->text();
      box->accept();
    });
    QVERIFY(!fm->CompareConfiguration(Path("broken.zxml")));
    QVERIFY2(error.startsWith(QStringLiteral("Error")), qPrintable(error));

    // A file equal to the editor: the dialog says so, with nothing to take.
    TConfigMessages messages;
    QVERIFY(SaveConfigurationToFile(fm->Profile(), fm->Editor(), Path("same.zxml").toStdString(),
                                    messages));
    QString summary;
    bool takeAll = true;
    AnswerModal<TfmConfigCompare>([&summary, &takeAll](TfmConfigCompare* d) {
      summary = d->lblSummary->text();
      takeAll = d->btnTakeAll->isEnabled();
      d->accept();
    });
    QVERIFY(fm->CompareConfiguration(Path("same.zxml")));
    QCOMPARE(summary, QStringLiteral("Значения файла совпадают со значениями редактора."));
    QVERIFY(!takeAll);
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TConfigCompareGuiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "config_compare_gui_test.moc"
