// The views and runs built on change tracking: "Только изменённые", the search, "Применить
// изменённые" and the question before profile defaults are written. The main window's real
// widgets, offscreen, against quillon-sim on a pseudo-terminal; what reached the terminal is read
// from the simulator's trace.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/fm_main.h"
#include "app/sim_main_window.h"
#include "editor/qt/qt_editor_tool_bar.h"
#include "editor/qt/qt_editor_views.h"
#include "editor/qt/qt_integer_edit.h"
#include "editor/qt/qt_page_tab_bar.h"
#include "editor/qt/qt_page_tabs.h"
#include "editor/qt/qt_parameter_editor.h"
#include "link/log_model.h"
#include "settings/program_paths.h"
#include "sim/simulator_process.h"
#include "ui/qt_text.h"

namespace quillon::test {
namespace {

// Page 0: +SGPR, +SSRV (3 instances), +SPHN (4), +SPIN, +SGSM (read only).
// Page 1: +STRK, +SNAV, +SODO (never in a group run), +SPOS (read only).
constexpr int kSgpr = 0, kSsrv = 1, kSphn = 2, kSpin = 3;
constexpr int kStrk = 0, kSnav = 1, kSodo = 2;

const char kInitialState[] =
    "+SGPR=2,apn.example,user1,secret,\n"
    "+SSRV=10.0.0.1,9001,1,120,10.0.0.2,9002,0,300,10.0.0.3,9003,1,600,\n"
    "+SPHN=+70000000001,3,+70000000002,2,+70000000003,0,+70000000004,1,\n"
    "+SPIN=4321,\n"
    "+STRK=20,900,150,10,5,\n"
    "+SODO=123456,\n";
// Answers the question about profile defaults with the button named in DefaultsAnswer, every
// other message box with Cancel or OK; notes what each said.
class TDefaultsOperator : public TModalOperator {
 public:
  QString DefaultsAnswer = QStringLiteral("DefaultValuesCancel");
  QStringList Questions;
  QList<bool> PollOffered;

 protected:
  void Answer(QWidget* modal) override {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box || !box->isVisible()) return;
    if (box->objectName() == QStringLiteral("DefaultValuesQuestion")) {
      if (Questions.isEmpty()) Shot(box, QStringLiteral("defaults-question"));
      Questions << box->text();
      PollOffered << (box->findChild<QPushButton*>(QStringLiteral("DefaultValuesPoll")) != nullptr);
      auto* button = box->findChild<QPushButton*>(DefaultsAnswer);
      if (!button) button = box->findChild<QPushButton*>(QStringLiteral("DefaultValuesCancel"));
      button->click();
      return;
    }
    AnswerBox(box);
  }
};

// Typed character by character; QTest's own key clicks take Latin-1 only.
void TypeText(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}

}  // namespace

class TChangeViewsTest : public TSimMainWindowTest {
  Q_OBJECT

 private:
  std::unique_ptr<TDefaultsOperator> operator_;
  int traceMark_ = 0;

  bool Start() {
    traceMark_ = 0;
    if (!StartSimAndWindow(kInitialState, {}, kGenerousTimeouts, true)) return false;
    operator_ = std::make_unique<TDefaultsOperator>();
    fm_->resize(1000, 800);
    fm_->show();
    // Shortcuts and the focus need the active window, on a real display too.
    fm_->activateWindow();
    return QTest::qWaitForWindowExposed(fm_.get()) && QTest::qWaitForWindowActive(fm_.get());
  }

  // The requests the terminal received since the last call, passwords and all.
  QStringList Received() {
    QFile file(tracePath_);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList requests;
    for (const QByteArray& line : file.readAll().split('\n')) {
      const int at = line.indexOf("<< AT+");
      if (at >= 0) requests << QString::fromUtf8(line.mid(at + 3)).trimmed();
    }
    const QStringList fresh = requests.mid(traceMark_);
    traceMark_ = requests.size();
    return fresh;
  }
  static QStringList Writes(const QStringList& requests) {
    QStringList writes;
    for (const QString& r : requests)
      if (!r.endsWith(QStringLiteral("=?"))) writes << r;
    return writes;
  }

