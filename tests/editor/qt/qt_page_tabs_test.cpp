// The page tabs on real widgets, offscreen: the same look and places as a stock tab widget, the
// strip scrolled to the tab chosen, keys, wheel and mouse, and tabs measured once each however
// many there are.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include "editor/qt/qt_page_tab_bar.h"
#include "editor/qt/qt_page_tabs.h"

namespace quillon {
int RunPageTabsTests(int argc, char** argv);
}

using namespace quillon;

namespace {

// Counts what the tabs ask of the style: a measurement per tab, a tab drawn under the pointer.
class TStyleCounter : public QProxyStyle {
 public:
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override {
    if (type == CT_TabBarTab) ++Measured;
    return QProxyStyle::sizeFromContents(type, option, size, widget);
  }
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    if (element == CE_TabBarTab && (option->state & State_MouseOver))
      HoveredTab = static_cast<const QStyleOptionTab*>(option)->tabIndex;
    QProxyStyle::drawControl(element, option, painter, widget);
  }
  mutable int Measured = 0;
  mutable int HoveredTab = -1;
};

struct TTabsWindow {
  explicit TTabsWindow(int pages, const QString& caption = QStringLiteral("Страница %1"),
                       QSize size = QSize(400, 200)) {
    window.resize(size);
    tabs = new TQtPageTabs(&window);
    tabs->setGeometry(window.rect());
    for (int p = 0; p < pages; ++p) tabs->addTab(Page(p), caption.arg(p + 1));
  }
  static QWidget* Page(int p) {
    auto* page = new QLabel(QStringLiteral("page %1").arg(p));
    page->setObjectName(QStringLiteral("page_%1").arg(p));
    return page;
  }
  void Show() {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }
  TQtPageTabBar* Bar() const { return tabs->tabBar(); }

  QWidget window;
  TQtPageTabs* tabs = nullptr;
};

}  // namespace

class TestQtPageTabs : public QObject {
  Q_OBJECT

 private slots:
  void looksAndSitsAsAStockTabWidget();
  void tabsAndPagesGoInAndOutTogether();
  void stripScrollsAsTheStockOne();
  void keysWheelAndMouseChooseEnabledTabs_data();
  void keysWheelAndMouseChooseEnabledTabs();
  void captionsTipsAndPointer();
  void measuresEachTabOnce();
  void tellsScreenReadersOfTheTabs();
};

// Same captions and size: the same pixels, the same tab places and the same room for the page.
void TestQtPageTabs::looksAndSitsAsAStockTabWidget() {
  const QStringList captions = {QStringLiteral("GSM/GPRS и серверы"), QStringLiteral("Навигация"),
                                QStringLiteral("Входы и выходы"), QStringLiteral("Сервис")};
  QWidget window;
  window.resize(900, 400);
  auto* stock = new QTabWidget(&window);
  auto* ours = new TQtPageTabs(&window);
  stock->setGeometry(0, 0, 900, 200);
  ours->setGeometry(0, 200, 900, 200);
  for (const QString& caption : captions) {
    stock->addTab(new QLabel(QStringLiteral("Страница")), caption);
    ours->addTab(new QLabel(QStringLiteral("Страница")), caption);
  }
  stock->setCurrentIndex(1);
  ours->setCurrentIndex(1);
  ours->tabBar()->setTabTextColor(2, ours->palette().color(QPalette::Disabled, QPalette::Text));
  stock->tabBar()->setTabTextColor(2, stock->palette().color(QPalette::Disabled, QPalette::Text));
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));

  QCOMPARE(ours->tabBar()->sizeHint(), stock->tabBar()->sizeHint());
  QCOMPARE(ours->tabBar()->geometry(), stock->tabBar()->geometry());
  QCOMPARE(ours->currentWidget()->geometry(), stock->currentWidget()->geometry());
  for (int i = 0; i < captions.size(); ++i)
    QCOMPARE(ours->tabBar()->tabRect(i), stock->tabBar()->tabRect(i));
  QCOMPARE(ours->grab().toImage(), stock->grab().toImage());
  QCOMPARE(ours->sizeHint(), stock->sizeHint());
  QCOMPARE(ours->minimumSizeHint(), stock->minimumSizeHint());
}

