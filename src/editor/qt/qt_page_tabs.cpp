#include "editor/qt/qt_page_tabs.h"

#include <QKeyEvent>
#include <QStackedWidget>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

#include <algorithm>

#include "editor/qt/qt_page_tab_bar.h"

namespace quillon {

TQtPageTabs::TQtPageTabs(QWidget* parent) : QWidget(parent) {
  stack_ = new QStackedWidget(this);
  stack_->setObjectName(QStringLiteral("page_stack"));
  stack_->setLineWidth(0);
  bar_ = new TQtPageTabBar(this);
  bar_->setObjectName(QStringLiteral("page_tab_bar"));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setFocusPolicy(Qt::TabFocus);
  setFocusProxy(bar_);
  connect(bar_, &TQtPageTabBar::currentChanged, this, [this](int index) {
    if (index >= 0 && index < stack_->count()) stack_->setCurrentIndex(index);
    update();
    emit currentChanged(index);
  });
  // A page deleted by its owner takes its tab along. The strip asks for a new layout itself
  // (LayoutRequest) whenever its size may change, once per pass of the event loop.
  connect(stack_, &QStackedWidget::widgetRemoved, bar_, &TQtPageTabBar::removeTab);
}

int TQtPageTabs::addTab(QWidget* page, const QString& text) {
  if (!page) return -1;
  stack_->addWidget(page);
  return bar_->addTab(text);
}

void TQtPageTabs::removeTab(int index) {
  if (QWidget* page = widget(index)) stack_->removeWidget(page);
}

int TQtPageTabs::count() const {
  return bar_->count();
}

QWidget* TQtPageTabs::widget(int index) const {
  return stack_->widget(index);
}

int TQtPageTabs::indexOf(const QWidget* page) const {
  return stack_->indexOf(page);
}

int TQtPageTabs::currentIndex() const {
  return bar_->currentIndex();
}

void TQtPageTabs::setCurrentIndex(int index) {
  bar_->setCurrentIndex(index);
}

QWidget* TQtPageTabs::currentWidget() const {
  return stack_->currentWidget();
}

QString TQtPageTabs::tabText(int index) const {
  return bar_->tabText(index);
}

void TQtPageTabs::setTabText(int index, const QString& text) {
  bar_->setTabText(index, text);
}

QString TQtPageTabs::tabToolTip(int index) const {
  return bar_->tabToolTip(index);
}

void TQtPageTabs::setTabToolTip(int index, const QString& tip) {
  bar_->setTabToolTip(index, tip);
}

bool TQtPageTabs::isTabEnabled(int index) const {
  return bar_->isTabEnabled(index);
}

void TQtPageTabs::setTabEnabled(int index, bool enabled) {
  bar_->setTabEnabled(index, enabled);
}

// The page in view and the strip: pages are built when first shown, so the others have no size
// to offer yet, and asking each of thousands would make every layout pass cost their number.
QSize TQtPageTabs::sizeHint() const {
  const QWidget* page = currentWidget();
  return Framed(page ? page->sizeHint() : QSize(), bar_->sizeHint().boundedTo(QSize(200, 200)));
}

QSize TQtPageTabs::minimumSizeHint() const {
  const QWidget* page = currentWidget();
  return Framed(page ? page->minimumSizeHint() : QSize(), bar_->minimumSizeHint());
}

QSize TQtPageTabs::Framed(const QSize& page, const QSize& bar) const {
  const QSize inner(std::max(page.width(), bar.width()),
                    std::max(page.height(), 0) + std::max(bar.height(), 0));
  QStyleOptionTabWidgetFrame option;
  InitFrameOption(&option);
  option.state = QStyle::State_None;
  return style()->sizeFromContents(QStyle::CT_TabWidget, &option, inner, this);
}

bool TQtPageTabs::event(QEvent* event) {
  if (event->type() == QEvent::LayoutRequest) SetUpLayout();
  return QWidget::event(event);
}

void TQtPageTabs::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionTabWidgetFrame option;
  InitFrameOption(&option);
  option.rect = panelRect_;
  painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}

void TQtPageTabs::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  SetUpLayout();
}

void TQtPageTabs::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  SetUpLayout();
}

void TQtPageTabs::keyPressEvent(QKeyEvent* event) {
  const bool control = event->modifiers() & Qt::ControlModifier;
  const bool back = event->key() == Qt::Key_Backtab || event->modifiers() & Qt::ShiftModifier;
  if (control && count() > 1 && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab))
    SelectRound(back ? -1 : 1);
  else if (control && count() > 1 && event->key() == Qt::Key_PageDown)
    SelectRound(1);
  else if (control && count() > 1 && event->key() == Qt::Key_PageUp)
    SelectRound(-1);
  else
    event->ignore();
}

// As a tab widget describes itself to the style, tabs on top and no corner widgets.
void TQtPageTabs::InitFrameOption(QStyleOptionTabWidgetFrame* option) const {
  option->initFrom(this);
  option->lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
  option->shape = QTabBar::RoundedNorth;
  option->tabBarRect = bar_->geometry();
  option->tabBarSize = bar_->sizeHint();
  option->leftCornerWidgetSize = QSize(0, 0);
  option->rightCornerWidgetSize = QSize(0, 0);
  QRect selected = bar_->tabRect(bar_->currentIndex());
  selected.translate(option->tabBarRect.topLeft());
  option->selectedTabRect = selected;
}

void TQtPageTabs::SetUpLayout() {
  if (!isVisible()) return;  // done when shown
  QStyleOptionTabWidgetFrame option;
  InitFrameOption(&option);
  bar_->setGeometry(style()->subElementRect(QStyle::SE_TabWidgetTabBar, &option, this));
  panelRect_ = style()->subElementRect(QStyle::SE_TabWidgetTabPane, &option, this);
  stack_->setGeometry(style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this));
  update();
}

void TQtPageTabs::SelectRound(int step) {
  const int n = count();
  for (int pass = 1; pass < n; ++pass) {
    const int index = ((currentIndex() + step * pass) % n + n) % n;
    if (isTabEnabled(index)) {
      setCurrentIndex(index);
      return;
    }
  }
}

}  // namespace quillon
