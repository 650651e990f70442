#include "editor/qt/qt_page_tab_bar.h"

#include <QAccessible>
#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

#include "editor/qt/qt_page_tab_bar_accessible.h"

namespace quillon {

TQtPageTabBar::TQtPageTabBar(QWidget* parent) : QWidget(parent) {
  TQtPageTabBarAccessible::Install();
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  setAttribute(Qt::WA_Hover);
  const auto makeButton = [this](const char* name, Qt::ArrowType arrow) {
    auto* button = new QToolButton(this);
    button->setObjectName(QLatin1String(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->hide();
    return button;
  };
  leftButton_ = makeButton("ScrollLeftButton", Qt::LeftArrow);
  rightButton_ = makeButton("ScrollRightButton", Qt::RightArrow);
  leftButton_->setAccessibleName(tr("Прокрутить влево"));
  rightButton_->setAccessibleName(tr("Прокрутить вправо"));
  connect(leftButton_, &QToolButton::clicked, this, &TQtPageTabBar::ScrollLeft);
  connect(rightButton_, &QToolButton::clicked, this, &TQtPageTabBar::ScrollRight);
}

int TQtPageTabBar::addTab(const QString& text) {
  tabs_.push_back({text, {}, {}, true, {}});
  const int index = count() - 1;
  placementPending_ = true;
  updateGeometry();
  update();
  if (index == 0) setCurrentIndex(0);
  return index;
}

void TQtPageTabBar::removeTab(int index) {
  if (!Valid(index)) return;
  tabs_.erase(tabs_.begin() + index);
  Invalidate(index);
  if (hover_ >= index) hover_ = -1;
  if (index < current_) {
    --current_;
    emit currentChanged(current_);
  } else if (index == current_) {
    // The tab that took its place, or the new last one, as a tab bar does.
    current_ = -1;
    if (tabs_.empty())
      emit currentChanged(-1);
    else
      setCurrentIndex(std::min(index, count() - 1));
  }
}

void TQtPageTabBar::setCurrentIndex(int index) {
  if (!Valid(index) || index == current_) return;
  current_ = index;
  MakeVisible(index);
  update();
  TellScreenReaders();
  emit currentChanged(index);
}

QString TQtPageTabBar::tabText(int index) const {
  return Valid(index) ? tabs_[static_cast<size_t>(index)].Text : QString();
}

void TQtPageTabBar::setTabText(int index, const QString& text) {
  if (!Valid(index) || tabs_[static_cast<size_t>(index)].Text == text) return;
  tabs_[static_cast<size_t>(index)].Text = text;
  tabs_[static_cast<size_t>(index)].Size = QSize();
  Invalidate(index);
}

QString TQtPageTabBar::tabToolTip(int index) const {
  return Valid(index) ? tabs_[static_cast<size_t>(index)].ToolTip : QString();
}

void TQtPageTabBar::setTabToolTip(int index, const QString& tip) {
  if (Valid(index)) tabs_[static_cast<size_t>(index)].ToolTip = tip;
}

QColor TQtPageTabBar::tabTextColor(int index) const {
  return Valid(index) ? tabs_[static_cast<size_t>(index)].TextColor : QColor();
}

void TQtPageTabBar::setTabTextColor(int index, const QColor& color) {
  if (!Valid(index) || tabs_[static_cast<size_t>(index)].TextColor == color) return;
  tabs_[static_cast<size_t>(index)].TextColor = color;
  update(tabRect(index));
}

bool TQtPageTabBar::isTabEnabled(int index) const {
  return Valid(index) && tabs_[static_cast<size_t>(index)].Enabled;
}

void TQtPageTabBar::setTabEnabled(int index, bool enabled) {
  if (!Valid(index) || tabs_[static_cast<size_t>(index)].Enabled == enabled) return;
  tabs_[static_cast<size_t>(index)].Enabled = enabled;
  update(tabRect(index));
}

QRect TQtPageTabBar::tabRect(int index) const {
  if (!Valid(index)) return {};
  EnsureLaidOut();
  const int start = TabStart(index);
  return {start - scrollOffset_, 0, TabEnd(index) - start, tabHeight_};
}

int TQtPageTabBar::tabAt(const QPoint& position) const {
  if (tabs_.empty() || position.y() < 0 || position.y() >= height()) return -1;
  const QRect area = ButtonFreeRect();
  if (position.x() < area.left() || position.x() > area.right()) return -1;
  EnsureLaidOut();
  const int index = FirstTabEndingAfter(position.x() + scrollOffset_);
  return Valid(index) && TabStart(index) <= position.x() + scrollOffset_ ? index : -1;
}

QSize TQtPageTabBar::sizeHint() const {
  EnsureLaidOut();
  return {StripWidth(), tabHeight_};
}

QSize TQtPageTabBar::minimumSizeHint() const {
  return {rightButton_->sizeHint().width() * 2 + 75, sizeHint().height()};
}

bool TQtPageTabBar::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
      SetHover(tabAt(static_cast<QHoverEvent*>(event)->position().toPoint()));
      return true;
    case QEvent::HoverLeave:
      SetHover(-1);
      wheelDelta_ = 0;
      return true;
    case QEvent::ToolTip: {
      auto* help = static_cast<QHelpEvent*>(event);
      const QString tip = tabToolTip(tabAt(help->pos()));
      if (!tip.isEmpty()) {
        QToolTip::showText(help->globalPos(), tip, this);
        return true;
      }
      QToolTip::hideText();
      event->ignore();
      return true;
    }
    default:
      return QWidget::event(event);
  }
}

void TQtPageTabBar::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
    for (const TTab& tab : tabs_) tab.Size = QSize();
    Invalidate(0);
  }
  QWidget::changeEvent(event);
}

