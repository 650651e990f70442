// What keeps the operator's values safe in the window: values the terminal would misread are not
// sent, values the field cannot hold are not silently cut, and a broken mask of the profile is
// told once. The Qt editor on real widgets, offscreen, with the command engine on a simulated
// line.
#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/fm_main.h"
#include "editor/mask_matcher.h"
#include "editor/qt/qt_hex_edit.h"
#include "editor/qt/qt_page_tabs.h"
#include "editor/qt/qt_parameter_editor.h"
#include "editor/qt/qt_text_edit.h"
#include "engine/batch_operations.h"
#include "engine/command_engine.h"
#include "engine/engine_rig.h"
#include "engine/response_processors.h"
#include "link/log_model.h"
#include "settings/program_paths.h"
#include "ui/qt_text.h"

namespace quillon::test {

namespace {

const char kProfile[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><application><inputwidth>20</inputwidth>"
    "<page id=\"1\" name=\"P\">"
    "<command command=\"+SNAM\" description=\"Names\" passwordmode=\"user\" polldata=\"1\">"
    "<parameter type=\"string\" description=\"first\" optional=\"0\"/>"
    "<parameter type=\"string\" description=\"second\" optional=\"0\"/>"
    "</command>"
    "<command command=\"+SCAN\" description=\"Filter\" passwordmode=\"user\" polldata=\"1\">"
    "<parameter type=\"hex\" description=\"id\" optional=\"0\" maxlen=\"8\" "
    "defaultvalue=\"18FEF100\"/>"
    "<parameter type=\"integer\" description=\"n\" optional=\"0\"/>"
    "</command>"
    "<command command=\"+SLST\" description=\"Last\" passwordmode=\"user\">"
    "<parameter type=\"integer\" description=\"x\" optional=\"0\"/>"
    "</command>"
    "</page></application>";

constexpr int kSnam = 0, kScan = 1;

// The Qt editor in a window, wired to the engine as the main window wires it, on a simulated
// terminal that echoes every byte and answers as the test says.
struct TQtEngineRig {
  TQtEngineRig() {
    settings.Timeout = 250;
    settings.TimeoutInterval = 250;
    settings.TimeoutEcho = 250;
    settings.RetryCount = 1;
    settings.Password = "1111";
    settings.EffectivePassword = "1111";
    profile.LoadCommandProfileFromBuffer(kProfile);
    line->SetEcho(true);
    port.SetPort("SIM1");
    tabs = new TQtPageTabs(&window);
    window.setCentralWidget(tabs);
    editor = std::make_unique<TQtParameterEditor>(tabs, profile, log, masks);
    editor->BuildEditor(20, 17);
    engine = std::make_unique<TCommandEngine>(profile, *editor, session, settings);
    RegisterResponseProcessors(profile, engine->Processors());
    batch = std::make_unique<TBatchOperations>(*engine);
    port.Open();
    session.InCommandMode = true;
    window.resize(600, 500);
    window.show();
  }

  template <typename T>
  T* Input(int command, int param) {
    return qobject_cast<T*>(editor->FindParameterControl(0, command, 0, param, ckInput));
  }
  std::vector<std::string> LogOf(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const TLogLine& l : log.Lines())
      if (l.Text.compare(0, prefix.size(), prefix) == 0)
        out.push_back(l.Text.substr(prefix.size()));
    return out;
  }
  QString LastNotice() const {
    const auto notices = LogOf("]");
    return notices.empty() ? QString() : ToQString(notices.back());
  }

  std::shared_ptr<TSimulatedLine> line = std::make_shared<TSimulatedLine>();
  CommandProfile profile;
  TSettings settings;
  TLogModel log{settings};
  TMaskMatcher masks;
  TScriptedUi ui;
  TMemoryProgressBar progress;
  TComPort port{line};
  TTerminalSession session{port, log, settings, ui, progress};
  QMainWindow window;
  TQtPageTabs* tabs = nullptr;
  std::unique_ptr<TQtParameterEditor> editor;
  std::unique_ptr<TCommandEngine> engine;
  std::unique_ptr<TBatchOperations> batch;
};

}  // namespace

class TOperatorSafetyTest : public QObject {
  Q_OBJECT

 private slots:
  // The terminal reads values by position: a comma, CR or LF in a value would move every later
  // value into the wrong parameter. Such a request is not sent, and a page run stops there.
  void valuesWithCommasOrLineBreaksAreNotSent() {
    struct TCase {
      const char* Value;
      const char* Why;
    };
    const TCase cases[] = {{"a,b", "comma"}, {"a\rb", "CR"}, {"a\nb", "LF"}, {",", "comma only"}};
    for (const TCase& c : cases) {
      TQtEngineRig rig;
      rig.editor->SetInputText(0, kSnam, 0, 1, c.Value);
      QVERIFY2(!rig.engine->ApplyCommand({0, kSnam, 0, 0}), c.Why);
      QVERIFY2(rig.line->Requests().empty(), c.Why);
      QCOMPARE(rig.LastNotice(),
               QStringLiteral("Запятая или перевод строки в значении, команда не отправлена: "
                              "+SNAM, параметр 1 (second)"));
    }

    // Typed by the operator, in a page run: the run stops at that command, nothing after it goes.
    TQtEngineRig rig;
    rig.line->OnRequest("AT+SNAM=?", "+RESP:SNAM,x,y\r\n>");
    auto* first = rig.Input<QLineEdit>(kSnam, 0);
    first->setFocus();
    QTest::keyClicks(first, "north,south");
    QCOMPARE(first->text(), QStringLiteral("north,south"));
    QVERIFY(!rig.batch->CmdApplyAll({0, 0, 0, 0}));
    QVERIFY(rig.line->Requests().empty());
    const auto notices = rig.LogOf("]");
    QCOMPARE(notices.size(), size_t(2));
    QCOMPARE(ToQString(notices[1]), QStringLiteral("Процесс прерван на команде +SNAM/0"));
    // A value without them goes out as shown.
    first->setText(QStringLiteral("north south"));
    QVERIFY(rig.engine->ApplyCommand({0, kSnam, 0, 0}));
    QCOMPARE(rig.line->Requests().size(), size_t(1));
    QCOMPARE(rig.line->Requests()[0], std::string("AT+SNAM=1111,north south,,"));
  }

