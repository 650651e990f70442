// The protocol log pane: each line in its kind's colour, at most 1000 lines, the newest in view.
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include "app/gui_tests.h"
#include "link/log_model.h"
#include "settings/settings.h"
#include "ui/qt_log_view.h"
#include "ui/qt_text.h"

namespace quillon::test {

namespace {

QColor BlockColor(const QTextBlock& block) {
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock);
  return cursor.charFormat().foreground().color();
}

}  // namespace

class TLogViewTest : public QObject {
  Q_OBJECT

 private slots:
  void colorsFollowTheKindsAndTheSettings() {
    TSettings settings;
    settings.ReadColorText = 0x000000;
    settings.WriteColorText = 0x800000;        // blue in 0x00BBGGRR
    settings.ReadErrorColorText = 255;         // red
    settings.WriteErrorColorText = 0x00FF00;   // green
    settings.GeneralErrorColorText = 8421504;  // grey
    TLogModel model(settings);
    TLogView view;
    view.Attach(&model);
    for (int kind = 0; kind <= 4; ++kind) model.WriteLog("x", kind);

    const QColor expected[] = {QColor(0, 0, 0), QColor(0, 0, 128), QColor(255, 0, 0),
                               QColor(0, 255, 0), QColor(128, 128, 128)};
    const QStringList prefixes = {"<x", ">x", "E<x", "E>x", "]x"};
    QCOMPARE(view.document()->blockCount(), 5);
    QTextBlock block = view.document()->firstBlock();
    for (int i = 0; i < 5; ++i, block = block.next()) {
      QCOMPARE(block.text(), prefixes[i]);
      QCOMPARE(BlockColor(block), expected[i]);
    }
  }

  // System colours (FF000000 + index) follow the pane's palette instead of painting near black.
  void systemColorsFollowThePalette() {
    TSettings settings;
    settings.ReadColorText = static_cast<int32_t>(0xFF000008);          // window text
    settings.WriteColorText = static_cast<int32_t>(0xFF00000D);         // highlight
    settings.ReadErrorColorText = static_cast<int32_t>(0xFF000011);     // grey text
    settings.WriteErrorColorText = static_cast<int32_t>(0xFF000018);    // hint background
    settings.GeneralErrorColorText = static_cast<int32_t>(0xFF0000FF);  // no such index
    TLogModel model(settings);
    TLogView view;
    QPalette palette = view.palette();
    palette.setColor(QPalette::Text, QColor(1, 2, 3));
    palette.setColor(QPalette::Highlight, QColor(10, 20, 30));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(100, 101, 102));
    palette.setColor(QPalette::ToolTipBase, QColor(250, 240, 200));
    view.setPalette(palette);
    view.Attach(&model);
    for (int kind = 0; kind <= 4; ++kind) model.WriteLog("x", kind);
    const QColor expected[] = {QColor(1, 2, 3), QColor(10, 20, 30), QColor(100, 101, 102),
                               QColor(250, 240, 200), QColor(1, 2, 3)};
    QTextBlock block = view.document()->firstBlock();
    for (int i = 0; i < 5; ++i, block = block.next()) QCOMPARE(BlockColor(block), expected[i]);
  }

  void multiLineEntriesAndCyrillicShowLineByLine() {
    TSettings settings;
    TLogModel model(settings);
    TLogView view;
    view.Attach(&model);
    model.WriteLog("AT+SGPR=?\r\r\n+RESP:SGPR,1,internet\r\n>", 0);
    model.WriteLog(FromQString(QStringLiteral("Не могу открыть порт")), 4);
    QCOMPARE(view.toPlainText(),
             QStringLiteral("<AT+SGPR=?\n<\n<+RESP:SGPR,1,internet\n<>\n]Не могу открыть порт"));
  }

  void keepsTheNewestThousandLinesInView() {
    TSettings settings;
    TLogModel model(settings);
    TLogView view;
    view.Attach(&model);
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (int i = 1; i <= 1005; ++i) model.WriteLog("line " + std::to_string(i), 1);
    QCOMPARE(view.document()->blockCount(), 1000);
    QCOMPARE(view.document()->firstBlock().text(), QStringLiteral(">line 6"));
    QCOMPARE(view.document()->lastBlock().text(), QStringLiteral(">line 1005"));
    QCOMPARE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());

    // One entry of many lines still leaves exactly the newest thousand.
    std::string many;
    for (int i = 0; i < 1500; ++i) many += "m" + std::to_string(i) + "\n";
    model.WriteLog(many, 0);
    QCOMPARE(view.document()->blockCount(), 1000);
    QCOMPARE(view.document()->firstBlock().text(), QStringLiteral("<m500"));
    QCOMPARE(view.document()->lastBlock().text(), QStringLiteral("<m1499"));
  }

  // A burst of a hundred thousand lines in one entry reaches the pane as the thousand it keeps,
  // not as a hundred thousand lines added and dropped again.
  void aBurstCostsNoMoreThanTheLinesKept() {
    TSettings settings;
    TLogModel model(settings);
    TLogView view;
    view.Attach(&model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    int changes = 0;
    connect(view.document(), &QTextDocument::contentsChange, this, [&changes] { ++changes; });
    std::string burst;
    for (int i = 0; i < 100000; ++i) burst += "b" + std::to_string(i) + "\r\n";
    burst += "tail";
    model.WriteLog(burst, 0);
    QCOMPARE(view.document()->blockCount(), 1000);
    QCOMPARE(view.document()->firstBlock().text(), QStringLiteral("<b99001"));
    QCOMPARE(view.document()->lastBlock().text(), QStringLiteral("<tail"));
    QCOMPARE(model.Lines().size(), size_t(1000));
    // Each line handed to the pane changes its document a few times; far fewer than 100 000.
    QVERIFY2(changes <= 3 * 1000, qPrintable(QString::number(changes)));
  }

  void attachingShowsWhatTheModelAlreadyHolds() {
    TSettings settings;
    TLogModel model(settings);
    model.WriteLog("early", 4);
    TLogView view;
    view.Attach(&model);
    QCOMPARE(view.toPlainText(), QStringLiteral("]early"));
    view.Attach(nullptr);
    model.WriteLog("late", 4);  // no listener left behind
    QVERIFY(view.toPlainText().isEmpty());
  }
};

int RunLogViewTests(int argc, char** argv) {
  TLogViewTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace quillon::test

#include "log_view_test.moc"