void TQtPageTabBar::paintEvent(QPaintEvent* event) {
  EnsureLaidOut();
  if (placementPending_) PlaceScrollButtons();
  QStylePainter painter(this);
  const QRect area = ButtonFreeRect();
  // The buttons may not fill their place, and no tab is to show through them.
  if (!leftButton_->isHidden())
    painter.setClipRegion(QRegion(rect()) - leftButton_->geometry() - rightButton_->geometry());
  const int left = std::max(area.left(), event->rect().left()) + scrollOffset_;
  const int right = std::min(area.right(), event->rect().right()) + scrollOffset_;
  QStyleOptionTab option;
  for (int index = FirstTabEndingAfter(left);
       index >= 0 && Valid(index) && TabStart(index) <= right; ++index) {
    if (index == current_) continue;
    InitTabOption(&option, index);
    painter.drawControl(QStyle::CE_TabBarTab, option);
  }
  // The current tab last, over the edges of its neighbours.
  if (Valid(current_)) {
    InitTabOption(&option, current_);
    painter.drawControl(QStyle::CE_TabBarTab, option);
  }
  if (!leftButton_->isHidden()) PaintTears(painter);
}

// The marks of a strip torn where tabs go on out of view.
void TQtPageTabBar::PaintTears(QStylePainter& painter) {
  const QRect area = ScrollRect();
  const int leftCut = LastTabStartingBefore(area.left() + scrollOffset_);
  const bool rightCut = StripWidth() - 1 > area.right() + scrollOffset_;
  QStyleOptionTab option;
  if (leftCut >= 0) {
    InitTabOption(&option, leftCut);
    option.rect = rect();
    option.rect = style()->subElementRect(QStyle::SE_TabBarTearIndicatorLeft, &option, this);
    painter.drawPrimitive(QStyle::PE_IndicatorTabTearLeft, option);
  }
  if (rightCut) {
    InitTabOption(&option, count() - 1);
    option.rect = rect();
    option.rect = style()->subElementRect(QStyle::SE_TabBarTearIndicatorRight, &option, this);
    painter.drawPrimitive(QStyle::PE_IndicatorTabTearRight, option);
  }
}

void TQtPageTabBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceScrollButtons();
}

void TQtPageTabBar::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  PlaceScrollButtons();
}

void TQtPageTabBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  const int index = tabAt(event->position().toPoint());
  if (isTabEnabled(index)) setCurrentIndex(index);
}

void TQtPageTabBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Left)
    SelectNextEnabled(-1);
  else if (event->key() == Qt::Key_Right)
    SelectNextEnabled(1);
  else
    event->ignore();
}

// A notch of the wheel moves to the neighbouring tab, as over a tab bar.
void TQtPageTabBar::wheelEvent(QWheelEvent* event) {
  const QPoint angle = event->angleDelta();
  wheelDelta_ += std::abs(angle.y()) >= std::abs(angle.x()) ? angle.y() : angle.x();
  const int steps = wheelDelta_ / QWheelEvent::DefaultDeltasPerStep;
  if (steps == 0) return;
  wheelDelta_ = 0;
  const int before = current_;
  SelectNextEnabled(steps > 0 ? -1 : 1);
  if (current_ == before) event->ignore();
}

