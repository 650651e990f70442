// The Qt parameter editor on real widgets, offscreen: layout, defaults, hints, address binding
// (against the headless editor), typing rules and the unsupported mark.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpontaneKeyEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <memory>

#include "configfiles/config_file.h"
#include "editor/address_cases.h"
#include "editor/editor_rules.h"
#include "editor/headless_editor.h"
#include "editor/mask_matcher.h"
#include "editor/qt/deep_component_enumerator.h"
#include "editor/qt/qt_editor_views.h"
#include "editor/qt/qt_hex_edit.h"
#include "editor/qt/qt_integer_edit.h"
#include "editor/qt/qt_page_tab_bar.h"
#include "editor/qt/qt_page_tabs.h"
#include "editor/qt/qt_parameter_editor.h"
#include "editor/qt/qt_text_edit.h"
#include "editor/qt/qt_wrap_check_box.h"
#include "link/log_model.h"
#include "profile/cp1251.h"
#include "settings/settings.h"
#include "ui/qt_text.h"

using namespace quillon;

namespace {

// Fixed units keep the expected geometry readable: W = 20, H = 17, InputWidth 20.
constexpr int W = 20;
constexpr int H = 17;
constexpr int IW = 20;

// A main window holding the tab control, the editor built into it, and what it writes to.
struct EditorWindow {
  // Invalid units: measured as the main window does.
  explicit EditorWindow(CommandProfile source, QSize units = QSize(W, H))
      : profile(std::move(source)) {
    tabs = new TQtPageTabs(&window);
    tabs->setObjectName("PageControl1");
    window.setCentralWidget(tabs);
    if (!units.isValid()) units = TQtParameterEditor::MeasureUnits(tabs);
    window.resize(units.width() * (IW + 22), 600);
    editor = std::make_unique<TQtParameterEditor>(tabs, profile, log, matcher);
    editor->BuildEditor(units.width(), units.height());
  }

  static std::unique_ptr<EditorWindow> FromXml(const QString& pages, int inputWidth = IW,
                                               QSize units = QSize(W, H)) {
    CommandProfile profile;
    profile.LoadCommandProfileFromBuffer(
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><application><inputwidth>%1"
                       "</inputwidth>%2</application>")
            .arg(inputWidth)
            .arg(pages)
            .toStdString());
    return std::make_unique<EditorWindow>(std::move(profile), units);
  }

  void Show() {
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
  }

  template <typename T = QWidget>
  T* Find(const QString& name) const {
    T* found = tabs->findChild<T*>(name);
    if (!found) qWarning("no control named %s", qPrintable(name));
    return found;
  }

  QString LastLog() const {
    return log.Lines().empty() ? QString() : ToQString(log.Lines().back().Text);
  }

  TSettings settings;
  TLogModel log{settings};
  TMaskMatcher matcher;
  CommandProfile profile;
  QMainWindow window;
  TQtPageTabs* tabs = nullptr;
  std::unique_ptr<TQtParameterEditor> editor;
};

// Where the contents of a group box begin: at H, or where the style's caption area ends when
// that is lower.
int GroupTop(QWidget* context, int unitHeight = H) {
  QGroupBox captioned(QStringLiteral("#1"), context);
  return std::max(unitHeight, captioned.contentsRect().top());
}

// A button's left edge and width: as laid out, wider where the caption needs it.
QRect ButtonRect(const QPushButton* button, int left, int top, int width) {
  return QRect(left, top, std::max(width, button->sizeHint().width()), button->height());
}

// The vertical middle of the first caption line of a row's label or check box.
int FirstLineMiddle(const QWidget* caption) {
  const auto* box = qobject_cast<const TWrapCheckBox*>(caption);
  const int top = box ? box->CaptionTop() : caption->contentsMargins().top();
  return caption->y() + top + caption->fontMetrics().height() / 2;
}

void Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// Types any characters, Cyrillic included (QTest::keyClicks knows only Latin-1 keys).
void TypeText(QWidget* widget, const QString& text) {
  for (QChar ch : text) QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), {});
}

// Moves the focus as the operator does with the Tab key.
void TabAway(QWidget* from) {
  QTest::keyClick(from, Qt::Key_Tab);
}

}  // namespace

class TestQtParameterEditor : public QObject {
  Q_OBJECT

 private slots:
  void buildsTheSampleProfile();
  void pageWithoutCommandsShowsOnlyThePageButtons();
  void laysOutCommandGroupsRowsAndButtons();
  void commandWithoutButtonsEndsBelowItsLastRow();
  void indexedCommandGetsInstanceGroups();
  void selectsOptionsAndStartsIntegerFields();
  void writesHintTexts();
  void buildsTableViewsFromTheAttributes();
  void answersAddressQuestionsLikeTheHeadlessEditor();
  void keepsFullAddressesPastThePackedTag();
  void readsAParameterInOneQuestionLikeInSeveral();
  void findsControlsAnewAfterTheyMoveOrGo();
  void buttonsReportTheirAddress();
  void textFieldRefusesChangesThatFailTheMask();
  void textFieldStopsTypingAtMaxLen();
  void textFieldKeepsTheFocusWhenTheLeaveMaskFails();
  void invalidMasksAreReportedNotApplied();
  void hexFieldTakesHexDigitsInUpperCase();
  void hexFieldChecksCompletenessAndRange();
  void integerFieldFiltersKeysAndAppliesLimits();
  void optionalCheckBoxSwitchesTheInput();
  void defaultValuesLookFaintAndItalic();
  void wheelScrollsThePageUnlessTheInputHasTheFocus();
  void marksAnUnsupportedCommand();
  void enumeratorWalksContainersBeforeContents();
  void widthsFollowTheWindow();
  void buildsOtherPagesWhenShownOrAskedFor();
  void buildsThousandsOfPages();
  void buildsInstancesOfAHugeCommandWhenNeeded();
  void savesExactlyWhatTheControlsShow();
  void keepsWritesIntoInstancesNotBuilt();
  void contentsKeepTheirUnitsWhenTheCaptionIsSmaller();
  void sampleProfileLooksTidy();
};

void TestQtParameterEditor::buildsTheSampleProfile() {
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  if (profile.Pages.empty()) QSKIP("no sample profile in the working directory");
  profile.InputWidth = std::max(profile.InputWidth, 20);
  EditorWindow w(std::move(profile));
  const CommandProfile& p = w.profile;
  QCOMPARE(w.tabs->count(), static_cast<int>(p.Pages.size()));
  QCOMPARE(w.tabs->currentIndex(), 0);
  THeadlessEditor headless(p);
  for (int page = 0; page < static_cast<int>(p.Pages.size()); ++page) {
    QCOMPARE(w.tabs->tabText(page), ToQString(p.Pages[page].Name));
    const auto& commands = p.Pages[page].Commands;
    for (int c = 0; c < static_cast<int>(commands.size()); ++c) {
      const TDevCommand& cmd = commands[c];
      QWidget* group = w.editor->FindParameterControl(page, c, 0, 0, ckGroup);
      QVERIFY(group);
      QCOMPARE(static_cast<QGroupBox*>(group)->title(), ToQString(cmd.Description));
      for (int k = 0; k < InstanceCount(cmd); ++k) {
        for (int i = 0; i < static_cast<int>(cmd.Parameters.size()); ++i) {
          const TCmdParameter& param = cmd.Parameters[i];
          QWidget* input = w.editor->FindParameterControl(page, c, k, i, ckInput);
          QVERIFY(input);
          const ParamAddress a = w.editor->GetControlAddress(input);
          QCOMPARE(a.Page, page);
          QCOMPARE(a.Command, c);
          QCOMPARE(a.Instance, k);
          QCOMPARE(a.Param, i);
          QCOMPARE(input->toolTip(), ToQString(ParameterHint(param)));
          QCOMPARE(w.editor->HasControl(page, c, k, i, ckCheckBox), param.Optional);
          QCOMPARE(w.editor->InputText(page, c, k, i), headless.InputText(page, c, k, i));
          QCOMPARE(w.editor->OptionIndex(page, c, k, i), headless.OptionIndex(page, c, k, i));
        }
      }
      QCOMPARE(w.editor->HasTable(page, c, 0, 0), headless.HasTable(page, c, 0, 0));
    }
  }
}

void TestQtParameterEditor::pageWithoutCommandsShowsOnlyThePageButtons() {
  auto w = EditorWindow::FromXml(QStringLiteral("<page id=\"1\" name=\"Пусто\"/>"));
  QCOMPARE(w->tabs->count(), 1);
  QCOMPARE(w->tabs->tabText(0), QStringLiteral("Пусто"));
  auto* apply = w->Find<QPushButton>("page_0_apply");
  auto* poll = w->Find<QPushButton>("page_0_poll");
  QVERIFY(apply && poll);
  QCOMPARE(apply->text(), QStringLiteral("Применить страницу"));
  QCOMPARE(poll->text(), QStringLiteral("Получить страницу"));
  QCOMPARE(apply->geometry(), ButtonRect(apply, W / 2, H / 5, 7 * W));
  QCOMPARE(poll->geometry(),
           ButtonRect(poll, std::max(8 * W, apply->geometry().right() + 1 + W / 2), H / 5, 7 * W));
  QCOMPARE(w->tabs->findChildren<QGroupBox*>().size(), 0);

  // Wide units: the buttons keep their widths and places.
  auto wide =
      EditorWindow::FromXml(QStringLiteral("<page id=\"1\" name=\"Пусто\"/>"), IW, QSize(40, H));
  QCOMPARE(wide->Find("page_0_apply")->geometry(), QRect(20, H / 5, 280, apply->height()));
  QCOMPARE(wide->Find("page_0_poll")->geometry(), QRect(320, H / 5, 280, poll->height()));
}

