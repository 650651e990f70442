// The command engine end to end: the main window's real widgets, clicked and typed into
// offscreen, against quillon-sim on a pseudo-terminal. What the terminal holds is set through a
// state file at its start and read back from the state file its "+SAVE" writes.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <memory>
#include <optional>

#include "app/fm_main.h"
#include "app/sim_main_window.h"
#include "editor/qt/qt_integer_edit.h"
#include "editor/qt/qt_page_tabs.h"
#include "editor/qt/qt_parameter_editor.h"
#include "link/log_model.h"
#include "link/qt/fm_device_reconnect.h"
#include "link/qt/fm_waiting_data.h"
#include "link/terminal_session.h"
#include "settings/program_paths.h"
#include "sim/simulator_process.h"
#include "ui/qt_log_view.h"
#include "ui/qt_text.h"

namespace quillon::test {

namespace {

// Page 0 of the sample profile and its commands.
constexpr int kPage = 0;
constexpr int kSgpr = 0, kSsrv = 1, kSphn = 2, kSpin = 3;
// Weights of the page's commands added up: +SGPR 1, +SSRV 3, +SPHN 4, +SPIN 1, +SGSM 1.
constexpr int kPageWeight = 10;
// Applies of a full page run: every command but the read-only +SGSM, every instance.
constexpr int kPageApplies = 9;

// Values the terminal holds at start, none of them the profile's default.
const char kInitialState[] =
    "+SGPR=2,apn.example,user1,secret,\n"
    "+SSRV=10.0.0.1,9001,1,120,10.0.0.2,9002,0,300,10.0.0.3,9003,1,600,\n"
    "+SPHN=+70000000001,3,+70000000002,2,+70000000003,0,+70000000004,1,\n"
    "+SPIN=4321,\n";

QString ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromLatin1(file.readAll());
}

// Plays the operator at every modal question while it lives: notes what each message box said
// and answers it (Cancel where offered, else OK; "Записать" to the question about profile
// defaults); stops the reconnect window. The entry window is left alone, as it closes by itself
// when the prompt comes; only one that stays far too long is stopped, so that a broken entry
// fails the test instead of blocking it.
class TSessionOperator : public TModalOperator {
 public:
  int ReconnectWindows = 0;
  int EntryWindowsStopped = 0;
  int DefaultValuesQuestions = 0;

 protected:
  void Answer(QWidget* modal) override {
    if (!qobject_cast<TfmWaitingData*>(modal)) entryWindow_ = nullptr;
    if (!modal || !modal->isVisible()) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      // These runs mean to write what the fields show, profile defaults included.
      if (box->objectName() == QStringLiteral("DefaultValuesQuestion")) {
        ++DefaultValuesQuestions;
        if (auto* write = box->findChild<QPushButton*>(QStringLiteral("DefaultValuesWrite")))
          write->click();
        return;
      }
      AnswerBox(box);
      return;
    }
    if (qobject_cast<TfmDeviceReconnect*>(modal)) {
      ++ReconnectWindows;
      if (auto* stop = modal->findChild<QPushButton*>(QStringLiteral("btnCancel"))) stop->click();
      return;
    }
    if (!qobject_cast<TfmWaitingData*>(modal)) return;
    if (!entryWindow_) {
      entryWindow_ = modal;
      entryShown_.start();
    } else if (entryShown_.hasExpired(kEntryPatienceMs)) {
      ++EntryWindowsStopped;
      entryWindow_ = nullptr;
      if (auto* stop = modal->findChild<QPushButton*>(QStringLiteral("btnStop"))) stop->click();
    }
  }

  static constexpr qint64 kEntryPatienceMs = 30000;
  QWidget* entryWindow_ = nullptr;
  QElapsedTimer entryShown_;
};

}  // namespace

class TEngineEndToEndTest : public TSimMainWindowTest {
  Q_OBJECT

 private:
  // Every test has one, so that an unexpected question fails the test instead of blocking it.
  std::unique_ptr<TSessionOperator> operator_;