// As a tab bar inside a tab widget fills it in; icons, buttons and drag state never occur here.
void TQtPageTabBar::InitTabOption(QStyleOptionTab* option, int index) const {
  const TTab& tab = tabs_[static_cast<size_t>(index)];
  option->initFrom(this);
  option->state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
  option->rect = tabRect(index);
  option->row = 0;
  if (index == current_) {
    option->state |= QStyle::State_Selected;
    if (hasFocus()) option->state |= QStyle::State_HasFocus;
  }
  if (!tab.Enabled) option->state &= ~QStyle::State_Enabled;
  if (isActiveWindow()) option->state |= QStyle::State_Active;
  if (index == hover_) option->state |= QStyle::State_MouseOver;
  option->shape = QTabBar::RoundedNorth;
  option->text = tab.Text;
  if (tab.TextColor.isValid()) option->palette.setColor(foregroundRole(), tab.TextColor);
  if (!tab.Enabled) option->palette.setCurrentColorGroup(QPalette::Disabled);
  option->documentMode = false;
  if (index > 0 && index - 1 == current_)
    option->selectedPosition = QStyleOptionTab::PreviousIsSelected;
  else if (index + 1 == current_)
    option->selectedPosition = QStyleOptionTab::NextIsSelected;
  else
    option->selectedPosition = QStyleOptionTab::NotAdjacent;
  const bool first = index == 0;
  const bool last = index == count() - 1;
  option->position = first && last ? QStyleOptionTab::OnlyOneTab
                     : first       ? QStyleOptionTab::Beginning
                     : last        ? QStyleOptionTab::End
                                   : QStyleOptionTab::Middle;
  option->features |= QStyleOptionTab::HasFrame;
  option->tabIndex = index;
}

// The size a tab bar gives a tab with a caption only.
QSize TQtPageTabBar::TabSizeHint(int index) const {
  QStyleOptionTab option;
  option.initFrom(this);
  option.shape = QTabBar::RoundedNorth;
  option.text = tabs_[static_cast<size_t>(index)].Text;
  option.features |= QStyleOptionTab::HasFrame;
  const int hspace = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, this);
  const int vspace = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &option, this);
  const QFontMetrics metrics = fontMetrics();
  const QSize contents(metrics.size(Qt::TextShowMnemonic, option.text).width() + hspace,
                       metrics.height() + vspace);
  return style()->sizeFromContents(QStyle::CT_TabBarTab, &option, contents, this);
}

void TQtPageTabBar::EnsureLaidOut() const {
  const int n = count();
  if (laidOut_ >= n) return;
  ends_.resize(static_cast<size_t>(n));
  int end = laidOut_ > 0 ? ends_[static_cast<size_t>(laidOut_ - 1)] : 0;
  if (laidOut_ == 0) tabHeight_ = 0;
  for (int index = laidOut_; index < n; ++index) {
    const TTab& tab = tabs_[static_cast<size_t>(index)];
    if (!tab.Size.isValid()) tab.Size = TabSizeHint(index);
    end += tab.Size.width();
    ends_[static_cast<size_t>(index)] = end;
    tabHeight_ = std::max(tabHeight_, tab.Size.height());
  }
  laidOut_ = n;
}

void TQtPageTabBar::Invalidate(int from) {
  laidOut_ = std::min(laidOut_, std::max(from, 0));
  placementPending_ = true;
  updateGeometry();
  update();
}

int TQtPageTabBar::TabStart(int index) const {
  return index > 0 ? ends_[static_cast<size_t>(index - 1)] : 0;
}

int TQtPageTabBar::TabEnd(int index) const {
  return ends_[static_cast<size_t>(index)];
}

int TQtPageTabBar::StripWidth() const {
  EnsureLaidOut();
  return laidOut_ > 0 ? ends_[static_cast<size_t>(laidOut_ - 1)] : 0;
}

int TQtPageTabBar::FirstTabEndingAfter(int x) const {
  const auto end = ends_.begin() + laidOut_;
  const auto found = std::upper_bound(ends_.begin(), end, x);
  return found == end ? -1 : static_cast<int>(found - ends_.begin());
}

// A tab starts where the one before it ends.
int TQtPageTabBar::LastTabStartingBefore(int x) const {
  if (tabs_.empty() || x <= 0) return -1;
  const auto found = std::lower_bound(ends_.begin(), ends_.begin() + (laidOut_ - 1), x);
  return static_cast<int>(found - ends_.begin());
}

QRect TQtPageTabBar::ButtonFreeRect() const {
  if (leftButton_->isHidden()) return rect();
  const QRect left = leftButton_->geometry();
  const QRect right = rightButton_->geometry();
  const int middle = width() / 2;
  if (left.x() < middle && right.x() < middle)
    return QRect(QPoint(std::max(left.right(), right.right()) + 1, 0),
                 QPoint(width() - 1, height() - 1));
  if (left.x() >= middle && right.x() >= middle)
    return QRect(0, 0, std::min(left.left(), right.left()), height());
  return QRect(QPoint(left.right() + 1, 0), QPoint(right.left() - 1, height() - 1));
}