void TestQtParameterEditor::laysOutCommandGroupsRowsAndButtons() {
  auto w = EditorWindow::FromXml(QStringLiteral(
      "<page id=\"1\" name=\"P\">"
      "<command command=\"+ABCD\" description=\"Первая\" polldata=\"1\">"
      "<parameter type=\"string\" description=\"Имя\"/>"
      "<parameter type=\"integer\" description=\"Период\" optional=\"0\" suffix=\"сек\"/>"
      "</command>"
      "<command command=\"+EFGH\" description=\"Вторая\" setdata=\"0\" polldata=\"1\"/>"
      "</page>"));
  auto* group = w->Find<QGroupBox>("cmd_ABCD");
  QVERIFY(group);
  QCOMPARE(group->title(), QStringLiteral("Первая"));
  QCOMPARE(group->geometry().topLeft(), QPoint(W / 5, H / 5));
  QCOMPARE(group->width(), W * (IW + 21));

  auto* keyword = w->Find<QLabel>("cmd_ABCD_name");
  QCOMPARE(keyword->text(), QStringLiteral("+ABCD"));
  // Below the caption: the keyword starts where the group's contents begin.
  QCOMPARE(keyword->geometry().topLeft(), QPoint(W / 2, GroupTop(w->tabs)));
  QVERIFY(keyword->y() >= group->contentsRect().top());

  // Row 0: check box and text field.
  int yc = keyword->geometry().bottom() + 1 + H / 5;
  auto* check = w->Find<TWrapCheckBox>("cmd_ABCD_0_0_check");
  auto* name = w->Find<TTextEdit>("cmd_ABCD_0_0");
  QVERIFY(check && name);
  QCOMPARE(check->text(), QStringLiteral("Имя"));
  QVERIFY(check->isChecked());
  QCOMPARE(check->geometry(), QRect(W / 2, yc, 14 * W, std::max(H, check->height())));
  QCOMPARE(name->geometry().topLeft(), QPoint(15 * W, yc));
  QCOMPARE(name->width(), W * IW);
  // The caption's first line stands level with the field's text.
  QVERIFY(qAbs(FirstLineMiddle(check) - (name->y() + name->height() / 2)) <= 1);
  yc += std::max(name->height(), check->height()) + H / 2;

  // Row 1: label linked to the numeric field, suffix beside it.
  auto* label = w->Find<QLabel>("cmd_ABCD_0_1_label");
  auto* period = w->Find<TIntegerEdit>("cmd_ABCD_0_1");
  auto* suffix = w->Find<QLabel>("cmd_ABCD_0_1_suffix");
  QVERIFY(label && period && suffix);
  QVERIFY(label->wordWrap());
  QCOMPARE(label->buddy(), period);
  QCOMPARE(label->geometry().topLeft(), QPoint(W / 2 + W, yc));
  QCOMPARE(label->width(), 13 * W);
  QCOMPARE(period->geometry().topLeft(), QPoint(15 * W, yc));
  QCOMPARE(suffix->text(), QStringLiteral("сек"));
  QCOMPARE(suffix->geometry().topLeft(), QPoint(15 * W + W * IW + W / 2, yc));
  QCOMPARE(suffix->property("ControlTag").toUInt(), 0u);
  QVERIFY(qAbs(FirstLineMiddle(label) - (period->y() + period->height() / 2)) <= 1);
  QCOMPARE(suffix->geometry().center().y(), period->geometry().center().y());
  yc += std::max(period->height(), label->height()) + H / 2;

  auto* apply = w->Find<QPushButton>("cmd_ABCD_apply");
  auto* poll = w->Find<QPushButton>("cmd_ABCD_poll");
  QVERIFY(apply && poll);
  QCOMPARE(apply->text(), QStringLiteral("Применить"));
  QCOMPARE(poll->text(), QStringLiteral("Получить"));
  QCOMPARE(apply->geometry(), ButtonRect(apply, W / 2, yc, 6 * W));
  QCOMPARE(poll->geometry(),
           ButtonRect(poll, std::max(7 * W, apply->geometry().right() + 1 + W / 2), yc, 6 * W));
  QCOMPARE(group->height(), poll->geometry().bottom() + 1 + H / 2);

  // The second command: only "Получить", below the first group.
  auto* second = w->Find<QGroupBox>("cmd_EFGH");
  QCOMPARE(second->y(), group->geometry().bottom() + 1 + H / 2);
  QVERIFY(!w->tabs->findChild<QPushButton*>("cmd_EFGH_apply"));
  auto* secondPoll = w->Find<QPushButton>("cmd_EFGH_poll");
  QCOMPARE(second->height(), secondPoll->geometry().bottom() + 1 + H / 2);

  auto* applyPage = w->Find<QPushButton>("page_0_apply");
  QCOMPARE(applyPage->y(), second->geometry().bottom() + 1 + H / 2);

  // Children in the order they were made: label, then row by row, then the buttons.
  const QObjectList children = group->children();
  QCOMPARE(children.indexOf(keyword), 0);
  QVERIFY(children.indexOf(check) < children.indexOf(name));
  QVERIFY(children.indexOf(name) < children.indexOf(label));
  QVERIFY(children.indexOf(suffix) < children.indexOf(apply));
  QVERIFY(children.indexOf(apply) < children.indexOf(poll));
}

void TestQtParameterEditor::commandWithoutButtonsEndsBelowItsLastRow() {
  auto w = EditorWindow::FromXml(QStringLiteral(
      "<page id=\"1\" name=\"P\"><command command=\"+NONE\" description=\"Без кнопок\" "
      "setdata=\"0\"><parameter type=\"string\" description=\"Текст\" optional=\"0\"/>"
      "</command></page>"));
  auto* group = w->Find<QGroupBox>("cmd_NONE");
  QCOMPARE(group->findChildren<QPushButton*>().size(), 0);
  auto* label = w->Find<QLabel>("cmd_NONE_0_0_label");
  auto* text = w->Find<TTextEdit>("cmd_NONE_0_0");
  QCOMPARE(group->height(), text->y() + std::max(text->height(), label->height()) + H / 2);
}

void TestQtParameterEditor::indexedCommandGetsInstanceGroups() {
  auto w = EditorWindow::FromXml(QStringLiteral(
      "<page id=\"1\" name=\"P\"><command command=\"+SSRV\" description=\"Серверы\" "
      "maxindex=\"3\" polldata=\"1\"><parameter type=\"string\" description=\"Адрес\"/>"
      "</command></page>"));
  auto* group = w->Find<QGroupBox>("cmd_SSRV");
  auto* keyword = w->Find<QLabel>("cmd_SSRV_name");
  QList<QGroupBox*> instances;
  for (int k = 0; k < 3; ++k) instances << w->Find<QGroupBox>(QStringLiteral("cmd_SSRV_%1").arg(k));
  QCOMPARE(instances[0]->title(), QStringLiteral("#1"));
  QCOMPARE(instances[2]->title(), QStringLiteral("#3"));
  QCOMPARE(instances[0]->geometry().topLeft(),
           QPoint(W / 5, keyword->geometry().bottom() + 1 + H / 5));
  QCOMPARE(instances[0]->width(), W * (IW + 20));
  QCOMPARE(instances[1]->y(), instances[0]->geometry().bottom() + 1 + H / 5);
  QCOMPARE(instances[2]->y(), instances[1]->geometry().bottom() + 1 + H / 5);
  for (int k = 0; k < 3; ++k) {
    auto* field = w->Find<TTextEdit>(QStringLiteral("cmd_SSRV_%1_0").arg(k));
    QCOMPARE(field->parentWidget(), instances[k]);
    // Rows restart at the top of each instance group's contents.
    QCOMPARE(field->y(), GroupTop(w->tabs));
    QVERIFY(field->y() >= instances[k]->contentsRect().top());
    auto* apply = w->Find<QPushButton>(QStringLiteral("cmd_SSRV_%1_apply").arg(k));
    QCOMPARE(apply->text(), QStringLiteral("Применить"));
    QCOMPARE(apply->geometry(),
             ButtonRect(apply, W / 2, field->geometry().bottom() + 1 + H / 2, 4 * W));
    QCOMPARE(instances[k]->height(), apply->geometry().bottom() + 1 + H / 2);
    const ParamAddress a = w->editor->GetControlAddress(apply);
    QCOMPARE(a.Instance, k);
  }
  const int ys = instances[2]->geometry().bottom() + 1 + H / 2;
  auto* applyAll = w->Find<QPushButton>("cmd_SSRV_applyAll");
  auto* poll = w->Find<QPushButton>("cmd_SSRV_poll");
  QCOMPARE(applyAll->text(), QStringLiteral("Применить все"));
  QCOMPARE(applyAll->geometry(), ButtonRect(applyAll, W / 2, ys, 6 * W));
  QCOMPARE(poll->geometry(),
           ButtonRect(poll, std::max(7 * W, applyAll->geometry().right() + 1 + W / 2), ys, 6 * W));
  QVERIFY(group->children().indexOf(instances[2]) < group->children().indexOf(applyAll));
}

void TestQtParameterEditor::selectsOptionsAndStartsIntegerFields() {
  auto w = EditorWindow::FromXml(QStringLiteral(
      "<page id=\"1\" name=\"P\"><command command=\"+OPTS\" description=\"Выбор\">"
      "<parameter type=\"option\" description=\"a\" defaultvalue=\"2\"><option value=\"1\" "
      "text=\"один\"/><option value=\"2\" text=\"два\"/><option value=\"2\" text=\"ещё два\"/>"
      "</parameter>"
      "<parameter type=\"option\" description=\"b\" defaultvalue=\"9\"><option value=\"1\" "
      "text=\"один\"/><option value=\"2\" text=\"два\"/><option value=\"3\" text=\"три\"/>"
      "</parameter>"
      "<parameter type=\"option\" description=\"c\" defaultvalue=\"9\"><option value=\"1\" "
      "text=\"один\"/></parameter>"
      "<parameter type=\"integer\" description=\"d\" minvalue=\"1\" maxvalue=\"10\"/>"
      "<parameter type=\"integer\" description=\"e\" minvalue=\"0\" maxvalue=\"0\"/>"
      "<parameter type=\"integer\" description=\"f\" minvalue=\"1\" maxvalue=\"10\" "
      "defaultvalue=\"25\"/>"
      "</command></page>"));
  auto* a = w->Find<QComboBox>("cmd_OPTS_0_0");
  QCOMPARE(a->count(), 3);
  QCOMPARE(a->itemText(2), QStringLiteral("ещё два"));
  QVERIFY(!a->isEditable());
  QCOMPARE(a->currentIndex(), 2);
  QCOMPARE(w->Find<QComboBox>("cmd_OPTS_0_1")->currentIndex(), 1);
  QCOMPARE(w->Find<QComboBox>("cmd_OPTS_0_2")->currentIndex(), -1);
  QCOMPARE(w->Find<TIntegerEdit>("cmd_OPTS_0_3")->Text(), QStringLiteral("1"));
  auto* unlimited = w->Find<TIntegerEdit>("cmd_OPTS_0_4");
  QCOMPARE(unlimited->Text(), QStringLiteral("0"));
  unlimited->SetValue(123456);
  QCOMPARE(unlimited->Text(), QStringLiteral("123456"));
  QCOMPARE(w->Find<TIntegerEdit>("cmd_OPTS_0_5")->Text(), QStringLiteral("10"));
}

void TestQtParameterEditor::writesHintTexts() {
  auto w = EditorWindow::FromXml(QStringLiteral(
      "<page id=\"1\" name=\"P\"><command command=\"+HINT\" description=\"Подсказки\">"
      "<parameter type=\"hex\" description=\"Маска\" maxlen=\"8\"/>"
      "<parameter type=\"hex\" description=\"Код\" maxlen=\"4\" minvalue=\"1\" "
      "maxvalue=\"255\"/>"
      "<parameter type=\"string\" description=\"Имя\"/>"
      "<parameter type=\"string\" description=\"APN\" maxlen=\"32\" "
      "onleave_mask=\"^[a-z]+$\"/>"
      "<parameter type=\"integer\" description=\"Период\" minvalue=\"5\" maxvalue=\"3600\"/>"
      "</command></page>"));
  const struct {
    const char* Name;
    QString Hint;
  } cases[] = {
      {"cmd_HINT_0_0", QStringLiteral("Маска\r\nШестнадцатеричное число 8 символов")},
      {"cmd_HINT_0_1", QStringLiteral("Код\r\nШестнадцатеричное число 4 символов от 0001(1) до "
                                      "00FF(255)")},
      {"cmd_HINT_0_2", QStringLiteral("Имя\r\nСтрока")},
      {"cmd_HINT_0_3", QStringLiteral("APN\r\nСтрока до 32 символов, маска ^[a-z]+$")},
      {"cmd_HINT_0_4", QStringLiteral("Период\r\nЧисло от 5 до 3600")},
  };
  for (const auto& c : cases) {
    QWidget* input = w->Find(c.Name);
    QVERIFY(input);
    QCOMPARE(input->toolTip(), c.Hint);
    QCOMPARE(input->statusTip(), c.Hint);
  }
}