  // Starts the terminal with the initial values and the given fault switches, and the main
  // window on its port with the default passwords.
  bool Start(const std::vector<std::string>& faults, const std::string& moreSettings = "") {
    if (!StartSimAndWindow(kInitialState, faults, kGenerousTimeouts + moreSettings)) return false;
    operator_ = std::make_unique<TSessionOperator>();
    fm_->show();
    return QTest::qWaitForWindowExposed(fm_.get());
  }

  QWidget* Control(int command, int instance, int param, TControlKind kind = ckInput) {
    return fm_->Editor().FindParameterControl(kPage, command, instance, param, kind);
  }
  QLineEdit* TextField(int command, int instance, int param) {
    return qobject_cast<QLineEdit*>(Control(command, instance, param));
  }
  TIntegerEdit* NumberField(int command, int instance, int param) {
    return qobject_cast<TIntegerEdit*>(Control(command, instance, param));
  }
  QComboBox* OptionList(int command, int instance, int param) {
    return qobject_cast<QComboBox*>(Control(command, instance, param));
  }

  void Click(const QString& name) {
    ClickPageButton(kPage, name);
    if (QTest::currentTestFailed()) return;
    // Whatever the run opened is closed again when it returns.
    QVERIFY(!QApplication::activeModalWidget());
  }

  void Trigger(const char* action) {
    auto* item = fm_->findChild<QAction*>(QString::fromLatin1(action));
    QVERIFY2(item, action);
    item->trigger();
  }

  QStringList LogLines() const {
    QStringList lines;
    for (const TLogLine& line : fm_->Log().Lines()) lines << ToQString(line.Text);
    return lines;
  }
  int LinesStartingWith(const QString& start) const {
    int n = 0;
    for (const QString& line : LogLines()) n += line.startsWith(start) ? 1 : 0;
    return n;
  }
  QStringList Sent() const {
    QStringList sent;
    for (const QString& line : LogLines())
      if (line.startsWith(QLatin1String(">AT"))) sent << line.mid(1);
    return sent;
  }

  // Every request and every echo of one that carries a password shows "*" in its place, and
  // neither password shows anywhere, neither in the log nor in the pane.
  void VerifyNoPasswordInLog(int leastWrites) {
    static const QRegularExpression write(QStringLiteral("^[<>]AT\\+[A-Z]+=(?!\\?)"));
    static const QRegularExpression masked(QStringLiteral("^[<>]AT\\+[A-Z]+=\\*,"));
    int writes = 0;
    for (const QString& line : LogLines()) {
      if (!write.match(line).hasMatch()) continue;
      ++writes;
      QVERIFY2(masked.match(line).hasMatch(), qPrintable(line));
    }
    QVERIFY2(writes >= leastWrites, qPrintable(QString::number(writes)));
    QStringList everything = LogLines();
    everything << fm_->LogLines->toPlainText();
    for (const QString& line : everything) {
      QVERIFY2(!line.contains(QLatin1String("1234")), qPrintable(line));
      QVERIFY2(!line.contains(QLatin1String("5678")), qPrintable(line));
    }
  }

  // "+SAVE" through the menu; the terminal's values as its state file then holds them.
  QStringList StoredValues() {
    QFile::remove(statePath_);
    Trigger("Storesettingsintoflash1");
    if (!QFile::exists(statePath_)) return {};
    return ReadFile(statePath_).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }

 private slots:
  void init() { QVERIFY(dir_.isValid()); }

  void cleanup() {
    operator_.reset();
    fm_.reset();
    sim_.reset();
    profilePath_ = "cmdprofile.xml";
  }