  TQtParameterEditor& Editor() { return fm_->Editor(); }
  TQtEditorViews& Views() { return fm_->Editor().Views(); }
  QWidget* Input(int page, int command, int instance, int param) {
    return Editor().FindParameterControl(page, command, instance, param, ckInput);
  }
  QWidget* Group(int page, int command) {
    return Editor().FindParameterControl(page, command, 0, 0, ckGroup);
  }
  // Types over a field's whole text, its page brought up and the field scrolled into view.
  void TypeOver(QWidget* field, const QString& text) {
    fm_->PageControl1->setCurrentIndex(Editor().GetControlAddress(field).Page);
    QWidget* up = field->parentWidget();
    while (up && !qobject_cast<QScrollArea*>(up)) up = up->parentWidget();
    if (auto* scroll = qobject_cast<QScrollArea*>(up)) scroll->ensureWidgetVisible(field);
    QVERIFY(field->isVisible());
    TSimMainWindowTest::TypeOver(field, text);
  }
  void Click(int page, const QString& name) {
    ClickPageButton(page, name);
    if (QTest::currentTestFailed()) return;
    QVERIFY(!QApplication::activeModalWidget());
  }
  // The commands of a page its groups show, by name, the page brought up to look at.
  QStringList Shown(int page) {
    fm_->PageControl1->setCurrentIndex(page);
    QStringList names;
    const TDevCommand* cmd = nullptr;
    for (int c = 0; (cmd = fm_->Profile().Command(page, c)) != nullptr; ++c)
      if (!Group(page, c)->isHidden()) names << ToQString(cmd->Name);
    return names;
  }
  // Where the groups and buttons of a page stand (their widths follow the window).
  QList<QRect> Geometries(int page) {
    fm_->PageControl1->setCurrentIndex(page);
    QList<QRect> all;
    for (QGroupBox* box : fm_->PageControl1->widget(page)->findChildren<QGroupBox*>())
      all << QRect(box->x(), box->y(), 0, box->height());
    for (QPushButton* button : fm_->PageControl1->widget(page)->findChildren<QPushButton*>())
      all << QRect(button->x(), button->y(), 0, button->height());
    return all;
  }
  QLabel* Notice(int page) {
    return fm_->PageControl1->widget(page)->findChild<QLabel*>(
        QStringLiteral("page_%1_box_notice").arg(page));
  }
  QString ChangedPanelText() {
    auto* panel = fm_->findChild<QLabel*>(QStringLiteral("ChangedPanel"));
    return panel && panel->isVisible() ? panel->text() : QString();
  }
  bool TabGreyed(int page) { return fm_->PageControl1->tabBar()->tabTextColor(page).isValid(); }
  QString FocusedCaption() {
    for (QWidget* w : fm_->findChildren<QWidget*>())
      if (w->property("SearchMatch").toBool()) return w->objectName();
    return QString();
  }

 private slots:
  void init() { QVERIFY(dir_.isValid()); }
  void cleanup() {
    operator_.reset();
    fm_.reset();
    sim_.reset();
  }