void TestQtParameterEditor::buildsTableViewsFromTheAttributes() {
  auto w = EditorWindow::FromXml(
      QStringLiteral("<page id=\"1\" name=\"P\">"
                     "<command command=\"+TBL\" description=\"Таблица\" pollprocessor=\"table\" "
                     "table_headers=\"Номер\" table_width=\"100,80,x\" polldata=\"1\">"
                     "<parameter type=\"string\" description=\"a\" optional=\"0\"/></command>"
                     "<command command=\"+TBX\" description=\"Не таблица\" pollprocessor=\"Table\" "
                     "table_headers=\"Номер\"/>"
                     "</page>"));
  auto* table = w->Find<QTableWidget>("cmd_TBL_table");
  QVERIFY(table);
  QCOMPARE(table->columnCount(), 3);
  QCOMPARE(table->horizontalHeaderItem(0)->text(), QStringLiteral("Номер"));
  QCOMPARE(table->horizontalHeaderItem(1)->text(), QString());
  QCOMPARE(table->columnWidth(0), 100);
  QCOMPARE(table->columnWidth(1), 80);
  QCOMPARE(table->columnWidth(2), 50);
  QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
  QVERIFY(table->showGrid());
  QVERIFY(!table->horizontalHeader()->isHidden());
  auto* field = w->Find<TTextEdit>("cmd_TBL_0_0");
  QCOMPARE(table->geometry(),
           QRect(W / 2 + W, field->geometry().bottom() + 1 + H / 2, W * (IW + 13) + W / 2, 150));
  QCOMPARE(w->Find<QPushButton>("cmd_TBL_poll")->y(), table->geometry().bottom() + 1 + H / 2);
  QVERIFY(!w->tabs->findChild<QTableWidget*>("cmd_TBX_table"));
  QVERIFY(!w->editor->HasTable(0, 1, 0, 0));

  w->editor->AddTableRow(0, 0, 0, 0, {"1", "2", "3", "4"});
  QCOMPARE(w->editor->TableColumnCount(0, 0, 0, 0), 4);
  QCOMPARE(w->editor->TableRows(0, 0, 0, 0),
           (std::vector<std::vector<std::string>>{{"1", "2", "3", "4"}}));
  w->editor->ClearTableRows(0, 0, 0, 0);
  QCOMPARE(table->rowCount(), 0);
}

void TestQtParameterEditor::answersAddressQuestionsLikeTheHeadlessEditor() {
  EditorWindow w(testing::MakeAddressProfile());
  THeadlessEditor headless(w.profile);
  for (const testing::TAddressCase& c : testing::AddressCases()) {
    QWidget* found = w.editor->FindParameterControl(c.Page, c.Command, c.Instance, c.Param, c.Kind);
    QVERIFY2((found != nullptr) == c.Found, c.Name);
    QVERIFY2(headless.HasControl(c.Page, c.Command, c.Instance, c.Param, c.Kind) == c.Found,
             c.Name);
    if (!found) continue;
    const ParamAddress a = w.editor->GetControlAddress(found);
    QCOMPARE(a.Page, c.Page);
    QCOMPARE(a.Command, c.Command);
    if (c.Kind == ckGroup) {
      QCOMPARE(found->metaObject(), &QGroupBox::staticMetaObject);
      continue;
    }
    QCOMPARE(a.Instance, c.Instance);
    QCOMPARE(a.Param, c.Param);
    const TCmdParameter& param = w.profile.Pages[c.Page].Commands[c.Command].Parameters[c.Param];
    const QMetaObject* expected = &TWrapCheckBox::staticMetaObject;
    if (c.Kind == ckInput) {
      switch (param.ParamType) {
        case ptInteger:
          expected = &TIntegerEdit::staticMetaObject;
          break;
        case ptString:
          expected = &TTextEdit::staticMetaObject;
          break;
        case ptHex:
          expected = &THexEdit::staticMetaObject;
          break;
        case ptOption:
          expected = &QComboBox::staticMetaObject;
          break;
      }
    }
    QVERIFY2(found->metaObject() == expected, c.Name);
  }
}

void TestQtParameterEditor::keepsFullAddressesPastThePackedTag() {
  EditorWindow w(testing::MakeAddressProfile());
  w.editor->SetInputText(2, 0, 0, 256, "p256");
  w.editor->SetInputText(2, 1, 256, 0, "i256");
  QCOMPARE(w.editor->InputText(2, 0, 0, 0), std::string());
  QCOMPARE(w.editor->InputText(2, 0, 0, 256), std::string("p256"));
  QCOMPARE(w.editor->InputText(2, 1, 0, 0), std::string());
  QCOMPARE(w.editor->InputText(2, 1, 256, 0), std::string("i256"));
  QWidget* instance256 = w.editor->FindParameterControl(2, 1, 256, 0, ckInput);
  const ParamAddress a = w.editor->GetControlAddress(instance256);
  QCOMPARE(a.Command, 1);
  QCOMPARE(a.Instance, 256);
  // The packed tag alone reads as the command group's own address.
  int32_t c = 0, k = 0, i = 0;
  DecodeControlTag(instance256->property("ControlTag").toUInt(), c, k, i);
  QCOMPARE(c, 1);
  QCOMPARE(k, 0);
}

void TestQtParameterEditor::readsAParameterInOneQuestionLikeInSeveral() {
  EditorWindow w(testing::MakeAddressProfile());
  w.editor->SetChecked(0, 0, 0, 0, false);
  w.editor->SetInputText(0, 0, 0, 0, "-17");
  w.editor->SetOptionIndex(0, 0, 0, 3, 2);
  w.editor->SetInputText(0, 1, 2, 0, "\xCF\xF0\xE8\xE2\xE5\xF2");  // CP1251 letters
  // Straight into the field: a letter past U+FFFF and a lone half of a pair have no CP1251 letter.
  auto* field = qobject_cast<QLineEdit*>(w.editor->FindParameterControl(0, 0, 0, 1, ckInput));
  QVERIFY(field);
  field->setText(QStringLiteral("a\u0451") + QString::fromUcs4(U"\U0001F600") + QChar(0xD800) +
                 QStringLiteral("z"));
  QCOMPARE(w.editor->InputText(0, 0, 0, 1), std::string("a\xB8??z"));
  THeadlessEditor headless(w.profile);
  headless.SetChecked(0, 0, 0, 0, false);
  headless.SetOptionIndex(0, 0, 0, 3, -1);
  const IParameterEditor* editors[] = {w.editor.get(), &headless};
  for (const IParameterEditor* e : editors) {
    for (const testing::TAddressCase& c : testing::AddressCases()) {
      if (c.Kind == ckGroup) continue;
      for (const bool optional : {false, true}) {
        for (const bool option : {false, true}) {
          const TParameterReading r =
              e->ReadParameter(c.Page, c.Command, c.Instance, c.Param, optional, option);
          const int p = c.Page, m = c.Command, k = c.Instance, i = c.Param;
          QVERIFY2(r.HasInput == e->HasControl(p, m, k, i, ckInput), c.Name);
          QVERIFY2(r.Checked == (optional && e->Checked(p, m, k, i)), c.Name);
          QVERIFY2(r.Text == (option || !r.HasInput ? "" : e->InputText(p, m, k, i)), c.Name);
          QVERIFY2(r.Option == (option && r.HasInput ? e->OptionIndex(p, m, k, i) : -1), c.Name);
        }
      }
    }
  }
  const TParameterReading text = w.editor->ReadParameter(0, 1, 2, 0, true, false);
  QVERIFY(text.HasInput && text.Checked);
  QCOMPARE(text.Text, std::string("\xCF\xF0\xE8\xE2\xE5\xF2"));
  QCOMPARE(w.editor->ReadParameter(0, 0, 0, 3, false, true).Option, 2);
  QVERIFY(!w.editor->ReadParameter(0, 0, 0, 0, true, false).Checked);
}

// A control kept from an earlier answer is given again only while the search would find it.
void TestQtParameterEditor::findsControlsAnewAfterTheyMoveOrGo() {
  EditorWindow w(testing::MakeAddressProfile());
  QWidget* input = w.editor->FindParameterControl(0, 0, 0, 1, ckInput);
  QWidget* plainGroup = w.editor->FindParameterControl(0, 0, 0, 0, ckGroup);
  QWidget* otherGroup = w.editor->FindParameterControl(0, 2, 0, 0, ckGroup);
  QVERIFY(input && plainGroup && otherGroup);
  input->setParent(otherGroup);
  QVERIFY(!w.editor->FindParameterControl(0, 0, 0, 1, ckInput));
  input->setParent(plainGroup);
  QCOMPARE(w.editor->FindParameterControl(0, 0, 0, 1, ckInput), input);

  // An instance box moved under another command's group takes its inputs out of reach.
  QWidget* indexed = w.editor->FindParameterControl(0, 1, 0, 0, ckGroup);
  QWidget* inner = w.editor->FindParameterControl(0, 1, 2, 1, ckInput);
  QVERIFY(indexed && inner);
  QWidget* instanceBox = inner->parentWidget();
  instanceBox->setParent(otherGroup);
  QVERIFY(!w.editor->FindParameterControl(0, 1, 2, 1, ckInput));
  instanceBox->setParent(indexed);
  QCOMPARE(w.editor->FindParameterControl(0, 1, 2, 1, ckInput), inner);

  delete w.editor->FindParameterControl(0, 0, 0, 0, ckCheckBox);
  QVERIFY(!w.editor->FindParameterControl(0, 0, 0, 0, ckCheckBox));
  QVERIFY(!w.editor->ReadParameter(0, 0, 0, 0, true, false).Checked);
  delete w.editor->FindParameterControl(0, 0, 0, 3, ckInput);
  QVERIFY(!w.editor->HasControl(0, 0, 0, 3, ckInput));

  // Rebuilt pages answer with their new controls.
  w.editor->BuildEditor(W, H);
  QWidget* rebuilt = w.editor->FindParameterControl(0, 0, 0, 3, ckInput);
  QVERIFY(rebuilt);
  QCOMPARE(w.editor->GetControlAddress(rebuilt).Param, 3);
  QVERIFY(w.editor->FindParameterControl(0, 0, 0, 0, ckCheckBox));
}