  // Poll a page, change it by keyboard and mouse, apply it, store it and leave command mode.
  void pollEditApplyStoreAndLeave() {
    QVERIFY(Start({}));
    QVERIFY(!fm_->InCommandMode());

    // "Получить страницу" enters command mode through the entry window first.
    Click(QStringLiteral("page_0_poll"));
    QVERIFY(fm_->InCommandMode());
    QCOMPARE(fm_->StatusPanels[4]->text(), QStringLiteral("CMD"));
    QCOMPARE(Sent(),
             QStringList({"AT+SGPR=?", "AT+SSRV=?", "AT+SPHN=?", "AT+SPIN=?", "AT+SGSM=?"}));
    QCOMPARE(LinesStartingWith(QStringLiteral("]")), 0);
    QCOMPARE(fm_->ProgressBar->maximum(), 5);
    QCOMPARE(fm_->ProgressBar->value(), 0);  // the run is over: the bar is empty again

    // The fields show what the terminal holds.
    QCOMPARE(OptionList(kSgpr, 0, 0)->currentText(), QStringLiteral("Только по событию"));
    QCOMPARE(TextField(kSgpr, 0, 1)->text(), QStringLiteral("apn.example"));
    QCOMPARE(TextField(kSgpr, 0, 2)->text(), QStringLiteral("user1"));
    QCOMPARE(TextField(kSgpr, 0, 3)->text(), QString());  // never overwritten by an answer
    const char* servers[3][4] = {{"10.0.0.1", "9001", "UDP", "120"},
                                 {"10.0.0.2", "9002", "TCP", "300"},
                                 {"10.0.0.3", "9003", "UDP", "600"}};
    for (int k = 0; k < 3; ++k) {
      QCOMPARE(TextField(kSsrv, k, 0)->text(), QString::fromLatin1(servers[k][0]));
      QCOMPARE(NumberField(kSsrv, k, 1)->Text(), QString::fromLatin1(servers[k][1]));
      QCOMPARE(OptionList(kSsrv, k, 2)->currentText(), QString::fromLatin1(servers[k][2]));
      QCOMPARE(NumberField(kSsrv, k, 3)->Text(), QString::fromLatin1(servers[k][3]));
    }
    QCOMPARE(TextField(kSphn, 1, 0)->text(), QStringLiteral("+70000000002"));
    QCOMPARE(OptionList(kSphn, 1, 1)->currentText(), QStringLiteral("Оповещения и звонки"));
    QCOMPARE(TextField(kSpin, 0, 0)->text(), QStringLiteral("4321"));

    // An option one entry up.
    QComboBox* mode = OptionList(kSgpr, 0, 0);
    mode->setFocus();
    QTest::keyClick(mode, Qt::Key_Up);
    QCOMPARE(mode->currentText(), QStringLiteral("Постоянное соединение"));
    // A string under its typing mask: the blank and the "!" are refused as they are typed.
    QLineEdit* apn = TextField(kSgpr, 0, 1);
    TypeOver(apn, QStringLiteral("my apn!.net"));
    QCOMPARE(apn->text(), QStringLiteral("myapn.net"));
    // An optional value unticked: it goes out empty, and the terminal keeps what it has.
    auto* user = qobject_cast<QCheckBox*>(Control(kSgpr, 0, 2, ckCheckBox));
    QVERIFY(user && user->isChecked());
    QTest::mouseClick(user, Qt::LeftButton);
    QVERIFY(!user->isChecked());
    QVERIFY(!TextField(kSgpr, 0, 2)->isEnabled());
    // An integer, in the second instance: a letter is not taken. The answer to the apply of
    // the first instance must not undo it before it is sent.
    TIntegerEdit* port = NumberField(kSsrv, 1, 1);
    TypeOver(port, QStringLiteral("80x80"));
    QCOMPARE(port->Text(), QStringLiteral("8080"));
    apn->setFocus();  // the number field is left, so its limits apply

    const int before = Sent().size();
    Click(QStringLiteral("page_0_apply"));
    QCOMPARE(Sent().mid(before),
             QStringList({"AT+SGPR=*,1,myapn.net,,,", "AT+SSRV=*,1,10.0.0.1,9001,1,120,",
                          "AT+SSRV=*,2,10.0.0.2,8080,0,300,", "AT+SSRV=*,3,10.0.0.3,9003,1,600,",
                          "AT+SPHN=*,1,+70000000001,3,", "AT+SPHN=*,2,+70000000002,2,",
                          "AT+SPHN=*,3,+70000000003,0,", "AT+SPHN=*,4,+70000000004,1,",
                          "AT+SPIN=*,4321,"}));
    QCOMPARE(LinesStartingWith(QStringLiteral("]")), 0);
    QCOMPARE(fm_->ProgressBar->maximum(), kPageWeight);
    QCOMPARE(fm_->ProgressBar->value(), 0);  // the run is over: the bar is empty again

    const QStringList stored = StoredValues();
    QVERIFY2(stored.contains(QStringLiteral("+SGPR=1,myapn.net,user1,secret,")),
             qPrintable(stored.join(QLatin1Char('\n'))));
    QVERIFY2(stored.contains(QStringLiteral(
                 "+SSRV=10.0.0.1,9001,1,120,10.0.0.2,8080,0,300,10.0.0.3,9003,1,600,")),
             qPrintable(stored.join(QLatin1Char('\n'))));
    QVERIFY(Sent().contains(QStringLiteral("AT+SAVE=*,")));
    QVERIFY(fm_->InCommandMode());

    Trigger("Leavecommandmode1");
    QCOMPARE(Sent().last(), QStringLiteral("AT+TEXT=*,"));
    QVERIFY(!fm_->InCommandMode());
    QVERIFY(fm_->StatusPanels[4]->text().isEmpty());
    QCOMPARE(fm_->StatusPanels[3]->text(), QStringLiteral("LINK"));

    VerifyNoPasswordInLog(kPageApplies + 2);
    QCOMPARE(operator_->Messages, QStringList());
  }