void TestQtPageTabs::tabsAndPagesGoInAndOutTogether() {
  TTabsWindow w(0);
  QSignalSpy changed(w.tabs, &TQtPageTabs::currentChanged);
  QCOMPARE(w.tabs->currentIndex(), -1);
  for (int p = 0; p < 5; ++p) QCOMPARE(w.tabs->addTab(TTabsWindow::Page(p), "P"), p);
  QCOMPARE(changed.count(), 1);  // the first tab becomes current
  QCOMPARE(changed.takeFirst().at(0).toInt(), 0);
  QCOMPARE(w.tabs->addTab(nullptr, "none"), -1);
  QCOMPARE(w.tabs->count(), 5);
  QWidget* third = w.tabs->widget(2);
  QCOMPARE(w.tabs->indexOf(third), 2);

  w.Show();
  w.tabs->setCurrentIndex(3);
  QCOMPARE(w.tabs->currentWidget()->objectName(), QStringLiteral("page_3"));
  QVERIFY(w.tabs->widget(3)->isVisible() && !w.tabs->widget(0)->isVisible());
  changed.clear();

  // A page deleted by its owner takes its tab, and the current one keeps its page.
  delete third;
  QCOMPARE(w.tabs->count(), 4);
  QCOMPARE(w.tabs->currentIndex(), 2);
  QCOMPARE(w.tabs->currentWidget()->objectName(), QStringLiteral("page_3"));
  QCOMPARE(changed.takeFirst().at(0).toInt(), 2);

  // The current one gone: its right-hand neighbour, or the new last one.
  w.tabs->removeTab(2);
  QCOMPARE(w.tabs->currentWidget()->objectName(), QStringLiteral("page_4"));
  QCOMPARE(w.tabs->currentIndex(), 2);
  w.tabs->removeTab(2);
  QCOMPARE(w.tabs->currentIndex(), 1);
  QCOMPARE(w.tabs->currentWidget()->objectName(), QStringLiteral("page_1"));
  QCOMPARE(w.tabs->tabBar()->count(), 2);
  while (w.tabs->count() > 0) delete w.tabs->widget(0);
  QCOMPARE(w.tabs->currentIndex(), -1);
  QCOMPARE(changed.last().at(0).toInt(), -1);
}