void TestQtParameterEditor::buttonsReportTheirAddress() {
  EditorWindow w(testing::MakeAddressProfile());
  QList<QPair<QString, ParamAddress>> clicks;
  auto record = [&clicks](const char* what) {
    return [&clicks, what](const ParamAddress& a) { clicks.append({what, a}); };
  };
  TEditorCallbacks callbacks;
  callbacks.CmdApplyClick = record("apply");
  callbacks.CmdPollClick = record("poll");
  callbacks.CmdApplyAllClick = record("applyPage");
  callbacks.CmdPollAllClick = record("pollPage");
  callbacks.CmdApplyAllIndexedClick = record("applyAll");
  w.editor->SetCallbacks(callbacks);
  w.editor->BuildAllPages();  // the buttons are looked up by name below
  w.tabs->setCurrentIndex(2);
  w.Show();
  const struct {
    const char* Button;
    const char* What;
    ParamAddress Address;
  } cases[] = {
      {"cmd_PLN_apply", "apply", {0, 0, 0, 0}},   {"cmd_PLN_poll", "poll", {0, 0, 0, 0}},
      {"cmd_IDX_2_apply", "apply", {0, 1, 2, 0}}, {"cmd_IDX_applyAll", "applyAll", {0, 1, 0, 0}},
      {"cmd_IDX_poll", "poll", {0, 1, 0, 0}},     {"page_0_apply", "applyPage", {0, 0, 0, 0}},
      {"page_1_poll", "pollPage", {1, 0, 0, 0}},  {"cmd_MANY_299_apply", "apply", {2, 1, 299, 0}},
  };
  for (const auto& c : cases) {
    clicks.clear();
    auto* button = w.Find<QPushButton>(c.Button);
    QVERIFY(button);
    button->click();
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks[0].first, QString(c.What));
    QCOMPARE(clicks[0].second.Page, c.Address.Page);
    QCOMPARE(clicks[0].second.Command, c.Address.Command);
    QCOMPARE(clicks[0].second.Instance, c.Address.Instance);
    QCOMPARE(clicks[0].second.Param, c.Address.Param);
  }
}

namespace {

const QString kMaskProfile = QStringLiteral(
    "<page id=\"1\" name=\"P\"><command command=\"+MASK\" description=\"Маски\">"
    "<parameter type=\"string\" description=\"digits\" onchar_mask=\"^[0-9]*$\"/>"
    "<parameter type=\"string\" description=\"short\" maxlen=\"3\"/>"
    "<parameter type=\"string\" description=\"leave\" onleave_mask=\"^[а-я]+$\"/>"
    "<parameter type=\"string\" description=\"bad char\" onchar_mask=\"([0-9]\"/>"
    "<parameter type=\"string\" description=\"bad leave\" onleave_mask=\"[\"/>"
    "<parameter type=\"string\" description=\"last\"/>"
    "</command></page>");

}  // namespace

void TestQtParameterEditor::textFieldRefusesChangesThatFailTheMask() {
  auto w = EditorWindow::FromXml(kMaskProfile);
  w->Show();
  auto* digits = w->Find<TTextEdit>("cmd_MASK_0_0");
  digits->setFocus();
  QTest::keyClicks(digits, "12a3");
  QCOMPARE(digits->text(), QStringLiteral("123"));
  QCOMPARE(digits->cursorPosition(), 3);
  // A refused character in the middle leaves text and cursor where they were.
  digits->setCursorPosition(1);
  QTest::keyClicks(digits, "x");
  QCOMPARE(digits->text(), QStringLiteral("123"));
  QCOMPARE(digits->cursorPosition(), 1);
  QTest::keyClick(digits, Qt::Key_Backspace);
  QCOMPARE(digits->text(), QStringLiteral("23"));

  // The system's text is taken whatever the mask says and is where a refusal returns to.
  w->editor->SetInputText(0, 0, 0, 0, "abc");
  QCOMPARE(digits->text(), QStringLiteral("abc"));
  digits->setCursorPosition(3);
  QTest::keyClicks(digits, "4");
  QCOMPARE(digits->text(), QStringLiteral("abc"));
  QCOMPARE(digits->AcceptedText(), QStringLiteral("abc"));
  QVERIFY(w->log.Lines().empty());
}

void TestQtParameterEditor::textFieldStopsTypingAtMaxLen() {
  auto w = EditorWindow::FromXml(kMaskProfile);
  w->Show();
  auto* field = w->Find<TTextEdit>("cmd_MASK_0_1");
  field->setFocus();
  QTest::keyClicks(field, "abcdef");
  QCOMPARE(field->text(), QStringLiteral("abc"));
  // A paste keeps what fits.
  field->setText(QStringLiteral("a"));
  field->setCursorPosition(1);
  QApplication::clipboard()->setText(QStringLiteral("xyz"));
  field->paste();
  QCOMPARE(field->text(), QStringLiteral("axy"));
  // The system's text is not cut, and typing does not make it longer.
  w->editor->SetInputText(0, 0, 0, 1, "longer");
  QCOMPARE(field->text(), QStringLiteral("longer"));
  field->end(false);
  QTest::keyClicks(field, "z");
  QCOMPARE(field->text(), QStringLiteral("longer"));
  QTest::keyClick(field, Qt::Key_Backspace);
  QCOMPARE(field->text(), QStringLiteral("longe"));
}

void TestQtParameterEditor::textFieldKeepsTheFocusWhenTheLeaveMaskFails() {
  auto w = EditorWindow::FromXml(kMaskProfile);
  w->Show();
  auto* leave = w->Find<TTextEdit>("cmd_MASK_0_2");
  leave->setFocus();
  TypeText(leave, QStringLiteral("ёлка1"));
  TabAway(leave);
  Settle();
  QCOMPARE(QApplication::focusWidget(), leave);
  QCOMPARE(w->LastLog(), QStringLiteral("]Значение не удовлетворяет маске"));
  QCOMPARE(leave->text(), QStringLiteral("ёлка1"));
  QTest::keyClick(leave, Qt::Key_Backspace);
  const size_t lines = w->log.Lines().size();
  TabAway(leave);
  Settle();
  QVERIFY(QApplication::focusWidget() != leave);
  QCOMPARE(w->log.Lines().size(), lines);
}

void TestQtParameterEditor::invalidMasksAreReportedNotApplied() {
  auto w = EditorWindow::FromXml(kMaskProfile);
  QStringList errors;
  w->editor->Callbacks().MaskError = [&errors](const std::string& message) {
    errors << ToQString(message);
  };
  w->Show();
  auto* badChar = w->Find<TTextEdit>("cmd_MASK_0_3");
  badChar->setFocus();
  // Once per mask, not at every keystroke.
  QTest::keyClicks(badChar, "abc");
  QCOMPARE(badChar->text(), QStringLiteral("abc"));
  QCOMPARE(errors.size(), 1);
  QVERIFY(errors[0].contains(QStringLiteral("([0-9]")));

  auto* badLeave = w->Find<TTextEdit>("cmd_MASK_0_4");
  for (int i = 0; i < 2; ++i) {
    badLeave->setFocus();
    QTest::keyClicks(badLeave, "b");
    TabAway(badLeave);
    Settle();
    QVERIFY(QApplication::focusWidget() != badLeave);
  }
  QCOMPARE(errors.size(), 2);

  // Without a callback the message goes to the protocol log, once as well.
  auto fresh = EditorWindow::FromXml(kMaskProfile);
  fresh->Show();
  auto* again = fresh->Find<TTextEdit>("cmd_MASK_0_3");
  again->setFocus();
  QTest::keyClicks(again, "cd");
  QVERIFY(fresh->LastLog().startsWith(QStringLiteral("]Ошибка в регулярном выражении")));
  QCOMPARE(fresh->log.Lines().size(), size_t(1));
}

void TestQtParameterEditor::hexFieldTakesHexDigitsInUpperCase() {
  auto w = EditorWindow::FromXml(
      QStringLiteral("<page id=\"1\" name=\"P\"><command command=\"+HEX\" description=\"Hex\">"
                     "<parameter type=\"hex\" description=\"h\" maxlen=\"4\" defaultvalue=\"ab\"/>"
                     "<parameter type=\"string\" description=\"after\"/></command></page>"));
  w->Show();
  auto* hex = w->Find<THexEdit>("cmd_HEX_0_0");
  QCOMPARE(hex->text(), QStringLiteral("AB"));
  QCOMPARE(hex->inputMask(), QStringLiteral(">NNNN"));
  hex->setFocus();
  hex->selectAll();
  QTest::keyClicks(hex, "g1z-f.");
  QCOMPARE(hex->text(), QStringLiteral("1F"));
  QTest::keyClicks(hex, "c0");
  QCOMPARE(hex->text(), QStringLiteral("1FC0"));
  QTest::keyClick(hex, Qt::Key_Backspace);
  QCOMPARE(hex->text(), QStringLiteral("1FC"));
  hex->home(false);
  QTest::keyClick(hex, Qt::Key_Delete);
  QCOMPARE(hex->text(), QStringLiteral("FC"));

  // Pasted text is held to the same rule: a text with a character the filter drops is not
  // taken at all, a good one comes in upper case.
  const struct {
    const char* Clipboard;
    const char* Shown;
  } pastes[] = {{"q1", "FC"}, {"ф", "FC"}, {"-", "FC"}, {"0a1f", "0A1F"}};
  for (const auto& paste : pastes) {
    QApplication::clipboard()->setText(QString::fromUtf8(paste.Clipboard));
    hex->selectAll();
    QTest::keyClick(hex, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(hex->text(), QString::fromUtf8(paste.Shown));
  }
  // Text dropped or pasted from the menu comes in as inserted text; the program's own is kept.
  hex->insert(QStringLiteral("z"));
  QCOMPARE(hex->text(), QStringLiteral("0A1F"));
  w->editor->SetInputText(0, 0, 0, 0, "1G");
  QCOMPARE(hex->text(), QStringLiteral("1G"));
  hex->selectAll();
  QTest::keyClicks(hex, "fc");

  QChar key('e');
  w->editor->HexEditKeyPress(hex, key);
  QCOMPARE(key, QChar('E'));
  key = QChar(13);
  w->editor->HexEditKeyPress(hex, key);
  QCOMPARE(key, QChar(13));
  for (QChar dropped : {QChar('G'), QChar(8), QChar(27), QChar(u'ф'), QChar(' ')}) {
    key = dropped;
    w->editor->HexEditKeyPress(hex, key);
    QVERIFY(key.isNull());
  }
}

void TestQtParameterEditor::hexFieldChecksCompletenessAndRange() {
  auto w = EditorWindow::FromXml(QStringLiteral(
      "<page id=\"1\" name=\"P\"><command command=\"+HEX\" description=\"Hex\">"
      "<parameter type=\"hex\" description=\"h\" maxlen=\"4\" minvalue=\"1\" maxvalue=\"255\" "
      "defaultvalue=\"00\"/>"
      "<parameter type=\"string\" description=\"after\"/></command></page>"));
  w->Show();
  auto* hex = w->Find<THexEdit>("cmd_HEX_0_0");
  // Left untouched, an incomplete default passes and its value goes to the range test.
  hex->setFocus();
  TabAway(hex);
  Settle();
  QCOMPARE(QApplication::focusWidget(), hex);
  QCOMPARE(w->LastLog(), QStringLiteral("]Значение не входит заданный диапазон"));

  // Changed and incomplete: refused without the range test.
  const size_t lines = w->log.Lines().size();
  hex->selectAll();
  QTest::keyClicks(hex, "1");
  TabAway(hex);
  Settle();
  QCOMPARE(QApplication::focusWidget(), hex);
  QCOMPARE(w->log.Lines().size(), lines);

  hex->selectAll();
  QTest::keyClicks(hex, "0100");
  TabAway(hex);
  Settle();
  QCOMPARE(QApplication::focusWidget(), hex);
  QCOMPARE(w->log.Lines().size(), lines + 1);

  hex->selectAll();
  QTest::keyClicks(hex, "00ff");
  TabAway(hex);
  Settle();
  QVERIFY(QApplication::focusWidget() != hex);
  QCOMPARE(w->log.Lines().size(), lines + 1);
  QCOMPARE(w->editor->InputText(0, 0, 0, 0), std::string("00FF"));
}

void TestQtParameterEditor::integerFieldFiltersKeysAndAppliesLimits() {
  auto w = EditorWindow::FromXml(QStringLiteral(
      "<page id=\"1\" name=\"P\"><command command=\"+INT\" description=\"Int\">"
      "<parameter type=\"integer\" description=\"n\" minvalue=\"1\" maxvalue=\"100\"/>"
      "<parameter type=\"string\" description=\"after\"/></command></page>"));
  w->Show();
  auto* number = w->Find<TIntegerEdit>("cmd_INT_0_0");
  number->setFocus();
  number->selectAll();
  QTest::keyClicks(number, "1a2 x");
  QCOMPARE(number->Text(), QStringLiteral("12"));
  QTest::keyClick(number, Qt::Key_Return);
  QCOMPARE(number->Text(), QStringLiteral("12"));
  QTest::keyClick(number, Qt::Key_Up);
  QCOMPARE(number->Text(), QStringLiteral("13"));
  QTest::keyClick(number, Qt::Key_Down);
  QTest::keyClick(number, Qt::Key_Down);
  QCOMPARE(number->Text(), QStringLiteral("11"));

  number->selectAll();
  QTest::keyClicks(number, "500");
  QCOMPARE(number->Text(), QStringLiteral("500"));
  TabAway(number);
  QCOMPARE(number->Text(), QStringLiteral("100"));

  // A text from an answer shows as it is until the focus leaves.
  w->editor->SetInputText(0, 0, 0, 0, "-7");
  QCOMPARE(number->Text(), QStringLiteral("-7"));
  number->setFocus();
  TabAway(number);
  QCOMPARE(number->Text(), QStringLiteral("1"));
  w->editor->SetInputText(0, 0, 0, 0, "abc");
  number->setFocus();
  TabAway(number);
  QCOMPARE(number->Text(), QStringLiteral("abc"));
  QCOMPARE(number->Value(), 1);
  number->stepBy(1);
  QCOMPARE(number->Text(), QStringLiteral("2"));
}

namespace {

// Turns the wheel one notch down over the middle of a widget, as the window system delivers it.
void WheelDown(QWidget* widget) {
  const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
  QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&wheel);  // only those go on to the parents when ignored
  QApplication::sendEvent(widget, &wheel);
}

}  // namespace