  // Origins on every page at start and after a page poll; typing marks exactly the typed
  // fields; the changed-only view keeps exactly their commands, on pages built before and
  // after it was turned on, and turning it off puts every command back where it was.
  void changedOnlyViewAcrossPages() {
    QVERIFY(Start());
    const auto& pages = fm_->Profile().Pages;
    QCOMPARE(static_cast<int>(pages.size()), 5);
    for (int p = 0; p < static_cast<int>(pages.size()); ++p)
      for (int c = 0; c < static_cast<int>(pages[p].Commands.size()); ++c)
        for (int i = 0; i < static_cast<int>(pages[p].Commands[c].Parameters.size()); ++i)
          QCOMPARE(Editor().ValueOrigin(p, c, 0, i), voDefault);
    QVERIFY(!Editor().PageBuilt(1));

    Click(0, QStringLiteral("page_0_poll"));
    Click(1, QStringLiteral("page_1_poll"));
    QCOMPARE(Editor().ValueOrigin(0, kSsrv, 2, 3), voRead);
    QCOMPARE(Editor().ValueOrigin(1, kStrk, 0, 4), voRead);
    QCOMPARE(Editor().ValueOrigin(0, kSgpr, 0, 3), voDefault);  // never read back
    const QList<QRect> page0 = Geometries(0), page1 = Geometries(1);

    TypeOver(Input(0, kSsrv, 1, 1), QStringLiteral("8080"));
    TypeOver(Input(1, kStrk, 0, 0), QStringLiteral("45"));
    TypeOver(Input(1, kStrk, 0, 2), QStringLiteral("300"));
    Input(1, kSnav, 0, 1)->setFocus();
    QCOMPARE(Editor().ChangedCount(), 3);
    QCOMPARE(Editor().ChangedCount(1), 2);
    QVERIFY(Editor().ValueChanged(0, kSsrv, 1, 1));
    QVERIFY(!Editor().ValueChanged(0, kSsrv, 0, 1));
    QCOMPARE(ChangedPanelText(), QStringLiteral("Изменено: 3"));
    QCOMPARE(fm_->PageControl1->tabToolTip(1), QStringLiteral("Изменено: 2"));
    fm_->PageControl1->setCurrentIndex(0);
    Shot(fm_.get(), QStringLiteral("changed-values"));

    fm_->EditorToolBar->ChangedOnly1->trigger();
    QVERIFY(Views().ChangedOnly());
    QCOMPARE(Shown(0), QStringList({"+SSRV"}));
    QCOMPARE(Shown(1), QStringList({"+STRK"}));
    // The shown group moves up to the top; the page buttons follow it.
    QCOMPARE(Group(0, kSsrv)->y(), page0.first().y());
    auto* applyPage = fm_->PageControl1->widget(0)->findChild<QPushButton*>("page_0_apply");
    QVERIFY(!applyPage->isHidden());
    QVERIFY(applyPage->y() < Group(0, kSphn)->y());
    QVERIFY(!TabGreyed(0) && !TabGreyed(1) && TabGreyed(2) && TabGreyed(4));
    Shot(fm_.get(), QStringLiteral("changed-only"));

    // A page built now follows the view: nothing changed there, so it says so.
    QVERIFY(!Editor().PageBuilt(2));
    fm_->PageControl1->setCurrentIndex(2);
    QVERIFY(Editor().PageBuilt(2));
    QCOMPARE(Shown(2), QStringList());
    QVERIFY(Notice(2) && Notice(2)->isVisible());
    QCOMPARE(Notice(2)->text(), QStringLiteral("На этой странице нет изменённых значений."));

    // A value typed back is no change: its command leaves the view once the focus is elsewhere.
    fm_->PageControl1->setCurrentIndex(1);
    TypeOver(Input(1, kStrk, 0, 0), QStringLiteral("20"));
    TypeOver(Input(1, kStrk, 0, 2), QStringLiteral("150"));
    fm_->EditorToolBar->SearchEdit->setFocus();
    QTRY_COMPARE(Shown(1), QStringList());
    QTRY_VERIFY(TabGreyed(1));

    fm_->EditorToolBar->ChangedOnly1->trigger();
    QVERIFY(!Views().ChangedOnly());
    QCOMPARE(Shown(0).size(), 5);
    QCOMPARE(Shown(2).size(), 4);
    QCOMPARE(Geometries(0), page0);
    QCOMPARE(Geometries(1), page1);
    QVERIFY(!Notice(2)->isVisible());
    QVERIFY(!TabGreyed(2));
  }

