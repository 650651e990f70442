// The questions the main window asks before something that cannot be undone, and what it says
// afterwards: a command marked "confirm", storing into flash, reading every page, and leaving
// the program while the terminal is in command mode. Against quillon-sim, answered through the
// window system as an operator does.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>
#include <QWindow>
#include <memory>

#include "app/answer_modal.h"
#include "app/fm_main.h"
#include "app/sim_main_window.h"
#include "settings/program_paths.h"
#include "support/sim_trace.h"
#include "ui/qt_elided_label.h"

namespace quillon::test {
namespace {

// A click in the middle of the button, sent to its window.
void ClickThroughWindow(QAbstractButton* button) {
  QWidget* top = button->window();
  QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::KeyboardModifiers(),
                    button->mapTo(top, button->rect().center()));
}

// The next question is answered with the button of that role; *asked holds its text.
void AnswerQuestion(QMessageBox::StandardButton answer, std::shared_ptr<QString> asked) {
  AnswerModal<QMessageBox>([answer, asked](QMessageBox* box) {
    QVERIFY(QTest::qWaitForWindowActive(box));
    *asked = box->text();
    ClickThroughWindow(box->button(answer));
  });
}

int Count(const std::vector<std::string>& requests, const std::string& prefix) {
  int n = 0;
  for (const std::string& r : requests) n += r.rfind(prefix, 0) == 0;
  return n;
}

}  // namespace

class TOperatorQuestionsTest : public TSimMainWindowTest {
  Q_OBJECT

  std::vector<std::string> Received() const { return ReceivedRequests(tracePath_.toStdString()); }

 private slots:
  void init() {
    QVERIFY(StartSimAndWindow("", {}, kGenerousTimeouts, true));
    fm_->show();
    QVERIFY(QTest::qWaitForWindowExposed(fm_.get()));
  }
  void cleanup() { fm_.reset(); }

  // The factory reset asks first; "Нет" sends nothing, "Да" sends it.
  void confirmedCommandAsksBeforeItsApply() {
    const int page = static_cast<int>(fm_->Profile().Pages.size()) - 1;  // "Сервис"
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
      auto asked = std::make_shared<QString>();
      AnswerQuestion(answer, asked);
      ClickPageButton(page, QStringLiteral("cmd_SDEF_apply"));
      QVERIFY(asked->startsWith(QStringLiteral("Сбросить все настройки терминала")));
      QCOMPARE(Count(Received(), "AT+SDEF="), answer == QMessageBox::Yes ? 1 : 0);
    }
  }

  void storingIntoFlashSaysSoInTheStatusBar() {
    fm_->Connect1Click();
    QVERIFY(fm_->InCommandMode());
    fm_->Storesettingsintoflash1Click();
    QCOMPARE(Count(Received(), "AT+SAVE="), 1);
    QCOMPARE(fm_->WriteSummaryPanel->FullText(),
             QStringLiteral("Настройки сохранены в памяти терминала"));
  }

  // Every page the settings enable, one after the other, as one run with one progress.
  void pollAllReadsEveryEnabledPage() {
    fm_->PollAll1->trigger();
    const std::vector<std::string> received = Received();
    for (const char* request : {"AT+SGPR=?", "AT+STRK=?", "AT+SVER=?"})
      QVERIFY2(Count(received, request) == 1, request);
    QCOMPARE(fm_->ProgressBar->value(), fm_->ProgressBar->minimum());
  }

  // In command mode the program asks before it ends: Cancel keeps it, Yes leaves command mode
  // first. Out of command mode nobody is asked.
  void exitAsksWhileInCommandMode() {
    fm_->Connect1Click();
    QVERIFY(fm_->InCommandMode());
    auto asked = std::make_shared<QString>();
    AnswerQuestion(QMessageBox::Cancel, asked);
    QVERIFY(!fm_->close());
    QVERIFY(asked->contains(QStringLiteral("командном режиме")));
    QVERIFY(fm_->isVisible());

    AnswerQuestion(QMessageBox::Yes, asked);
    QVERIFY(fm_->close());
    QCOMPARE(Count(Received(), "AT+TEXT="), 1);
    QVERIFY(!fm_->InCommandMode());

    fm_->show();
    auto none = std::make_shared<QString>();
    AnswerQuestion(QMessageBox::Cancel, none);  // would keep the window, were anything asked
    QVERIFY(fm_->close());
    QVERIFY(none->isEmpty());
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TOperatorQuestionsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "operator_questions_test.moc"