// Rolling the wheel down a long page passes over number fields and lists: the page scrolls and
// no value changes. Only an input the operator is working in takes the wheel.
// Every kind of input shows a profile default faint and in italics, a list's popup too (on a
// page built before and after the window is shown); another origin brings the usual look back.
void TestQtParameterEditor::defaultValuesLookFaintAndItalic() {
  const QString page = QStringLiteral(
      "<page id=\"%1\" name=\"P%1\"><command command=\"+LOOK\" description=\"Вид\">"
      "<parameter type=\"integer\" description=\"a\" minvalue=\"1\" maxvalue=\"10\"/>"
      "<parameter type=\"string\" description=\"b\" defaultvalue=\"x\"/>"
      "<parameter type=\"hex\" description=\"c\" maxlen=\"4\"/>"
      "<parameter type=\"option\" description=\"d\" defaultvalue=\"1\"><option value=\"1\" "
      "text=\"один\"/><option value=\"2\" text=\"два\"/></parameter>"
      "</command></page>");
  auto w = EditorWindow::FromXml(page.arg(1) + page.arg(2));
  w->Show();
  w->tabs->setCurrentIndex(1);
  Settle();
  for (int p = 0; p < 2; ++p) {
    const QString name = QStringLiteral("page_%1_box").arg(p);
    auto* box = w->Find(name);
    QVERIFY(box);
    const QColor faint = box->palette().color(QPalette::PlaceholderText);
    for (int n = 0; n < 4; ++n) {
      QWidget* input = w->editor->FindParameterControl(p, 0, 0, n, ckInput);
      QVERIFY(input);
      QVERIFY2(input->font().italic(), qPrintable(input->objectName()));
      // A number field's text is drawn by the text field inside it.
      auto* number = qobject_cast<TIntegerEdit*>(input);
      QWidget* text = number ? number->TextField() : input;
      QCOMPARE(text->palette().color(QPalette::Text), faint);
      QVERIFY(!number || !number->testAttribute(Qt::WA_SetPalette));
    }
    // Typed over, a number field shows its own palette and the text inside follows it.
    auto* number = static_cast<TIntegerEdit*>(w->editor->FindParameterControl(p, 0, 0, 0, ckInput));
    w->editor->SetValueOrigin(p, 0, 0, 0, voTyped);
    QVERIFY(!number->font().italic());
    QVERIFY(!number->TextField()->testAttribute(Qt::WA_SetPalette));
    QCOMPARE(number->TextField()->palette().color(QPalette::Text),
             box->palette().color(QPalette::Text));
    w->editor->SetValueOrigin(p, 0, 0, 0, voDefault);
    QCOMPARE(number->TextField()->palette().color(QPalette::Text), faint);
    auto* list = static_cast<QComboBox*>(w->editor->FindParameterControl(p, 0, 0, 3, ckInput));
    // Its popup is made when first needed, not for every list built or changed.
    QVERIFY(!list->findChild<QAbstractItemView*>());
    w->editor->SetValueOrigin(p, 0, 0, 3, voRead);
    w->editor->SetValueOrigin(p, 0, 0, 3, voDefault);
    QVERIFY(!list->findChild<QAbstractItemView*>());
    QVERIFY(list->view()->font().italic());

    w->editor->SetValueOrigin(p, 0, 0, 3, voRead);
    QVERIFY(!list->font().italic());
    QVERIFY(!list->view()->font().italic());
    w->editor->SetValueOrigin(p, 0, 0, 3, voDefault);
    QVERIFY(list->view()->font().italic());
    w->editor->SetValueOrigin(p, 0, 0, 3, voRead);
    QCOMPARE(list->palette().color(QPalette::ButtonText),
             box->palette().color(QPalette::ButtonText));
    QWidget* text = w->editor->FindParameterControl(p, 0, 0, 1, ckInput);
    w->editor->SetValueOrigin(p, 0, 0, 1, voFile);
    QVERIFY(!text->font().italic());
    QCOMPARE(text->palette().color(QPalette::Text), box->palette().color(QPalette::Text));
  }
}

void TestQtParameterEditor::wheelScrollsThePageUnlessTheInputHasTheFocus() {
  QString rows;
  for (int i = 0; i < 12; ++i)
    rows += QStringLiteral(
        "<parameter type=\"integer\" description=\"period\" minvalue=\"1\" maxvalue=\"600\" "
        "defaultvalue=\"60\"/>"
        "<parameter type=\"option\" description=\"mode\" defaultvalue=\"1\"><option value=\"0\" "
        "text=\"off\"/><option value=\"1\" text=\"on\"/><option value=\"2\" "
        "text=\"event\"/></parameter>");
  auto w = EditorWindow::FromXml(
      QStringLiteral("<page id=\"1\" name=\"P\"><command command=\"+LONG\" description=\"L\">") +
      rows + QStringLiteral("</command></page>"));
  w->window.resize(w->window.width(), 300);
  w->Show();
  auto* scroll = w->tabs->widget(0)->findChild<QScrollArea*>();
  QVERIFY(scroll);
  QScrollBar* bar = scroll->verticalScrollBar();
  QVERIFY(bar->maximum() > 0);
  auto* number = w->Find<TIntegerEdit>("cmd_LONG_0_0");
  auto* list = w->Find<QComboBox>("cmd_LONG_0_1");
  QVERIFY(number && list);
  number->clearFocus();
  list->clearFocus();

  QCOMPARE(bar->value(), 0);
  WheelDown(number);
  QCOMPARE(number->Text(), QStringLiteral("60"));
  QVERIFY(bar->value() > 0);
  const int afterFirst = bar->value();
  WheelDown(list);
  QCOMPARE(list->currentIndex(), 1);
  QVERIFY(bar->value() > afterFirst);
  QVERIFY(!number->hasFocus() && !list->hasFocus());

  // Clicked into, the input takes the wheel as usual.
  list->setFocus();
  QVERIFY(list->hasFocus());
  WheelDown(list);
  QCOMPARE(list->currentIndex(), 2);
  number->setFocus();
  WheelDown(number);
  QCOMPARE(number->Text(), QStringLiteral("59"));
}

void TestQtParameterEditor::optionalCheckBoxSwitchesTheInput() {
  EditorWindow w(testing::MakeAddressProfile());
  w.Show();
  auto* box = static_cast<QCheckBox*>(w.editor->FindParameterControl(0, 0, 0, 0, ckCheckBox));
  QWidget* input = w.editor->FindParameterControl(0, 0, 0, 0, ckInput);
  QVERIFY(box->isChecked());
  QVERIFY(input->isEnabled());
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 2, box->height() / 2));
  QVERIFY(!box->isChecked());
  QVERIFY(!input->isEnabled());
  QVERIFY(!w.editor->InputEnabled(0, 0, 0, 0));
  w.editor->SetChecked(0, 0, 0, 0, true);
  QVERIFY(input->isEnabled());
  // Each instance has its own box.
  w.editor->SetChecked(0, 1, 1, 0, false);
  QVERIFY(!w.editor->InputEnabled(0, 1, 1, 0));
  QVERIFY(w.editor->InputEnabled(0, 1, 0, 0));
  QVERIFY(w.editor->InputEnabled(0, 1, 2, 0));
}

void TestQtParameterEditor::marksAnUnsupportedCommand() {
  EditorWindow w(testing::MakeAddressProfile());
  QVERIFY(w.editor->GroupEnabled(0, 1));
  w.editor->MarkCommandUnsupported(0, 1);
  QWidget* group = w.editor->FindParameterControl(0, 1, 0, 0, ckGroup);
  QVERIFY(!w.editor->GroupEnabled(0, 1));
  QVERIFY(group->font().italic());
  QVERIFY(group->font().strikeOut());
  QVERIFY(group->autoFillBackground());
  // A tinted background, and greyed texts that stay readable on it.
  const QPalette palette = group->palette();
  const QColor background = palette.color(QPalette::Window);
  QVERIFY(background != w.tabs->palette().color(QPalette::Window));
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    QVERIFY(qAbs(qGray(palette.color(QPalette::Disabled, role).rgb()) - qGray(background.rgb())) >=
            64);
  for (QWidget* child : group->findChildren<QWidget*>())
    QVERIFY2(!child->isEnabledTo(group), qPrintable(child->objectName()));
  QVERIFY(!w.editor->InputEnabled(0, 1, 2, 1));
  QVERIFY(w.editor->GroupEnabled(0, 0));
  QVERIFY(w.editor->InputEnabled(0, 0, 0, 1));
  // The engine's view of the same question.
  THeadlessEditor headless(w.profile);
  headless.MarkCommandUnsupported(0, 1);
  QCOMPARE(headless.GroupEnabled(0, 1), w.editor->GroupEnabled(0, 1));
  QCOMPARE(headless.InputEnabled(0, 1, 2, 1), w.editor->InputEnabled(0, 1, 2, 1));
}