  // With fast answers every answer ends at its prompt: the entry, a page poll and a page apply
  // go as they do without.
  void fastAnswersPollAndApplyAPage() {
    QVERIFY(Start({}, "FastAnswer=1\n"));
    QVERIFY(fm_->Session().FastAnswer());
    Click(QStringLiteral("page_0_poll"));
    QVERIFY(fm_->InCommandMode());
    QCOMPARE(Sent(),
             QStringList({"AT+SGPR=?", "AT+SSRV=?", "AT+SPHN=?", "AT+SPIN=?", "AT+SGSM=?"}));
    QCOMPARE(TextField(kSgpr, 0, 1)->text(), QStringLiteral("apn.example"));
    QCOMPARE(NumberField(kSsrv, 2, 3)->Text(), QStringLiteral("600"));
    QCOMPARE(TextField(kSphn, 3, 0)->text(), QStringLiteral("+70000000004"));
    QCOMPARE(TextField(kSpin, 0, 0)->text(), QStringLiteral("4321"));

    TypeOver(TextField(kSsrv, 1, 0), QStringLiteral("10.9.9.9"));
    Click(QStringLiteral("page_0_apply"));
    QCOMPARE(Sent().size(), 5 + kPageApplies);
    QCOMPARE(LinesStartingWith(QStringLiteral("]")), 0);
    const QStringList stored = StoredValues();
    QVERIFY2(stored.contains(QStringLiteral(
                 "+SSRV=10.0.0.1,9001,1,120,10.9.9.9,9002,0,300,10.0.0.3,9003,1,600,")),
             qPrintable(stored.join(QLatin1Char('\n'))));
    QCOMPARE(operator_->Messages, QStringList());
  }