// Beside a stock tab widget with the same tabs, through choosing tabs, the scroll buttons and
// resizing: after every step the same tabs in the same places, the same buttons enabled and the
// same pixels, torn edges included.
void TestQtPageTabs::stripScrollsAsTheStockOne() {
  constexpr int kPages = 300;
  QWidget window;
  window.resize(400, 200);
  auto* stock = new QTabWidget(&window);
  auto* ours = new TQtPageTabs(&window);
  const auto place = [&](int width) {
    stock->setGeometry(0, 0, width, 100);
    ours->setGeometry(0, 100, width, 100);
  };
  place(400);
  for (int p = 0; p < kPages; ++p) {
    const QString caption = QStringLiteral("Страница %1").arg(p + 1);
    stock->addTab(new QWidget, caption);
    ours->addTab(new QWidget, caption);
  }
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  const auto button = [](QWidget* bar, const char* name) {
    return bar->findChild<QToolButton*>(QLatin1String(name));
  };
  const auto click = [&](const char* name) {
    QTest::mouseClick(button(stock->tabBar(), name), Qt::LeftButton);
    QTest::mouseClick(button(ours->tabBar(), name), Qt::LeftButton);
  };
  const auto choose = [&](int index) {
    stock->setCurrentIndex(index);
    ours->setCurrentIndex(index);
  };
  const auto same = [&](const QString& step) {
    QCoreApplication::processEvents();
    for (const char* name : {"ScrollLeftButton", "ScrollRightButton"}) {
      QCOMPARE(button(ours->tabBar(), name)->isVisible(),
               button(stock->tabBar(), name)->isVisible());
      QVERIFY2(
          button(ours->tabBar(), name)->isEnabled() == button(stock->tabBar(), name)->isEnabled(),
          qPrintable(step + QLatin1Char(' ') + QLatin1String(name)));
    }
    for (int i = 0; i < kPages; ++i)
      QVERIFY2(ours->tabBar()->tabRect(i) == stock->tabBar()->tabRect(i),
               qPrintable(step + QStringLiteral(": tab %1").arg(i)));
    // Found where drawn; the scroll buttons cover what is under them.
    const QToolButton* left = button(ours->tabBar(), "ScrollLeftButton");
    const int free = left->isVisible() ? left->x() : ours->tabBar()->width();
    for (int x = 0; x < free; x += 5)
      QVERIFY2(ours->tabBar()->tabAt(QPoint(x, 5)) == stock->tabBar()->tabAt(QPoint(x, 5)),
               qPrintable(step + QStringLiteral(": x %1").arg(x)));
    if (left->isVisible()) QCOMPARE(ours->tabBar()->tabAt(left->geometry().center()), -1);
    // The same pixels but for the scroll buttons' rounded corners, which blend a shade
    // differently with what lies under them.
    const auto picture = [&](QWidget* tabs) {
      QImage image = tabs->grab().toImage();
      QPainter painter(&image);
      for (const char* name : {"ScrollLeftButton", "ScrollRightButton"}) {
        const QToolButton* scroll =
            button(tabs == stock ? static_cast<QWidget*>(stock->tabBar()) : ours->tabBar(), name);
        if (scroll->isVisible()) painter.fillRect(scroll->geometry(), Qt::black);
      }
      return image;
    };
    QVERIFY2(picture(ours) == picture(stock), qPrintable(step));
  };

  same(QStringLiteral("shown"));
  for (int index : {kPages - 1, 150, 0, 151, 152, 149}) {
    choose(index);
    same(QStringLiteral("chose %1").arg(index));
  }
  choose(kPages - 1);
  for (int step = 0; step < 4; ++step) {
    click("ScrollLeftButton");
    same(QStringLiteral("left %1").arg(step));
  }
  for (int step = 0; step < 6; ++step) {
    click("ScrollRightButton");
    same(QStringLiteral("right %1").arg(step));
  }
  choose(40);
  place(700);
  same(QStringLiteral("wider"));
  place(100000);
  same(QStringLiteral("wide enough for all"));
  QVERIFY(!button(ours->tabBar(), "ScrollLeftButton")->isVisible());
}

void TestQtPageTabs::keysWheelAndMouseChooseEnabledTabs_data() {
  QTest::addColumn<int>("start");
  QTest::addColumn<QString>("input");
  QTest::addColumn<int>("expected");
  // Tabs 0..4; tab 2 disabled.
  QTest::newRow("right skips a disabled tab") << 1 << "Right" << 3;
  QTest::newRow("left skips a disabled tab") << 3 << "Left" << 1;
  QTest::newRow("right stops at the end") << 4 << "Right" << 4;
  QTest::newRow("ctrl+tab goes round") << 4 << "Ctrl+Tab" << 0;
  QTest::newRow("ctrl+shift+tab goes round") << 0 << "Ctrl+Shift+Tab" << 4;
  QTest::newRow("ctrl+pgdown skips a disabled tab") << 1 << "Ctrl+PgDown" << 3;
  QTest::newRow("ctrl+pgup") << 1 << "Ctrl+PgUp" << 0;
  QTest::newRow("wheel down: next tab") << 1 << "wheel -120" << 3;
  QTest::newRow("wheel up: previous tab") << 1 << "wheel 120" << 0;
  QTest::newRow("half a notch does nothing") << 1 << "wheel -60" << 1;
  QTest::newRow("click on a tab") << 0 << "click 3" << 3;
  QTest::newRow("click on a disabled tab") << 0 << "click 2" << 0;
}