void TestQtParameterEditor::enumeratorWalksContainersBeforeContents() {
  QObject root;
  root.setObjectName("root");
  auto make = [](const char* name, QObject* parent) {
    auto* o = new QObject(parent);
    o->setObjectName(name);
    return o;
  };
  QObject* a = make("a", &root);
  make("a1", make("a0", a));
  make("a2", a);
  make("b", &root);
  QObject* c = make("c", &root);
  make("c0", c);
  QStringList order;
  TDeepComponentEnumerator walk(&root);
  while (walk.MoveNext()) order << walk.Current()->objectName();
  QCOMPARE(order, QStringList({"a", "a0", "a1", "a2", "b", "c", "c0"}));
  QVERIFY(!walk.MoveNext());
  QVERIFY(!walk.MoveNext());

  QObject empty;
  TDeepComponentEnumerator none(&empty);
  QVERIFY(!none.MoveNext());
  QCOMPARE(none.Current(), nullptr);
}

void TestQtParameterEditor::widthsFollowTheWindow() {
  auto w = EditorWindow::FromXml(QStringLiteral(
      "<page id=\"1\" name=\"P\"><command command=\"+WIDE\" description=\"Ширина\" "
      "maxindex=\"1\"><parameter type=\"integer\" description=\"n\" suffix=\"м\"/></command>"
      "</page>"));
  w->Show();
  auto* group = w->Find<QGroupBox>("cmd_WIDE");
  auto* instance = w->Find<QGroupBox>("cmd_WIDE_0");
  auto* input = w->Find("cmd_WIDE_0_0");
  auto* suffix = w->Find("cmd_WIDE_0_0_suffix");
  auto* scroll = w->Find<QScrollArea>("page_0_scroll");
  const int viewport = scroll->viewport()->width();
  const int groupWidth = group->width();
  const int instanceWidth = instance->width();
  const int inputWidth = input->width();
  const int suffixX = suffix->x();
  const int suffixMargin = instance->width() - suffix->geometry().right();

  w->window.resize(w->window.width() + 300, w->window.height());
  Settle();
  const int delta = scroll->viewport()->width() - viewport;
  QVERIFY(delta > 0);
  const int contentDelta = group->width() - groupWidth;
  QVERIFY(contentDelta > 0);
  QCOMPARE(instance->width() - instanceWidth, contentDelta);
  QCOMPARE(input->width() - inputWidth, contentDelta);
  QCOMPARE(suffix->x() - suffixX, contentDelta);
  QCOMPARE(instance->width() - suffix->geometry().right(), suffixMargin);
  QCOMPARE(group->x(), W / 5);
  QCOMPARE(input->x(), 15 * W);
}

void TestQtParameterEditor::buildsOtherPagesWhenShownOrAskedFor() {
  auto w = std::make_unique<EditorWindow>(testing::MakeAddressProfile());
  auto hasControls = [&w](int page) {
    return w->tabs->widget(page)->findChild<QScrollArea*>() != nullptr;
  };
  QCOMPARE(w->tabs->count(), 3);
  QVERIFY(hasControls(0));
  QVERIFY(!hasControls(1));
  QVERIFY(!hasControls(2));

  // Asked for through the editor: built on the spot.
  QVERIFY(w->editor->FindParameterControl(2, 1, 299, 0, ckInput));
  QVERIFY(hasControls(2));

  // Shown: built and laid out before it is painted.
  w->Show();
  w->tabs->setCurrentIndex(1);
  QVERIFY(hasControls(1));
  Settle();
  auto* scroll = w->tabs->widget(1)->findChild<QScrollArea*>();
  QVERIFY(scroll->isVisible());
  QCOMPARE(scroll->geometry(), w->tabs->widget(1)->rect());
  QVERIFY(w->Find<QPushButton>("page_1_apply")->isVisible());
  QCOMPARE(w->Find<QPushButton>("page_1_apply")->y(), H / 5);

  // A window taking its tabs away from the first one builds nothing more on the way.
  auto fresh = std::make_unique<EditorWindow>(testing::MakeAddressProfile());
  fresh->Show();
  QWidget* second = fresh->tabs->widget(1);
  QSignalSpy gone(second, &QObject::destroyed);
  delete fresh->tabs->widget(0);
  QCOMPARE(fresh->tabs->widget(0), second);
  QVERIFY(!second->findChild<QScrollArea*>());
  while (fresh->tabs->count() > 0) delete fresh->tabs->widget(0);
  QCOMPARE(gone.count(), 1);
}

// Many pages go in: every tab in order and named, the first page current and built, the others
// built when chosen and scrolled into view.
void TestQtParameterEditor::buildsThousandsOfPages() {
  constexpr int kPages = 2000;
  // Names wider than the window, so that the strip scrolls.
  QString xml;
  for (int p = 1; p <= kPages; ++p)
    xml += QStringLiteral(
               "<page id=\"%1\" name=\"Настройки сервера и связи %1\"><command command=\"+C%1\" "
               "description=\"Команда\" polldata=\"1\"/></page>")
               .arg(p);
  auto w = EditorWindow::FromXml(xml);
  TQtPageTabBar* bar = w->tabs->tabBar();
  auto built = [&w](int page) {
    return w->tabs->widget(page)->findChild<QScrollArea*>() != nullptr;
  };

  QCOMPARE(w->tabs->count(), kPages);
  for (int p = 0; p < kPages; ++p) {
    QCOMPARE(w->tabs->widget(p)->objectName(), QStringLiteral("page_%1").arg(p));
    QCOMPARE(w->tabs->tabText(p), QStringLiteral("Настройки сервера и связи %1").arg(p + 1));
  }
  QCOMPARE(w->tabs->indexOf(w->Find("page_1999")), kPages - 1);
  QCOMPARE(w->tabs->currentIndex(), 0);
  QVERIFY(built(0));
  QVERIFY(!built(1));
  QVERIFY(!built(kPages - 1));

  w->Show();
  Settle();
  QVERIFY(bar->rect().contains(bar->tabRect(0)));

  w->tabs->setCurrentIndex(kPages - 1);
  QVERIFY(built(kPages - 1));
  QVERIFY(!built(1));
  Settle();
  QVERIFY(bar->rect().intersects(bar->tabRect(kPages - 1)));
  QVERIFY(w->Find<QPushButton>("page_1999_apply")->isVisible());
}

void TestQtParameterEditor::contentsKeepTheirUnitsWhenTheCaptionIsSmaller() {
  constexpr int kTallH = 60;
  auto w = EditorWindow::FromXml(
      QStringLiteral("<page id=\"1\" name=\"P\"><command command=\"+SSRV\" description=\"С\" "
                     "maxindex=\"2\"><parameter type=\"string\" description=\"Адрес\"/>"
                     "</command></page>"),
      IW, QSize(W, kTallH));
  QVERIFY(w->Find<QGroupBox>("cmd_SSRV")->contentsRect().top() < kTallH);
  QCOMPARE(w->Find("cmd_SSRV_name")->y(), kTallH);
  QCOMPARE(w->Find("cmd_SSRV_0_0")->y(), kTallH);
  QCOMPARE(w->Find("cmd_SSRV_1_0")->y(), kTallH);
}

// A command at both caps (256 instances of 256 parameters) in a file of a few kilobytes: the page
// starts with the first instance's rows and empty groups for the others, at their full height.
// An empty instance answers reads as a new one would, without being built; it gets its rows when
// written to through the editor or scrolled into view, placed as the first one's.
void TestQtParameterEditor::buildsInstancesOfAHugeCommandWhenNeeded() {
  QString parameters = QStringLiteral(
      "<parameter type=\"option\" description=\"o\" defaultvalue=\"2\"><option value=\"1\" "
      "text=\"один\"/><option value=\"2\" text=\"два\"/></parameter>"
      "<parameter type=\"hex\" description=\"h\" maxlen=\"4\" defaultvalue=\"ab\"/>"
      "<parameter type=\"string\" optional=\"1\" description=\"s\" defaultvalue=\"x\"/>");
  for (int i = 3; i < 256; ++i)
    parameters +=
        QStringLiteral("<parameter type=\"integer\" description=\"p%1\" defaultvalue=\"%1\"/>")
            .arg(i);
  auto w = EditorWindow::FromXml(
      QStringLiteral("<page id=\"1\" name=\"P\"><command command=\"+MANY\" description=\"M\" "
                     "maxindex=\"256\" polldata=\"1\" setdata=\"1\">%1</command></page>")
          .arg(parameters));
  const auto inputs = [&w] { return w->tabs->findChildren<TIntegerEdit*>().size(); };
  QCOMPARE(inputs(), 253);
  QList<QGroupBox*> instances;
  for (int k = 0; k < 256; ++k)
    instances << w->Find<QGroupBox>(QStringLiteral("cmd_MANY_%1").arg(k));
  QVERIFY(w->editor->InstanceBuilt(0, 0, 0));
  QVERIFY(!w->editor->InstanceBuilt(0, 0, 1));
  QCOMPARE(instances[255]->height(), instances[0]->height());
  QCOMPARE(instances[255]->y(), instances[0]->y() + 255 * (instances[0]->height() + H / 5));

  // Read, as a configuration save does: the answers of a new instance, nothing built.
  THeadlessEditor headless(w->profile);
  IParameterEditor& qt = *w->editor;
  for (int k : {1, 128, 255})
    for (int i : {-1, 0, 1, 2, 3, 255, 256}) {
      for (TControlKind kind : {ckCheckBox, ckInput})
        QCOMPARE(qt.HasControl(0, 0, k, i, kind), headless.HasControl(0, 0, k, i, kind));
      QCOMPARE(qt.Checked(0, 0, k, i), headless.Checked(0, 0, k, i));
      QCOMPARE(qt.InputText(0, 0, k, i), headless.InputText(0, 0, k, i));
      QCOMPARE(qt.OptionIndex(0, 0, k, i), headless.OptionIndex(0, 0, k, i));
      QCOMPARE(qt.InputEnabled(0, 0, k, i), headless.InputEnabled(0, 0, k, i));
      QCOMPARE(qt.ValueUnread(0, 0, k, i), false);
    }
  QCOMPARE(qt.InputText(0, 0, 1, 1), std::string("AB"));
  QCOMPARE(inputs(), 253);
  QCOMPARE(w->editor->ChangedCount(), 0);

  // Written through the editor interface: kept, still not built. A control asked for: built on
  // the spot with the value, laid out like the first.
  w->editor->SetInputText(0, 0, 200, 7, "42");
  QCOMPARE(inputs(), 253);
  QCOMPARE(w->editor->InputText(0, 0, 200, 7), std::string("42"));
  QVERIFY(w->editor->FindParameterControl(0, 0, 200, 7, ckInput));
  QCOMPARE(inputs(), 2 * 253);
  QCOMPARE(w->Find<TIntegerEdit>("cmd_MANY_200_7")->Text(), QStringLiteral("42"));
  for (const char* name : {"cmd_MANY_0_7", "cmd_MANY_0_2_check", "cmd_MANY_0_apply"}) {
    const QString later =
        QString::fromLatin1(name).replace(QStringLiteral("_0_"), QStringLiteral("_200_"));
    QCOMPARE(w->Find(later)->geometry(), w->Find(QString::fromLatin1(name))->geometry());
    QCOMPARE(w->Find(later)->parentWidget(), instances[200]);
  }
  QCOMPARE(w->editor->GetControlAddress(w->Find("cmd_MANY_200_apply")).Instance, 200);

  // Scrolled into view on screen: built once drawn, shown, and following the window's width.
  w->Show();
  // In the tab order after the instance before it, before the buttons below the command.
  QVERIFY(w->editor->InstanceBuilt(0, 0, 0) && !w->editor->InstanceBuilt(0, 0, 1));
  w->Find("cmd_MANY_0_apply")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), w->Find("cmd_MANY_200_0_check"));
  w->Find("cmd_MANY_200_apply")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), w->Find("cmd_MANY_applyAll"));
  auto* scroll = w->tabs->widget(0)->findChild<QScrollArea*>();
  scroll->verticalScrollBar()->setValue(instances[100]->y() + instances[100]->parentWidget()->y());
  QTRY_VERIFY(w->editor->InstanceBuilt(0, 0, 100));
  QVERIFY(w->Find("cmd_MANY_100_3")->isVisible());
  w->window.resize(w->window.width() + 100, w->window.height());
  Settle();
  QCOMPARE(w->Find("cmd_MANY_100_3")->width(), w->Find("cmd_MANY_0_3")->width());
  QVERIFY(inputs() < 6 * 253);

  // An unsupported command disables the instances still empty too.
  w->editor->MarkCommandUnsupported(0, 0);
  QVERIFY(!w->editor->InputEnabled(0, 0, 250, 3));
  QVERIFY(!w->editor->InstanceBuilt(0, 0, 250));
  const QString shots = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
  if (!shots.isEmpty()) QVERIFY(scroll->grab().save(shots + QStringLiteral("/later_instance.png")));
}