  // "Применить все" writes every instance of the one command in order; an instance's own
  // "Применить" only that instance.
  void applyAllInstancesOfAnIndexedCommand() {
    QVERIFY(Start({}));
    Trigger("Connect1");
    QVERIFY(fm_->InCommandMode());
    const char* ports[3] = {"7001", "7002", "7003"};
    for (int k = 0; k < 3; ++k) {
      TIntegerEdit* field = NumberField(kSsrv, k, 1);
      TypeOver(field, QString::fromLatin1(ports[k]));
    }
    auto* protocol = qobject_cast<QCheckBox*>(Control(kSsrv, 2, 2, ckCheckBox));
    QTest::mouseClick(protocol, Qt::LeftButton);
    QVERIFY(!protocol->isChecked());

    Click(QStringLiteral("cmd_SSRV_applyAll"));
    QCOMPARE(Sent(),
             QStringList({"AT+SSRV=*,1,0.0.0.0,7001,0,60,", "AT+SSRV=*,2,0.0.0.0,7002,0,60,",
                          "AT+SSRV=*,3,0.0.0.0,7003,,60,"}));
    QCOMPARE(fm_->ProgressBar->maximum(), 3);
    QCOMPARE(fm_->ProgressBar->value(), 0);  // the run is over: the bar is empty again

    // What is typed into the other instances and not yet sent stays through the answer to the
    // apply of #2, which carries every instance.
    TypeOver(NumberField(kSsrv, 0, 1), QStringLiteral("7011"));
    TypeOver(TextField(kSsrv, 2, 0), QStringLiteral("10.9.9.9"));
    TIntegerEdit* second = NumberField(kSsrv, 1, 1);
    TypeOver(second, QStringLiteral("7022"));
    Click(QStringLiteral("cmd_SSRV_1_apply"));
    QCOMPARE(Sent().size(), 4);
    QCOMPARE(Sent().last(), QStringLiteral("AT+SSRV=*,2,0.0.0.0,7022,0,60,"));
    QCOMPARE(NumberField(kSsrv, 0, 1)->Text(), QStringLiteral("7011"));
    QCOMPARE(TextField(kSsrv, 2, 0)->text(), QStringLiteral("10.9.9.9"));
    QCOMPARE(NumberField(kSsrv, 1, 1)->Text(), QStringLiteral("7022"));

    // The unticked protocol of #3 went out empty: the terminal kept its UDP.
    const QStringList stored = StoredValues();
    QVERIFY2(stored.contains(
                 QStringLiteral("+SSRV=0.0.0.0,7001,0,60,0.0.0.0,7022,0,60,0.0.0.0,7003,1,60,")),
             qPrintable(stored.join(QLatin1Char('\n'))));
    VerifyNoPasswordInLog(5);
    QCOMPARE(operator_->Messages, QStringList());
  }

  // Runs once, at the first line the log pane gets during the next run: stands for what the
  // operator does while the run holds the window.
  void DuringTheNextRun(std::function<void()> action) {
    auto* connection = new QMetaObject::Connection;
    *connection = connect(fm_->LogLines->document(), &QTextDocument::contentsChanged, this,
                          [connection, action] {
                            QObject::disconnect(*connection);
                            delete connection;
                            action();
                          });
  }