  // A polled hexadecimal value longer than the field: leading zeros that make it too long are
  // dropped; a value still too long is not cut to fit. The field keeps its text, shows that it
  // was not read, and the command is not written until the operator types a value.
  void hexValuesLongerThanTheFieldAreNotCut() {
    TQtEngineRig rig;
    auto* id = rig.Input<THexEdit>(kScan, 0);
    QVERIFY(id);
    QCOMPARE(id->text(), QStringLiteral("18FEF100"));

    rig.line->OnRequest("AT+SCAN=?", "+RESP:SCAN, 0012345678 ,5\r\n>");
    rig.line->OnRequest("AT+SCAN=?", "+RESP:SCAN,123456789,6\r\n>");
    QVERIFY(rig.engine->PollCommand({0, kScan, 0, 0}));
    QCOMPARE(id->text(), QStringLiteral("12345678"));
    QVERIFY(!rig.editor->ValueUnread(0, kScan, 0, 0));

    QVERIFY(rig.engine->PollCommand({0, kScan, 0, 0}));
    QCOMPARE(id->text(), QStringLiteral("12345678"));
    QVERIFY(rig.editor->ValueUnread(0, kScan, 0, 0));
    QVERIFY(!id->toolTip().isEmpty());
    QVERIFY(rig.LastNotice().startsWith(
        QStringLiteral("Значение не помещается в поле и не прочитано: +SCAN, параметр 0")));
    QVERIFY(rig.LastNotice().endsWith(QStringLiteral(": 123456789")));
    // The next value of the same answer was still read.
    QCOMPARE(rig.editor->InputText(0, kScan, 0, 1), std::string("6"));

    const size_t sent = rig.line->Requests().size();
    QVERIFY(!rig.engine->ApplyCommand({0, kScan, 0, 0}));
    QCOMPARE(rig.line->Requests().size(), sent);
    QVERIFY(rig.LastNotice().startsWith(
        QStringLiteral("Значение не прочитано из терминала, команда не отправлена: +SCAN")));

    // The operator types a value: the mark goes and the command is written.
    id->setFocus();
    id->selectAll();
    QTest::keyClicks(id, "0000ABCD");
    QVERIFY(!rig.editor->ValueUnread(0, kScan, 0, 0));
    // The unread notice gives way to the field's own hint.
    QVERIFY(!id->toolTip().contains(QStringLiteral("не прочитано")));
    QVERIFY(rig.engine->ApplyCommand({0, kScan, 0, 0}));
    QCOMPARE(rig.line->Requests().back(), std::string("AT+SCAN=1111,0000ABCD,6,"));
  }

  // A mask of the profile that is no regular expression: the main window tells the operator in
  // a message box, once, however often the field changes; the text stays as typed.
  void brokenMaskIsToldOnceInAMessageBox() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString profilePath = dir.filePath(QStringLiteral("cmdprofile.xml"));
    {
      QFile file(profilePath);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><application><inputwidth>20</inputwidth>"
          "<page id=\"1\" name=\"P\"><command command=\"+SBAD\" description=\"Bad\">"
          "<parameter type=\"string\" description=\"v\" optional=\"0\" onchar_mask=\"([0-9]\"/>"
          "</command></page></application>");
    }
    TMainOptions options;
    options.ProfilePath = profilePath.toStdString();
    options.SettingsPath = dir.filePath(QStringLiteral("Quillon.ini")).toStdString();
    TfmMain fm(nullptr, options);
    fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fm));

    QStringList shown;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&shown] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown << box->objectName() + QLatin1Char(':') + box->text();
        box->button(QMessageBox::Ok)->click();
      }
    });
    answer.start(10);
    auto* field = qobject_cast<QLineEdit*>(fm.Editor().FindParameterControl(0, 0, 0, 0, ckInput));
    QVERIFY(field);
    field->setFocus();
    QTest::keyClicks(field, "ab");
    QTest::qWait(100);
    QTest::keyClicks(field, "cd");
    QTest::qWait(100);
    QCOMPARE(field->text(), QStringLiteral("abcd"));
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].startsWith(
                 QStringLiteral("MaskErrorMessage:Ошибка в регулярном выражении ([0-9]")),
             qPrintable(shown[0]));
  }
};

}  // namespace quillon::test

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::test::TOperatorSafetyTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "operator_safety_test.moc"