namespace {

// The document of a save holding what the widgets show, read from the widgets themselves.
std::string DocumentOfShownValues(const EditorWindow& w) {
  THeadlessEditor shown(w.profile);
  for (int p = 0; p < static_cast<int>(w.profile.Pages.size()); ++p)
    for (int c = 0; c < static_cast<int>(w.profile.Pages[p].Commands.size()); ++c) {
      const TDevCommand& cmd = w.profile.Pages[p].Commands[c];
      for (int k = 0; k < InstanceCount(cmd); ++k)
        for (int n = 0; n < static_cast<int>(cmd.Parameters.size()); ++n) {
          QWidget* input = w.editor->FindParameterControl(p, c, k, n, ckInput);
          if (auto* list = qobject_cast<QComboBox*>(input))
            shown.SetOptionIndex(p, c, k, n, list->currentIndex());
          else if (auto* number = qobject_cast<TIntegerEdit*>(input))
            shown.SetInputText(p, c, k, n, FromQString(number->Text()));
          else if (auto* edit = qobject_cast<QLineEdit*>(input))
            shown.SetInputText(p, c, k, n, FromQString(edit->text()));
          if (auto* box =
                  qobject_cast<QCheckBox*>(w.editor->FindParameterControl(p, c, k, n, ckCheckBox)))
            shown.SetChecked(p, c, k, n, box->isChecked());
        }
    }
  TConfigMessages messages;
  return WriteConfigurationXml(w.profile, shown, messages);
}

std::string SavedDocument(const EditorWindow& w) {
  TConfigMessages messages;
  return WriteConfigurationXml(w.profile, *w.editor, messages);
}

}  // namespace

// A save reads the values the editor keeps as the controls change, not the widgets: whatever
// way a value changes (typed into a masked field, picked from a list, a box clicked, a file
// loaded, an answer set), the file holds exactly what is shown; with tracking off as well.
void TestQtParameterEditor::savesExactlyWhatTheControlsShow() {
  const QString page = QStringLiteral(
      "<page id=\"1\" name=\"P\"><command command=\"+VAL\" description=\"V\" "
      "exportdata=\"1\" setdata=\"1\" polldata=\"1\">"
      "<parameter type=\"hex\" description=\"h\" maxlen=\"4\" defaultvalue=\"ab\"/>"
      "<parameter type=\"option\" description=\"o\" defaultvalue=\"2\"><option value=\"1\" "
      "text=\"один\"/><option value=\"2\" text=\"два\"/><option value=\"3\" "
      "text=\"три\"/></parameter>"
      "<parameter type=\"string\" description=\"s\" defaultvalue=\"x\"/>"
      "<parameter type=\"integer\" optional=\"0\" description=\"i\" defaultvalue=\"5\"/>"
      "</command><command command=\"+IDX\" description=\"I\" maxindex=\"2\" "
      "exportdata=\"1\" setdata=\"1\">"
      "<parameter type=\"hex\" description=\"h\" maxlen=\"6\" defaultvalue=\"1\"/>"
      "</command></page>");
  for (const bool tracking : {true, false}) {
    auto w = EditorWindow::FromXml(page);
    if (!tracking) {
      w->editor->SetTracking(false);
      w->editor->BuildEditor(W, H);
    }
    w->Show();
    QCOMPARE(SavedDocument(*w), DocumentOfShownValues(*w));  // every value read, and kept

    auto* hex = w->Find<THexEdit>("cmd_VAL_0_0");
    hex->setFocus();
    hex->selectAll();
    QTest::keyClicks(hex, "1z-c");
    QCOMPARE(hex->text(), QStringLiteral("1C"));
    auto* list = w->Find<QComboBox>("cmd_VAL_0_1");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex(), 2);
    auto* box = w->Find<QCheckBox>("cmd_VAL_0_2_check");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    QVERIFY(!box->isChecked());
    auto* number = w->Find<TIntegerEdit>("cmd_VAL_0_3");
    number->setFocus();
    number->selectAll();
    QTest::keyClicks(number, "-12");
    auto* second = w->Find<THexEdit>("cmd_IDX_1_0");
    second->setFocus();
    QTest::keyClicks(second, "ab");
    const std::string typed = SavedDocument(*w);
    QCOMPARE(typed, DocumentOfShownValues(*w));
    QVERIFY(typed.find(">1C</parameter>") != std::string::npos);
    QVERIFY(typed.find(">-12</parameter>") != std::string::npos);

    // A file with other values, then answers the fields cut or change (the mask takes four
    // letters or digits, upper case).
    THeadlessEditor other(w->profile);
    other.SetInputText(0, 0, 0, 0, "FFEE");
    other.SetOptionIndex(0, 0, 0, 1, 0);
    other.SetChecked(0, 0, 0, 2, true);
    other.SetInputText(0, 0, 0, 2, "from file");
    other.SetInputText(0, 1, 1, 0, "123456");
    std::string file;
    TConfigMessages messages;
    QVERIFY(SaveConfigurationToBuffer(w->profile, other, file, messages));
    QCOMPARE(LoadConfigurationFromBuffer(w->profile, *w->editor, file, messages).Outcome, loLoaded);
    QCOMPARE(SavedDocument(*w), DocumentOfShownValues(*w));
    QCOMPARE(box->isChecked(), true);
    w->editor->SetInputText(0, 0, 0, 0, "abcdef");
    w->editor->SetInputText(0, 1, 0, 0, "a-b");
    w->editor->SetOptionIndex(0, 0, 0, 1, 7);
    w->editor->SetChecked(0, 0, 0, 0, false);
    QCOMPARE(hex->text(), QStringLiteral("ABCD"));
    QCOMPARE(w->editor->InputText(0, 0, 0, 0), std::string("ABCD"));
    QCOMPARE(SavedDocument(*w), DocumentOfShownValues(*w));

    // A command left out while its group is disabled, whoever disables it.
    const auto saves = [&w](const char* name) {
      return SavedDocument(*w).find(name) != std::string::npos;
    };
    w->editor->MarkCommandUnsupported(0, 1);
    QVERIFY(!saves("+IDX") && saves("+VAL"));
    w->Find("cmd_IDX")->setEnabled(true);
    QVERIFY(saves("+IDX"));
    w->Find("cmd_VAL")->setEnabled(false);
    QVERIFY(!w->editor->GroupEnabled(0, 0) && !saves("+VAL"));
    w->Find("cmd_VAL")->setEnabled(true);

    // A control that goes is not answered from what it showed.
    delete list;
    QVERIFY(!w->editor->HasControl(0, 0, 0, 1, ckInput));
    QVERIFY(!w->editor->ReadParameter(0, 0, 0, 1, true, true).HasInput);
    delete w->Find("cmd_IDX");
    QVERIFY(!w->editor->HasControl(0, 1, 0, 0, ckGroup));
    TConfigMessages messages2;
    WriteConfigurationXml(w->profile, *w->editor, messages2);
    // Told for the command without its group and the parameter without its input.
    QCOMPARE(messages2.Lines().size(), size_t(2));
    QVERIFY(messages2.Lines()[0].find("+VAL") != std::string::npos);
    QVERIFY(messages2.Lines()[1].find("+IDX") != std::string::npos);
  }
}

namespace {

// What an input shows and how it looks, to compare two of them.
QString InputState(QWidget* input, QWidget* box) {
  QString text;
  if (auto* list = qobject_cast<QComboBox*>(input))
    text = QString::number(list->currentIndex());
  else if (auto* number = qobject_cast<TIntegerEdit*>(input))
    text = number->Text();
  else if (auto* edit = qobject_cast<QLineEdit*>(input))
    text = edit->text();
  const auto flag = [input](const char* name) { return input->property(name).toBool() ? 1 : 0; };
  return QStringLiteral("%1|box %2|enabled %3|default %4 changed %5 unread %6|%7 %8|%9")
      .arg(text)
      .arg(box ? static_cast<QCheckBox*>(box)->isChecked() : -1)
      .arg(input->isEnabled())
      .arg(flag(TQtParameterEditor::kDefaultOriginProperty))
      .arg(flag(TQtParameterEditor::kChangedProperty))
      .arg(flag(TQtParameterEditor::kUnreadProperty))
      .arg(input->font().italic())
      .arg(input->font().bold())
      .arg(input->toolTip());
}

// Every answer of the editor interface about one parameter.
std::string Answers(const IParameterEditor& e, int k, int i) {
  const TParameterReading r = e.ReadParameter(0, 0, k, i, true, i == 0);
  const std::optional<std::string> lastRead = e.LastReadValue(0, 0, k, i);
  return std::to_string(e.HasControl(0, 0, k, i, ckCheckBox)) +
         std::to_string(e.HasControl(0, 0, k, i, ckInput)) + "|" + e.InputText(0, 0, k, i) + "|" +
         std::to_string(e.OptionIndex(0, 0, k, i)) + "|" + std::to_string(e.Checked(0, 0, k, i)) +
         std::to_string(e.InputEnabled(0, 0, k, i)) + std::to_string(e.ValueUnread(0, 0, k, i)) +
         std::to_string(e.ValueChanged(0, 0, k, i)) + "|" +
         std::to_string(e.ValueOrigin(0, 0, k, i)) + "|" + lastRead.value_or("-") + "|" +
         std::to_string(r.HasInput) + std::to_string(r.Checked) + r.Text + "|" +
         std::to_string(r.Option);
}

}  // namespace

