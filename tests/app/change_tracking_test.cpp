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
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/fm_main.h"
#include "editor/qt/qt_integer_edit.h"
#include "editor/qt/qt_parameter_editor.h"
#include "link/log_model.h"
#include "settings/program_paths.h"
#include "sim/simulator_process.h"
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
const char kSettings[] = "[Connection]\nTimeout=3000\nTimeoutEcho=2000\nTimeoutInterval=300\n";

bool WriteFile(const QString& path, const char* text) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(text) == qint64(qstrlen(text));
}

// With QUILLON_TEST_SCREENSHOTS=DIR set, a picture of the window for a look by eye.
void Shot(QWidget* window, const QString& name) {
  const QString dir = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  window->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Answers every message box (Cancel where offered, else OK) and notes its text.
class TModalOperator : public QObject {
 public:
  TModalOperator() {
    timer_.setInterval(20);
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      Messages << box->text();
      QAbstractButton* button = box->button(QMessageBox::Cancel);
      if (!button) button = box->button(QMessageBox::Ok);
      if (button) button->click();
    });
    timer_.start();
  }
  QStringList Messages;

 private:
  QTimer timer_;
};

}  // namespace

class TChangeTrackingTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::unique_ptr<TSimulatorProcess> sim_;
  std::unique_ptr<TfmMain> fm_;
  std::unique_ptr<TModalOperator> operator_;
  int runs_ = 0;

  bool Start(const std::vector<std::string>& extra = {}) {
    const QString state = dir_.filePath(QStringLiteral("state-%1.txt").arg(++runs_));
    if (!WriteFile(state, kInitialState)) return false;
    std::vector<std::string> args = {"--profile", "cmdprofile.xml",    "--password",
                                     "1234",      "--master-password", "5678",
                                     "--state",   state.toStdString()};
    args.insert(args.end(), extra.begin(), extra.end());
    sim_ = std::make_unique<TSimulatorProcess>();
    std::string error;
    if (!sim_->Start(args, 10000, error)) {
      qWarning("quillon-sim: %s", error.c_str());
      return false;
    }
    const QString ini = dir_.filePath(QStringLiteral("Quillon.ini"));
    if (!WriteFile(ini, kSettings)) return false;
    TMainOptions options;
    options.ProfilePath = "cmdprofile.xml";
    options.SettingsPath = ini.toStdString();
    options.PortOverride = sim_->DevicePath();
    options.FallbackPassword = "1234";
    options.FallbackMasterPassword = "5678";
    fm_ = std::make_unique<TfmMain>(nullptr, options);
    operator_ = std::make_unique<TModalOperator>();
    fm_->resize(1000, 800);
    fm_->show();
    return QTest::qWaitForWindowExposed(fm_.get());
  }

  TQtParameterEditor& Editor() { return fm_->Editor(); }
  QWidget* Control(int command, int instance, int param) {
    return Editor().FindParameterControl(kPage, command, instance, param, ckInput);
  }
  static void TypeOver(QWidget* field, const QString& text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClick(field, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClicks(field, text);
  }
  void Click(const QString& name) {
    fm_->PageControl1->setCurrentIndex(kPage);
    QWidget* page = fm_->PageControl1->widget(kPage);
    auto* button = page->findChild<QPushButton*>(name);
    QVERIFY2(button, qPrintable(name));
    if (auto* scroll = page->findChild<QScrollArea*>()) scroll->ensureWidgetVisible(button);
    QTest::mouseClick(button, Qt::LeftButton);
  }
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
    auto* summary = fm_->findChild<QLabel*>(QStringLiteral("WriteSummaryPanel"));
    QVERIFY(summary);
    QCOMPARE(summary->text(),
             QStringLiteral("Записано: 9, проверено: 8, различается: 1, ошибок: 0"));
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