  // Ctrl+F, typing, Enter and F3: descriptions, command names and values, on built pages and
  // pages not built yet; clearing the field brings every command back.
  void searchFiltersAndJumpsAcrossPages() {
    QVERIFY(Start());
    QLineEdit* search = fm_->EditorToolBar->SearchEdit;
    QLabel* status = fm_->EditorToolBar->SearchStatus;
    Input(0, kSgpr, 0, 1)->setFocus();
    QTest::keyClick(fm_.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(search->hasFocus());

    // A parameter description, in another letter case: every instance of it.
    TypeText(search, QStringLiteral("период"));
    QCOMPARE(Views().MatchCount(), 5);
    QCOMPARE(Shown(0), QStringList({"+SSRV"}));
    QCOMPARE(Views().CurrentMatch(), 0);
    QCOMPARE(FocusedCaption(), QStringLiteral("cmd_SSRV_0_3_check"));
    QCOMPARE(status->text(), QStringLiteral("1 из 5"));
    QVERIFY(search->hasFocus());
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(FocusedCaption(), QStringLiteral("cmd_SSRV_1_3_check"));
    QTest::keyClick(search, Qt::Key_Return);
    QTest::keyClick(fm_.get(), Qt::Key_F3);
    // On to the next page, built for it and filtered as well.
    QCOMPARE(fm_->PageControl1->currentIndex(), 1);
    QCOMPARE(Shown(1), QStringList({"+STRK"}));
    QCOMPARE(FocusedCaption(), QStringLiteral("cmd_STRK_0_0_check"));
    QCOMPARE(status->text(), QStringLiteral("4 из 5"));
    QTest::keyClick(fm_.get(), Qt::Key_F3);
    QTest::keyClick(fm_.get(), Qt::Key_F3);
    QCOMPARE(fm_->PageControl1->currentIndex(), 0);  // round again
    QCOMPARE(Views().CurrentMatch(), 0);
    Shot(fm_.get(), QStringLiteral("search"));

    // A value shown on a page not built yet (an option's text), and a command's name.
    search->clear();
    TypeText(search, QStringLiteral("глонасс"));
    QCOMPARE(Views().MatchCount(), 1);
    QCOMPARE(fm_->PageControl1->currentIndex(), 1);
    QCOMPARE(Shown(1), QStringList({"+SNAV"}));
    search->clear();
    QTest::keyClicks(search, QStringLiteral("+spin"));
    QCOMPARE(Views().MatchCount(), 1);
    QCOMPARE(Shown(0), QStringList({"+SPIN"}));
    QCOMPARE(FocusedCaption(), QStringLiteral("cmd_SPIN_name"));

    // A value the terminal gave: found after the poll, not before.
    search->clear();
    QTest::keyClicks(search, QStringLiteral("apn.example"));
    QCOMPARE(Views().MatchCount(), 0);
    QCOMPARE(status->text(), QStringLiteral("Не найдено"));
    QCOMPARE(Shown(0), QStringList());
    QCOMPARE(Notice(0)->text(), QStringLiteral("На этой странице ничего не найдено."));
    Click(0, QStringLiteral("page_0_poll"));
    QTRY_COMPARE(Views().MatchCount(), 1);
    QCOMPARE(Shown(0), QStringList({"+SGPR"}));

    // Both views at once: only changed commands that match.
    search->clear();
    TypeOver(Input(0, kSsrv, 2, 1), QStringLiteral("7000"));
    search->setFocus();
    TypeText(search, QStringLiteral("порт"));
    QCOMPARE(Views().MatchCount(), 3);
    fm_->EditorToolBar->ChangedOnly1->trigger();
    QCOMPARE(Views().MatchCount(), 3);  // +SSRV holds the change
    QCOMPARE(Shown(0), QStringList({"+SSRV"}));
    fm_->EditorToolBar->ChangedOnly1->trigger();

    // Esc clears the field; every command is back.
    QTest::keyClick(search, Qt::Key_Escape);
    QVERIFY(search->text().isEmpty());
    QCOMPARE(Shown(0).size(), 5);
    QCOMPARE(Shown(1).size(), 4);
    QCOMPARE(FocusedCaption(), QString());
    QCOMPARE(status->text(), QString());
  }

  // Only the instances holding changes are written, page by page, as one run with its summary;
  // a command no group run writes is named and left alone.
  void applyChangedWritesExactlyTheChangedInstances() {
    QVERIFY(Start());
    QVERIFY(!fm_->ApplyChanged1->isEnabled());
    Click(0, QStringLiteral("page_0_poll"));
    Click(1, QStringLiteral("page_1_poll"));
    TypeOver(Input(0, kSsrv, 1, 1), QStringLiteral("8080"));
    TypeOver(Input(0, kSpin, 0, 0), QStringLiteral("1111"));
    TypeOver(Input(1, kStrk, 0, 1), QStringLiteral("1200"));
    TypeOver(Input(1, kSodo, 0, 0), QStringLiteral("5"));
    Input(1, kSnav, 0, 1)->setFocus();
    QCOMPARE(Editor().ChangedCount(), 4);
    QVERIFY(fm_->ApplyChanged1->isEnabled());
    Received();

    fm_->ApplyChanged1->trigger();
    QCOMPARE(Writes(Received()),
             QStringList({"AT+SSRV=5678,2,10.0.0.2,8080,0,300,", "AT+SPIN=5678,1111,",
                          "AT+STRK=5678,20,1200,150,10,5,"}));
    // The run is over: the bar is empty again, and the status bar says what was done.
    QCOMPARE(fm_->ProgressBar->value(), fm_->ProgressBar->minimum());
    auto* summary = fm_->findChild<QLabel*>(QStringLiteral("WriteSummaryPanel"));
    QVERIFY(summary);
    QTRY_COMPARE(summary->text(), QStringLiteral("Записано и проверено: 3"));
    // Whole and in sight at the window's least width, and not taken over by a hint.
    fm_->resize(800, fm_->height());
    QTRY_COMPARE(fm_->width(), 800);
    QStatusTipEvent tip(QStringLiteral("Порт сервера"));
    QApplication::sendEvent(fm_.get(), &tip);
    QTRY_VERIFY(summary->isVisible());
    QVERIFY2(
        summary->width() >= summary->sizeHint().width(),
        qPrintable(
            QStringLiteral("%1 of %2 px").arg(summary->width()).arg(summary->sizeHint().width())));
    QVERIFY(fm_->StatusBar1->rect().contains(summary->geometry()));
    QCOMPARE(summary->text(), QStringLiteral("Записано и проверено: 3"));
    Shot(fm_.get(), QStringLiteral("status_bar_after_verified_apply"));
    QCOMPARE(Editor().ChangedCount(), 1);  // the odometer
    int skipped = 0;
    for (const TLogLine& line : fm_->Log().Lines())
      if (ToQString(line.Text) ==
          QStringLiteral("]+SODO: изменения не записаны, команда не входит в групповую запись"))
        ++skipped;
    QCOMPARE(skipped, 1);
    QVERIFY(operator_->Questions.isEmpty());
    QVERIFY(operator_->Messages.isEmpty());
  }

  // Written profile defaults are asked about first: cancel sends nothing; polling first keeps
  // what was typed; after a poll or a load there is no question; going on writes them.
  void questionBeforeWritingProfileDefaults() {
    QVERIFY(Start());
    Click(0, QStringLiteral("page_0_apply"));
    QCOMPARE(operator_->Questions.size(), 1);
    QVERIFY2(operator_->Questions[0].contains(QStringLiteral(
                 "(9): +SGPR, +SSRV#1, +SSRV#2, +SSRV#3, +SPHN#1, +SPHN#2, +SPHN#3, +SPHN#4, "
                 "+SPIN.")),
             qPrintable(operator_->Questions[0]));
    QVERIFY(operator_->PollOffered[0]);
    QCOMPARE(Received(), QStringList());  // not even the port was opened
    QVERIFY(!fm_->InCommandMode());

    // Poll first: the terminal's values come in, the port typed into #2 stays and is written.
    TypeOver(Input(0, kSsrv, 1, 1), QStringLiteral("8080"));
    operator_->DefaultsAnswer = QStringLiteral("DefaultValuesPoll");
    Click(0, QStringLiteral("page_0_apply"));
    QCOMPARE(operator_->Questions.size(), 2);
    const QStringList requests = Received();
    QCOMPARE(requests.mid(0, 4), QStringList({"AT+SGPR=?", "AT+SSRV=?", "AT+SPHN=?", "AT+SPIN=?"}));
    QCOMPARE(Writes(requests).size(), 9);
    QVERIFY(Writes(requests).contains(QStringLiteral("AT+SSRV=5678,2,10.0.0.2,8080,0,300,")));
    QVERIFY(Writes(requests).contains(QStringLiteral("AT+SGPR=5678,2,apn.example,user1,,")));
    QCOMPARE(qobject_cast<TIntegerEdit*>(Input(0, kSsrv, 1, 1))->Text(), QStringLiteral("8080"));
    QCOMPARE(Editor().ValueOrigin(0, kSsrv, 1, 1), voRead);  // the apply's answer

    // Everything read now: no question.
    Click(0, QStringLiteral("page_0_apply"));
    QCOMPARE(operator_->Questions.size(), 2);
    QCOMPARE(Writes(Received()).size(), 9);

    // A loaded file gives its values an origin of their own: no question either.
    const QString file = dir_.filePath(QStringLiteral("saved.zxml"));
    QVERIFY(fm_->SaveConfiguration(file));
    QVERIFY(Start());
    QVERIFY(fm_->LoadConfiguration(file));
    QCOMPARE(Editor().ValueOrigin(0, kSsrv, 1, 1), voFile);
    Click(0, QStringLiteral("cmd_SSRV_applyAll"));
    QCOMPARE(operator_->Questions, QStringList());
    QCOMPARE(Writes(Received()), QStringList({"AT+SSRV=5678,1,10.0.0.1,9001,1,120,",
                                              "AT+SSRV=5678,2,10.0.0.2,8080,0,300,",
                                              "AT+SSRV=5678,3,10.0.0.3,9003,1,600,"}));

    // Going on writes the defaults as shown.
    QVERIFY(Start());
    operator_->DefaultsAnswer = QStringLiteral("DefaultValuesWrite");
    Click(0, QStringLiteral("cmd_SSRV_applyAll"));
    QCOMPARE(operator_->Questions.size(), 1);
    QVERIFY2(operator_->Questions[0].contains(QStringLiteral("(3): +SSRV#1, +SSRV#2, +SSRV#3.")),
             qPrintable(operator_->Questions[0]));
    QCOMPARE(Writes(Received()), QStringList({"AT+SSRV=5678,1,0.0.0.0,20100,0,60,",
                                              "AT+SSRV=5678,2,0.0.0.0,20100,0,60,",
                                              "AT+SSRV=5678,3,0.0.0.0,20100,0,60,"}));
    QVERIFY(operator_->Messages.isEmpty());
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TChangeViewsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "change_views_test.moc"