  // A second click on "Применить страницу" while the page is being written is dropped, not run
  // again afterwards; Esc stops the run between two requests with its interruption line.
  void inputDuringARunIsDroppedAndEscStopsIt() {
    QVERIFY(Start({}));
    Trigger("Connect1");
    QVERIFY(fm_->InCommandMode());
    QWidget* page = fm_->PageControl1->widget(kPage);
    auto* applyPage = page->findChild<QPushButton*>(QStringLiteral("page_0_apply"));
    QVERIFY(applyPage);
    DuringTheNextRun([applyPage] {
      const QPointF at(applyPage->width() / 2.0, applyPage->height() / 2.0);
      const QPointF global = applyPage->mapToGlobal(at);
      QCoreApplication::postEvent(
          applyPage, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                     Qt::LeftButton, Qt::NoModifier));
      QCoreApplication::postEvent(
          applyPage, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                     Qt::NoButton, Qt::NoModifier));
    });
    Click(QStringLiteral("page_0_apply"));
    QTest::qWait(300);
    QCOMPARE(Sent().size(), kPageApplies);
    QCOMPARE(LinesStartingWith(QStringLiteral("]")), 0);

    // Esc during the next run: the request under way ends, the next one is not sent.
    DuringTheNextRun([this] {
      QCoreApplication::postEvent(fm_.get(),
                                  new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
      QCoreApplication::postEvent(
          fm_.get(), new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
    });
    Click(QStringLiteral("page_0_apply"));
    QTest::qWait(100);
    QCOMPARE(Sent().size(), kPageApplies + 1);
    QCOMPARE(LogLines().last(), QStringLiteral("]Процесс прерван на команде +SSRV/0"));
    QVERIFY(fm_->ProgressBar->value() < fm_->ProgressBar->maximum());
    QCOMPARE(operator_->Messages, QStringList());

    // The next run is not stopped by the Esc of the last one.
    Click(QStringLiteral("page_0_poll"));
    QCOMPARE(LinesStartingWith(QStringLiteral("]Процесс прерван")), 1);
    QCOMPARE(fm_->ProgressBar->value(), 0);  // the run is over: the bar is empty again
  }

  // A refusal by the terminal is a message box per request; the page run goes on to the end.
  // A missing password is refused before anything is sent, and stops the run there.
  void refusalsAndAMissingPassword() {
    QVERIFY(Start({"--refuse", "PASSWORD"}));
    Click(QStringLiteral("page_0_apply"));
    QCOMPARE(operator_->Messages.size(), kPageApplies);
    for (const QString& message : operator_->Messages)
      QCOMPARE(message, QStringLiteral("Неверно задан пароль"));
    QCOMPARE(Sent().size(), kPageApplies);  // refusals are answers: nothing is repeated
    QCOMPARE(LinesStartingWith(QStringLiteral("<+RESP:SGPR,ERROR,PASSWORD")), 1);
    QCOMPARE(LinesStartingWith(QStringLiteral("]")), 0);
    QCOMPARE(fm_->ProgressBar->value(), 0);  // the run is over: the bar is empty again

    fm_->ProgramSettings().MasterPassword.clear();  // +SGPR, first on the page, needs it
    Click(QStringLiteral("page_0_apply"));
    QCOMPARE(Sent().size(), kPageApplies);
    QCOMPARE(operator_->Messages.size(), kPageApplies);
    const QStringList log = LogLines();
    QCOMPARE(log.mid(log.size() - 2),
             QStringList({"]Неверно задан пароль", "]Процесс прерван на команде +SGPR/0"}));
    QCOMPARE(fm_->ProgressBar->value(), 0);
    VerifyNoPasswordInLog(kPageApplies);
  }

  // A command the terminal lacks is greyed and struck through, and later page runs pass it by.
  void unsupportedCommandIsLeftOut() {
    QVERIFY(Start({"--unsupported", "+SPIN"}));
    Click(QStringLiteral("page_0_poll"));
    QCOMPARE(LinesStartingWith(QStringLiteral("<NOT SUPPORTED")), 1);
    auto* group = qobject_cast<QGroupBox*>(Control(kSpin, 0, 0, ckGroup));
    QVERIFY(group);
    QVERIFY(!group->isEnabled());
    QVERIFY(group->font().strikeOut());
    QVERIFY(!TextField(kSpin, 0, 0)->isEnabled());
    QVERIFY(Control(kSphn, 0, 0, ckGroup)->isEnabled());

    Click(QStringLiteral("page_0_apply"));
    Click(QStringLiteral("page_0_poll"));
    QCOMPARE(LinesStartingWith(QStringLiteral(">AT+SPIN")), 1);
    QCOMPARE(LinesStartingWith(QStringLiteral(">AT+SPHN=*,")), 4);
    QCOMPARE(LinesStartingWith(QStringLiteral(">AT+SGSM=?")), 2);
    QCOMPARE(fm_->ProgressBar->value(), 0);  // the run is over: the bar is empty again
    QCOMPARE(LinesStartingWith(QStringLiteral("]Процесс прерван")), 0);
    QCOMPARE(operator_->Messages, QStringList());
  }

  // A command of 256 instances polled: the values go into the instances not built yet without
  // building them, and an instance built later shows them as read.
  void pollsAHugeCommandWithoutBuildingIt() {
    constexpr int kInstances = 256, kParams = 17;
    std::string profile =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><application><page id=\"1\" name=\"P\">"
        "<command command=\"+BIG\" description=\"Big\" maxindex=\"256\" polldata=\"1\" "
        "setdata=\"1\">";
    for (int i = 0; i < kParams; ++i)
      profile += "<parameter type=\"integer\" description=\"p" + std::to_string(i) +
                 "\" defaultvalue=\"" + std::to_string(i) + "\" maxvalue=\"100000\"/>";
    profile += "</command></page></application>";
    profilePath_ = dir_.filePath(QStringLiteral("big.xml")).toStdString();
    QVERIFY(WriteFile(QString::fromStdString(profilePath_), profile.c_str()));
    std::string state = "+BIG=";
    for (int n = 0; n < kInstances * kParams; ++n) state += std::to_string(1000 + n) + ",";
    state += "\n";
    QVERIFY(StartSimAndWindow(state.c_str()));
    operator_ = std::make_unique<TSessionOperator>();
    fm_->show();
    QVERIFY(QTest::qWaitForWindowExposed(fm_.get()));
    TQtParameterEditor& editor = fm_->Editor();
    QVERIFY(!editor.InstanceBuilt(kPage, 0, 100));

    Click(QStringLiteral("cmd_BIG_poll"));
    QCOMPARE(Sent(), QStringList({"AT+BIG=?"}));
    QVERIFY(!editor.InstanceBuilt(kPage, 0, 100));
    for (int k : {0, 100, 255})
      for (int i : {0, 16}) {
        const std::string read = std::to_string(1000 + k * kParams + i);
        QCOMPARE(editor.InputText(kPage, 0, k, i), read);
        QCOMPARE(editor.LastReadValue(kPage, 0, k, i), std::optional<std::string>(read));
        QCOMPARE(editor.ValueOrigin(kPage, 0, k, i), voRead);
      }
    QCOMPARE(editor.ChangedCount(), 0);
    int built = 0;
    for (int k = 0; k < kInstances; ++k) built += editor.InstanceBuilt(kPage, 0, k);
    QVERIFY2(built < 20, qPrintable(QString::number(built)));

    auto* field = qobject_cast<TIntegerEdit*>(Control(0, 100, 16));
    QVERIFY(field);
    QCOMPARE(field->Text(), QString::number(1000 + 100 * kParams + 16));
    QVERIFY(!field->font().italic());
    QCOMPARE(operator_->Messages, QStringList());
  }

  // The adapter is pulled out in the middle of a page poll: the operator cancels the retry, and
  // the run ends at that command without bringing up the reconnect window.
  void deviceLostDuringAPageRun() {
    // Entry takes 9 bytes, every poll 10: the device goes while "AT+SSRV=?" is sent.
    QVERIFY(Start({"--hangup-after", "25"}));
    Click(QStringLiteral("page_0_poll"));
    QCOMPARE(operator_->Messages, QStringList({"Повторить попытку?"}));
    QCOMPARE(operator_->ReconnectWindows, 0);
    QVERIFY(!fm_->InCommandMode());
    QVERIFY(fm_->StatusPanels[3]->text().isEmpty());
    QVERIFY(fm_->StatusPanels[4]->text().isEmpty());
    QCOMPARE(LinesStartingWith(QStringLiteral("E<")), 1);
    QCOMPARE(LinesStartingWith(QStringLiteral("]Процесс прерван на команде +SSRV")), 1);
    QCOMPARE(LinesStartingWith(QStringLiteral(">AT+SPHN")), 0);
    QCOMPARE(TextField(kSgpr, 0, 1)->text(), QStringLiteral("apn.example"));
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TEngineEndToEndTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "engine_end_to_end_test.moc"
