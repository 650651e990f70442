// What the operator sees of changes: each value's origin, the fields that differ from what the
// terminal last sent, their count in the tab's hint and the status bar, and the verified apply.
// The main window's real widgets, offscreen, against quillon-sim on a pseudo-terminal.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/fm_main.h"
#include "app/sim_main_window.h"
#include "editor/qt/qt_integer_edit.h"
#include "editor/qt/qt_page_tabs.h"
#include "editor/qt/qt_parameter_editor.h"
#include "link/log_model.h"
#include "settings/program_paths.h"
#include "sim/simulator_process.h"
#include "ui/qt_elided_label.h"
#include "ui/qt_text.h"

namespace quillon::test {
namespace {

constexpr int kPage = 0;
constexpr int kSgpr = 0, kSsrv = 1;

const char kInitialState[] =
    "+SGPR=2,apn.example,user1,secret,\n"
    "+SSRV=10.0.0.1,9001,1,120,10.0.0.2,9002,0,300,10.0.0.3,9003,1,600,\n"
    "+SPHN=+70000000001,3,+70000000002,2,+70000000003,0,+70000000004,1,\n"
    "+SPIN=4321,\n";

}  // namespace

class TChangeTrackingTest : public TSimMainWindowTest {
  Q_OBJECT

 private:
  std::unique_ptr<TModalOperator> operator_;

  bool Start(const std::vector<std::string>& extra = {}) {
    if (!StartSimAndWindow(kInitialState, extra)) return false;
    operator_ = std::make_unique<TModalOperator>();
    fm_->resize(1000, 800);
    fm_->show();
    return QTest::qWaitForWindowExposed(fm_.get());
  }

  TQtParameterEditor& Editor() { return fm_->Editor(); }
  QWidget* Control(int command, int instance, int param) {
    return Editor().FindParameterControl(kPage, command, instance, param, ckInput);
  }
  void Click(const QString& name) { ClickPageButton(kPage, name); }
  QString ChangedPanelText() {
    auto* panel = fm_->findChild<QLabel*>(QStringLiteral("ChangedPanel"));
    return panel && panel->isVisible() ? panel->text() : QString();
  }
  // Every input of the page whose value differs from the terminal's, as "command:instance:param".
  QStringList ChangedOnPage() {
    QStringList changed;
    const TDevCommand* cmd = nullptr;
    for (int c = 0; (cmd = fm_->Profile().Command(kPage, c)) != nullptr; ++c)
      for (int k = 0; k < (cmd->Indexed ? cmd->MaxIndex : 1); ++k)
        for (int p = 0; p < static_cast<int>(cmd->Parameters.size()); ++p)
          if (Editor().ValueChanged(kPage, c, k, p))
            changed << QStringLiteral("%1:%2:%3").arg(c).arg(k).arg(p);
    return changed;
  }

 private slots:
  void init() { QVERIFY(dir_.isValid()); }
  void cleanup() {
    operator_.reset();
    fm_.reset();
    sim_.reset();
  }

  void originsAndChangedFields() {
    QVERIFY(Start());
    for (int p = 0; p < 3; ++p) {
      QCOMPARE(Editor().ValueOrigin(kPage, kSsrv, 1, p), voDefault);
      QVERIFY(Control(kSsrv, 1, p)->property(TQtParameterEditor::kDefaultOriginProperty).toBool());
    }
    QCOMPARE(ChangedPanelText(), QString());

    Click(QStringLiteral("page_0_poll"));
    QCOMPARE(Editor().ValueOrigin(kPage, kSsrv, 1, 1), voRead);
    QCOMPARE(Editor().ValueOrigin(kPage, kSgpr, 0, 0), voRead);
    // The password is never read: it keeps its default origin.
    QCOMPARE(Editor().ValueOrigin(kPage, kSgpr, 0, 3), voDefault);
    QVERIFY(!Control(kSsrv, 1, 1)->property(TQtParameterEditor::kDefaultOriginProperty).toBool());
    QCOMPARE(ChangedOnPage(), QStringList());

    auto* port = qobject_cast<TIntegerEdit*>(Control(kSsrv, 1, 1));
    QVERIFY(port);
    TypeOver(port, QStringLiteral("8080"));
    auto* apn = qobject_cast<QLineEdit*>(Control(kSgpr, 0, 1));
    TypeOver(apn, QStringLiteral("other.apn"));
    QCOMPARE(ChangedOnPage(), QStringList({"0:0:1", "1:1:1"}));
    QCOMPARE(Editor().ValueOrigin(kPage, kSsrv, 1, 1), voTyped);
    QCOMPARE(fm_->PageControl1->tabToolTip(kPage), QStringLiteral("Изменено: 2"));
    QCOMPARE(fm_->PageControl1->tabToolTip(kPage + 1), QString());
    QCOMPARE(ChangedPanelText(), QStringLiteral("Изменено: 2"));
    QVERIFY(port->property(TQtParameterEditor::kChangedProperty).toBool());
    QVERIFY2(port->toolTip().contains(QStringLiteral("Прочитано из терминала: 9002")),
             qPrintable(port->toolTip()));
    if (auto* scroll = fm_->PageControl1->widget(kPage)->findChild<QScrollArea*>())
      scroll->ensureWidgetVisible(apn, 0, 0);
    Shot(fm_.get(), QStringLiteral("changed-values"));

    // Typed back: no longer changed.
    TypeOver(apn, QStringLiteral("apn.example"));
    QCOMPARE(ChangedOnPage(), QStringList({"1:1:1"}));
    QCOMPARE(ChangedPanelText(), QStringLiteral("Изменено: 1"));
  }

  // A terminal that keeps its old values of +SSRV: the page run says so for the one value that
  // was changed, beside the field, in the log and in its summary.
  void verifiedApplyReportsWhatTheTerminalIgnored() {
    QVERIFY(Start({"--ignore-set", "+SSRV"}));
    Click(QStringLiteral("page_0_poll"));
    auto* port = qobject_cast<TIntegerEdit*>(Control(kSsrv, 1, 1));
    TypeOver(port, QStringLiteral("8080"));
    Control(kSsrv, 0, 0)->setFocus();
    Click(QStringLiteral("page_0_apply"));
    TQtElidedLabel* summary = fm_->WriteSummaryPanel;
    QCOMPARE(summary->FullText(), QStringLiteral("Записано: 8, не совпало: 1 (см. протокол)"));
    QCOMPARE(summary->toolTip(), summary->FullText());
    int lines = 0;
    for (const TLogLine& line : fm_->Log().Lines())
      if (ToQString(line.Text).contains(QStringLiteral("записано 8080, терминал хранит 9002")))
        ++lines;
    QCOMPARE(lines, 1);
    QVERIFY(port->property(TQtParameterEditor::kWriteDiffersProperty).isValid());
    QVERIFY(!Control(kSsrv, 0, 1)->property(TQtParameterEditor::kWriteDiffersProperty).isValid());
    QCOMPARE(port->Text(), QStringLiteral("9002"));
    QVERIFY(operator_->Messages.isEmpty());
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TChangeTrackingTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "change_tracking_test.moc"