QRect TQtPageTabBar::TearRect(QStyle::SubElement element) const {
  QStyleOptionTab option;
  InitTabOption(&option, std::max(current_, 0));
  option.rect = rect();
  return style()->subElementRect(element, &option, this);
}

QRect TQtPageTabBar::ScrollRect(int index) const {
  QRect area = ButtonFreeRect();
  if (leftButton_->isHidden() || tabs_.empty()) return area;
  const bool leftTorn = index != 0 && area.left() != -scrollOffset_;
  const bool rightTorn = index != count() - 1 && area.right() + 1 != StripWidth() - scrollOffset_;
  const QRect tearLeft = TearRect(QStyle::SE_TabBarTearIndicatorLeft);
  const QRect tearRight = TearRect(QStyle::SE_TabBarTearIndicatorRight);
  if (leftTorn && !tearLeft.isNull()) area.setLeft(tearLeft.right() + 1);
  if (rightTorn && !tearRight.isNull()) area.setRight(tearRight.left() - 1);
  return area;
}

void TQtPageTabBar::PlaceScrollButtons() {
  placementPending_ = false;
  EnsureLaidOut();
  scrollOffset_ = 0;
  if (tabs_.empty() || StripWidth() <= width()) {
    leftButton_->hide();
    rightButton_->hide();
    update();
    return;
  }
  QStyleOptionTab option;
  InitTabOption(&option, std::max(current_, 0));
  option.rect = rect();
  QRect left = style()->subElementRect(QStyle::SE_TabBarScrollLeftButton, &option, this);
  QRect right = style()->subElementRect(QStyle::SE_TabBarScrollRightButton, &option, this);
  const int buttonWidth = style()->pixelMetric(QStyle::PM_TabBarScrollButtonWidth, &option, this);
  left.setWidth(buttonWidth);
  right.setX(right.right() + 1 - buttonWidth);
  right.setWidth(buttonWidth);
  leftButton_->setGeometry(left);
  rightButton_->setGeometry(right);
  leftButton_->show();
  rightButton_->show();
  const QRect area = ScrollRect(0);
  leftButton_->setEnabled(false);
  rightButton_->setEnabled(StripWidth() > area.right() + 1);
  MakeVisible(current_);
  update();
}

// Scrolls just far enough that the whole tab shows, clear of the torn edges.
void TQtPageTabBar::MakeVisible(int index) {
  if (!Valid(index) || leftButton_->isHidden()) return;
  EnsureLaidOut();
  const QRect area = ScrollRect(index);
  const int before = scrollOffset_;
  const int start = TabStart(index);
  const int end = TabEnd(index) - 1;
  const int lastEnd = StripWidth() - 1;
  if (start < std::max(1, area.left() + scrollOffset_))
    scrollOffset_ = start - area.left();
  else if (end > std::min(lastEnd - 1, area.right() + scrollOffset_))
    scrollOffset_ = end - area.right();
  leftButton_->setEnabled(scrollOffset_ > -area.left());
  rightButton_->setEnabled(scrollOffset_ < lastEnd - area.right());
  if (scrollOffset_ != before) update();
}

// The last tab hidden on the left, whole or in part, comes into view.
void TQtPageTabBar::ScrollLeft() {
  EnsureLaidOut();
  MakeVisible(LastTabStartingBefore(ScrollRect().left() + scrollOffset_));
}

// The first tab hidden on the right, whole or in part, comes into view.
void TQtPageTabBar::ScrollRight() {
  EnsureLaidOut();
  int index = FirstTabEndingAfter(ScrollRect().right() + 1 + scrollOffset_);
  while (Valid(index) && TabStart(index) <= scrollOffset_) ++index;
  MakeVisible(index);
}

void TQtPageTabBar::TellScreenReaders() {
  if (!QAccessible::isActive()) return;
  if (hasFocus()) {
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(current_);
    QAccessible::updateAccessibility(&focus);
  }
  QAccessibleEvent selection(this, QAccessible::Selection);
  selection.setChild(current_);
  QAccessible::updateAccessibility(&selection);
}

void TQtPageTabBar::SetHover(int index) {
  if (index == hover_) return;
  if (Valid(hover_)) update(tabRect(hover_));
  hover_ = index;
  if (Valid(hover_)) update(tabRect(hover_));
}

void TQtPageTabBar::SelectNextEnabled(int step) {
  for (int index = current_ + step; Valid(index); index += step)
    if (isTabEnabled(index)) {
      setCurrentIndex(index);
      return;
    }
}

}  // namespace quillon
