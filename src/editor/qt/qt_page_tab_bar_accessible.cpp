#include "editor/qt/qt_page_tab_bar_accessible.h"

#include <QPointer>
#include <QToolButton>

#include "editor/qt/qt_page_tab_bar.h"

namespace quillon {

namespace {

// A caption as read out: an ampersand marks the key letter, two stand for one.
QString Spoken(const QString& caption) {
  QString spoken;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
    spoken += caption[i];
  }
  return spoken;
}

class TPageTabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  TPageTabAccessible(TQtPageTabBar* bar, int index) : bar_(bar), index_(index) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }
  QObject* object() const override { return nullptr; }
  QAccessible::Role role() const override { return QAccessible::PageTab; }
  bool isValid() const override { return bar_ && index_ < bar_->count(); }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(bar_.data());
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  void setText(QAccessible::Text, const QString&) override {}
  int index() const { return index_; }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    state = parent()->state();
    state.selectable = true;
    state.selected = state.focused = index_ == bar_->currentIndex();
    state.disabled = state.disabled || !bar_->isTabEnabled(index_);
    state.offscreen = !bar_->rect().intersects(bar_->tabRect(index_));
    return state;
  }

  QRect rect() const override {
    if (!isValid()) return {};
    return bar_->tabRect(index_).translated(bar_->mapToGlobal(QPoint(0, 0)));
  }

  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    if (t == QAccessible::Name) return Spoken(bar_->tabText(index_));
    if (t == QAccessible::Description) return bar_->tabToolTip(index_);
    return {};
  }

  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (isValid() && name == pressAction() && bar_->isTabEnabled(index_))
      bar_->setCurrentIndex(index_);
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QPointer<TQtPageTabBar> bar_;
  int index_;
};

QAccessibleInterface* MakeInterface(const QString& className, QObject* object) {
  if (className == QLatin1String(TQtPageTabBar::staticMetaObject.className()) &&
      object->isWidgetType())
    return new TQtPageTabBarAccessible(static_cast<QWidget*>(object));
  return nullptr;
}

}  // namespace

TQtPageTabBarAccessible::TQtPageTabBarAccessible(QWidget* bar)
    : QAccessibleWidget(bar, QAccessible::PageTabList) {}

TQtPageTabBarAccessible::~TQtPageTabBarAccessible() {
  for (QAccessible::Id id : std::as_const(tabs_)) QAccessible::deleteAccessibleInterface(id);
}

void TQtPageTabBarAccessible::Install() {
  static const bool installed = (QAccessible::installFactory(&MakeInterface), true);
  Q_UNUSED(installed);
}

TQtPageTabBar* TQtPageTabBarAccessible::Bar() const {
  return static_cast<TQtPageTabBar*>(widget());
}

QAccessibleInterface* TQtPageTabBarAccessible::focusChild() const {
  return Bar()->currentIndex() >= 0 ? child(Bar()->currentIndex()) : nullptr;
}

// The tabs first, then the two scroll buttons.
QAccessibleInterface* TQtPageTabBarAccessible::child(int index) const {
  const int tabs = Bar()->count();
  if (index < 0 || index >= tabs + 2) return nullptr;
  if (index >= tabs) {
    const char* name = index == tabs ? "ScrollLeftButton" : "ScrollRightButton";
    return QAccessible::queryAccessibleInterface(
        Bar()->findChild<QToolButton*>(QLatin1String(name), Qt::FindDirectChildrenOnly));
  }
  if (const QAccessible::Id id = tabs_.value(index)) return QAccessible::accessibleInterface(id);
  auto* tab = new TPageTabAccessible(Bar(), index);
  tabs_.insert(index, QAccessible::registerAccessibleInterface(tab));
  return tab;
}

int TQtPageTabBarAccessible::indexOfChild(const QAccessibleInterface* child) const {
  if (!child) return -1;
  const int tabs = Bar()->count();
  if (QObject* object = child->object()) {
    if (object->objectName() == QLatin1String("ScrollLeftButton")) return tabs;
    if (object->objectName() == QLatin1String("ScrollRightButton")) return tabs + 1;
    return -1;
  }
  if (child->role() == QAccessible::PageTab && child->parent() == this)
    return static_cast<const TPageTabAccessible*>(child)->index();
  return -1;
}

int TQtPageTabBarAccessible::childCount() const {
  return Bar()->count() + 2;
}

QString TQtPageTabBarAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Name) return Spoken(Bar()->tabText(Bar()->currentIndex()));
  return QAccessibleWidget::text(t);
}

}  // namespace quillon