// Writes into an instance of a huge command that is not built yet are kept without building it;
// once built, its controls show them exactly as if they had been written into built controls.
void TestQtParameterEditor::keepsWritesIntoInstancesNotBuilt() {
  QString parameters = QStringLiteral(
      "<parameter type=\"option\" description=\"o\" defaultvalue=\"2\"><option value=\"1\" "
      "text=\"один\"/><option value=\"2\" text=\"два\"/><option value=\"3\" text=\"три\"/>"
      "</parameter>"
      "<parameter type=\"hex\" description=\"h\" maxlen=\"4\" defaultvalue=\"ab\"/>"
      "<parameter type=\"string\" description=\"s\" defaultvalue=\"x\"/>");
  for (int i = 3; i < 20; ++i)
    parameters += QStringLiteral(
                      "<parameter type=\"integer\" optional=\"0\" description=\"p%1\" "
                      "defaultvalue=\"%1\" minvalue=\"0\" maxvalue=\"100\"/>")
                      .arg(i);
  auto w = EditorWindow::FromXml(
      QStringLiteral("<page id=\"1\" name=\"P\"><command command=\"+MANY\" description=\"M\" "
                     "maxindex=\"256\" polldata=\"1\" setdata=\"1\" exportdata=\"1\">%1</command>"
                     "</page>")
          .arg(parameters));
  IParameterEditor& e = *w->editor;
  using TWrite = std::function<void(int k)>;
  const struct {
    const char* Name;
    int Param;
    TWrite Write;
  } cases[] = {
      {"hex text the mask cuts and raises", 1,
       [&](int k) { e.SetInputText(0, 0, k, 1, "a-bcdef"); }},
      {"hex text then read", 1,
       [&](int k) {
         e.SetInputText(0, 0, k, 1, "1F");
         e.SetValueOrigin(0, 0, k, 1, voRead);
         e.SetLastReadValue(0, 0, k, 1, "1F");
       }},
      {"option out of range", 0, [&](int k) { e.SetOptionIndex(0, 0, k, 0, 5); }},
      {"option from a file", 0,
       [&](int k) {
         e.SetOptionIndex(0, 0, k, 0, 2);
         e.SetValueOrigin(0, 0, k, 0, voFile);
       }},
      {"box cleared", 2, [&](int k) { e.SetChecked(0, 0, k, 2, false); }},
      {"box cleared and ticked again", 3,
       [&](int k) {
         e.SetChecked(0, 0, k, 3, false);
         e.SetChecked(0, 0, k, 3, true);
       }},
      {"read, then changed from a file", 4,
       [&](int k) {
         e.SetInputText(0, 0, k, 4, "7");
         e.SetValueOrigin(0, 0, k, 4, voRead);
         e.SetLastReadValue(0, 0, k, 4, "7");
         e.SetInputText(0, 0, k, 4, "8");
         e.SetValueOrigin(0, 0, k, 4, voFile);
       }},
      {"read the same as a number", 5,
       [&](int k) {
         e.SetInputText(0, 0, k, 5, "007");
         e.SetLastReadValue(0, 0, k, 5, "7");
       }},
      {"unread", 6,
       [&](int k) {
         e.SetInputText(0, 0, k, 6, "9");
         e.MarkValueUnread(0, 0, k, 6);
       }},
      {"unread, then set", 7,
       [&](int k) {
         e.MarkValueUnread(0, 0, k, 7);
         e.SetInputText(0, 0, k, 7, "10");
       }},
      {"past the field's length", 8,
       [&](int k) { e.SetInputText(0, 0, k, 8, std::string(40000, '1')); }},
      {"out of the limits, spaces", 9, [&](int k) { e.SetInputText(0, 0, k, 9, " 1000 "); }},
      {"text into a list, a list into text", 0,
       [&](int k) {
         e.SetInputText(0, 0, k, 0, "2");
         e.SetOptionIndex(0, 0, k, 10, 1);
       }},
      {"read after it was set", 11,
       [&](int k) {
         e.SetInputText(0, 0, k, 11, "6");
         e.SetLastReadValue(0, 0, k, 11, "5");
       }},
      {"outside the command", 10,
       [&](int k) {
         e.SetInputText(0, 0, k, 20, "1");
         e.SetChecked(0, 0, k, 10, false);  // no box
       }},
  };
  const int built = 0, later = 9;
  QVERIFY(w->editor->InstanceBuilt(0, 0, built));
  for (const auto& c : cases) {
    c.Write(built);
    c.Write(later);
    QVERIFY2(!w->editor->InstanceBuilt(0, 0, later), c.Name);
    QCOMPARE(Answers(e, later, c.Param), Answers(e, built, c.Param));
  }
  int changed = 0;
  for (int i = 0; i < 20; ++i) {
    QCOMPARE(Answers(e, later, i), Answers(e, built, i));
    changed += e.ValueChanged(0, 0, built, i);
  }
  QCOMPARE(changed, 2);
  QCOMPARE(e.ChangedCount(), 2 * changed);
  // The search finds a kept value as it finds a shown one.
  QCOMPARE(w->editor->Views().SetSearchText(QStringLiteral("1f")), 2);
  QCOMPARE(w->editor->Views().SetSearchText(QString()), 0);
  QVERIFY(!w->editor->InstanceBuilt(0, 0, later));
  QCOMPARE(w->tabs->findChildren<TIntegerEdit*>().size(), 17);

  // Built: the controls show the values, enabled and looking as those written when built.
  QSignalSpy counts(w->editor.get(), &TQtParameterEditor::ChangedCountChanged);
  w->editor->BuildAllPages();
  QVERIFY(w->editor->InstanceBuilt(0, 0, later));
  for (int i = 0; i < 20; ++i) {
    const auto state = [&](int k) {
      return InputState(w->editor->FindParameterControl(0, 0, k, i, ckInput),
                        w->editor->FindParameterControl(0, 0, k, i, ckCheckBox));
    };
    QCOMPARE(state(later), state(built));
    QCOMPARE(Answers(e, later, i), Answers(e, built, i));
  }
  QCOMPARE(e.ChangedCount(), 2 * changed);
  QCOMPARE(counts.count(), 0);
  QVERIFY(!w->editor->InputEnabled(0, 0, later, 2));
  QCOMPARE(w->Find<THexEdit>("cmd_MANY_9_1")->text(), QStringLiteral("1F"));
  const QString shots = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
  if (!shots.isEmpty()) {
    w->Show();
    QVERIFY(w->Find("cmd_MANY_9")->grab().save(shots + QStringLiteral("/written_instance.png")));
  }
}

// The sample profile with the units measured as the main window does: nothing overlaps the
// group captions, no caption is cut, buttons of a row stay apart, rows line up. With
// QUILLON_TEST_SCREENSHOTS set, a picture of every whole page goes there.
void TestQtParameterEditor::sampleProfileLooksTidy() {
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  if (profile.Pages.empty()) QSKIP("no sample profile in the working directory");
  EditorWindow w(std::move(profile), QSize());
  w.Show();
  w.editor->BuildAllPages();
  const QString shots = qEnvironmentVariable("QUILLON_TEST_SCREENSHOTS");
  for (int page = 0; page < w.tabs->count(); ++page) {
    w.tabs->setCurrentIndex(page);
    Settle();
    QWidget* tab = w.tabs->widget(page);
    for (QGroupBox* group : tab->findChildren<QGroupBox*>()) {
      const int contentsTop = group->contentsRect().top();
      QList<QPushButton*> buttons;
      for (QObject* child : group->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (!control) continue;
        QVERIFY2(control->y() >= contentsTop, qPrintable(control->objectName()));
        QVERIFY2(control->geometry().bottom() < group->height(), qPrintable(control->objectName()));
        if (auto* button = qobject_cast<QPushButton*>(control)) buttons << button;
      }
      for (int i = 0; i < buttons.size(); ++i)
        for (int j = i + 1; j < buttons.size(); ++j)
          QVERIFY2(!buttons[i]->geometry().intersects(buttons[j]->geometry()),
                   qPrintable(buttons[i]->objectName()));
    }
    for (QPushButton* button : tab->findChildren<QPushButton*>())
      QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->objectName()));
    for (TWrapCheckBox* box : tab->findChildren<TWrapCheckBox*>()) {
      QStyleOptionButton option;
      option.initFrom(box);
      const QRect text = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
      const QRect needed = box->fontMetrics().boundingRect(
          QRect(0, 0, box->width() - text.left(), 1 << 20), Qt::TextWordWrap, box->text());
      QVERIFY2(box->height() >= box->CaptionTop() + needed.height(), qPrintable(box->text()));
    }
    for (QLabel* label : tab->findChildren<QLabel*>()) {
      if (label->wordWrap())
        QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                 qPrintable(label->text()));
      else
        QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()),
                 qPrintable(label->text()));
    }
    for (QTableWidget* table : tab->findChildren<QTableWidget*>()) {
      QVERIFY(table->horizontalHeader()->isVisible());
      QVERIFY(table->horizontalHeader()->height() > 0);
    }
    if (!shots.isEmpty()) {
      QWidget* contents = tab->findChild<QScrollArea*>()->widget();
      QVERIFY(contents->grab().save(shots + QStringLiteral("/editor-page-%1.png").arg(page + 1)));
    }
  }
  // Greyed out, a command keeps its contents clear of its caption.
  w.tabs->setCurrentIndex(0);
  w.editor->MarkCommandUnsupported(0, 0);
  Settle();
  QWidget* group = w.editor->FindParameterControl(0, 0, 0, 0, ckGroup);
  for (QWidget* control : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    QVERIFY2(control->y() >= group->contentsRect().top(), qPrintable(control->objectName()));
  if (!shots.isEmpty()) QVERIFY(group->grab().save(shots + QStringLiteral("/unsupported.png")));
}

namespace quillon {
int RunEditorStoreTests(int argc, char** argv);
int RunPageTabsTests(int argc, char** argv);
}  // namespace quillon

// All the test classes in one application.
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TestQtParameterEditor editorTests;
  int failed = QTest::qExec(&editorTests, argc, argv);
  failed += RunEditorStoreTests(argc, argv);
  failed += RunPageTabsTests(argc, argv);
  return failed == 0 ? 0 : 1;
}
#include "qt_parameter_editor_test.moc"