void TestQtPageTabs::keysWheelAndMouseChooseEnabledTabs() {
  QFETCH(int, start);
  QFETCH(QString, input);
  QFETCH(int, expected);
  TTabsWindow w(5, QStringLiteral("P%1"));
  auto* field = new QLineEdit(w.tabs->widget(1));
  w.tabs->setTabEnabled(2, false);
  w.Show();
  w.tabs->setCurrentIndex(start);
  TQtPageTabBar* bar = w.Bar();
  if (input.startsWith(QLatin1String("Ctrl"))) {
    // From a field on a page, as the operator works.
    QWidget* target = start == 1 ? static_cast<QWidget*>(field) : w.tabs->widget(start);
    target->setFocus();
    QTest::keySequence(target, QKeySequence(input));
  } else if (input.startsWith(QLatin1String("wheel"))) {
    const int delta = input.section(' ', 1).toInt();
    const QPoint at = bar->tabRect(start).center();
    QWheelEvent wheel(at, bar->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
  } else if (input.startsWith(QLatin1String("click"))) {
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->tabRect(input.section(' ', 1).toInt()).center());
  } else {
    bar->setFocus();
    QTest::keyClick(bar, input == QLatin1String("Right") ? Qt::Key_Right : Qt::Key_Left);
  }
  QCOMPARE(w.tabs->currentIndex(), expected);
}

void TestQtPageTabs::captionsTipsAndPointer() {
  TStyleCounter style;
  TTabsWindow w(4, QStringLiteral("P%1"));
  w.Bar()->setStyle(&style);
  w.Show();
  // A longer caption moves the tabs after it, not those before.
  const QRect before0 = w.Bar()->tabRect(0);
  const QRect before2 = w.Bar()->tabRect(2);
  w.tabs->setTabText(1, QStringLiteral("Гораздо более длинное название"));
  QCOMPARE(w.tabs->tabText(1), QStringLiteral("Гораздо более длинное название"));
  QTRY_COMPARE(w.Bar()->width(), w.Bar()->sizeHint().width());  // the strip grows with it
  QCOMPARE(w.Bar()->tabRect(0), before0);
  QVERIFY(w.Bar()->tabRect(2).left() > before2.left());
  QCOMPARE(w.Bar()->tabRect(2).left(), w.Bar()->tabRect(1).right() + 1);

  // Each tab its own tip; none on a tab without one.
  w.tabs->setTabToolTip(2, QStringLiteral("Изменено: 2"));
  QCOMPARE(w.tabs->tabToolTip(2), QStringLiteral("Изменено: 2"));
  const QPoint onTip = w.Bar()->tabRect(2).center();
  QHelpEvent help(QEvent::ToolTip, onTip, w.Bar()->mapToGlobal(onTip));
  QApplication::sendEvent(w.Bar(), &help);
  QTRY_COMPARE(QToolTip::text(), QStringLiteral("Изменено: 2"));
  const QPoint noTip = w.Bar()->tabRect(3).center();
  QHelpEvent none(QEvent::ToolTip, noTip, w.Bar()->mapToGlobal(noTip));
  QApplication::sendEvent(w.Bar(), &none);
  QTRY_VERIFY(QToolTip::text().isEmpty() || !QToolTip::isVisible());

  // The tab under the pointer is drawn so, and no tab once the pointer leaves.
  QTest::mouseMove(w.Bar(), w.Bar()->tabRect(3).center());
  w.Bar()->repaint();
  QCOMPARE(style.HoveredTab, 3);
  QEvent leave(QEvent::Leave);
  QHoverEvent hoverLeave(QEvent::HoverLeave, QPointF(-1, -1), QPointF(-1, -1), QPointF(-1, -1));
  QApplication::sendEvent(w.Bar(), &hoverLeave);
  style.HoveredTab = -1;
  w.Bar()->repaint();
  QCOMPARE(style.HoveredTab, -1);
  w.Bar()->setStyle(nullptr);
}

// Tabs going in cost the same each, however many are in already: each is measured once, when
// the strip is first laid out, and a change of one caption measures that tab alone.
void TestQtPageTabs::measuresEachTabOnce() {
  constexpr int kPages = 3000;
  TStyleCounter style;
  TTabsWindow w(0);
  w.Bar()->setStyle(&style);
  for (int p = 0; p < kPages; ++p)
    w.tabs->addTab(new QWidget, QStringLiteral("Страница %1").arg(p));
  QCOMPARE(style.Measured, 0);
  w.Show();
  QCOMPARE(style.Measured, kPages);
  w.tabs->setCurrentIndex(kPages / 2);
  w.tabs->setTabText(kPages - 10, QStringLiteral("Другое имя"));
  w.Bar()->repaint();
  QCOMPARE(style.Measured, kPages + 1);
  // Shown, a tab added is measured alone.
  w.tabs->addTab(new QWidget, QStringLiteral("Ещё одна"));
  w.Bar()->repaint();
  QCOMPARE(style.Measured, kPages + 2);
  w.Bar()->setStyle(nullptr);
}

// As of a stock tab bar: a list of page tabs and the two scroll buttons; each tab read out by its
// caption and tip, chosen by its press action unless disabled.
void TestQtPageTabs::tellsScreenReadersOfTheTabs() {
  TTabsWindow w(3, QStringLiteral("P&%1"));
  w.tabs->setTabText(2, QStringLiteral("Входы && выходы"));
  w.tabs->setTabToolTip(1, QStringLiteral("Изменено: 2"));
  w.tabs->setTabEnabled(2, false);
  w.Show();
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(w.Bar());
  QVERIFY(list);
  QCOMPARE(list->role(), QAccessible::PageTabList);
  QCOMPARE(list->childCount(), 5);
  QCOMPARE(list->text(QAccessible::Name), QStringLiteral("P1"));
  QAccessibleInterface* second = list->child(1);
  QCOMPARE(second->role(), QAccessible::PageTab);
  QCOMPARE(second->text(QAccessible::Name), QStringLiteral("P2"));
  QCOMPARE(second->text(QAccessible::Description), QStringLiteral("Изменено: 2"));
  QCOMPARE(list->child(2)->text(QAccessible::Name), QStringLiteral("Входы & выходы"));
  QCOMPARE(second->rect(), w.Bar()->tabRect(1).translated(w.Bar()->mapToGlobal(QPoint(0, 0))));
  QCOMPARE(list->indexOfChild(second), 1);
  QCOMPARE(list->child(1), second);  // one interface per tab
  QVERIFY(!second->state().selected);

  QAccessibleActionInterface* press = second->actionInterface();
  QVERIFY(press);
  press->doAction(QAccessibleActionInterface::pressAction());
  QCOMPARE(w.tabs->currentIndex(), 1);
  QVERIFY(second->state().selected);
  QCOMPARE(list->focusChild(), second);
  QVERIFY(list->child(2)->state().disabled);
  list->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  QCOMPARE(w.tabs->currentIndex(), 1);

  QAccessibleInterface* left = list->child(3);
  QCOMPARE(left->object(), w.Bar()->findChild<QToolButton*>("ScrollLeftButton"));
  QCOMPARE(list->indexOfChild(left), 3);
  QCOMPARE(list->child(4)->object(), w.Bar()->findChild<QToolButton*>("ScrollRightButton"));
  QCOMPARE(list->child(5), nullptr);

  // A tab gone leaves no interface that answers for it.
  QAccessibleInterface* third = list->child(2);
  w.tabs->removeTab(2);
  QCOMPARE(list->childCount(), 4);
  QVERIFY(!third->isValid());
  QVERIFY(third->state().invalid);
}

int quillon::RunPageTabsTests(int argc, char** argv) {
  TestQtPageTabs tests;
  return QTest::qExec(&tests, argc, argv);
}

#include "qt_page_tabs_test.moc"
