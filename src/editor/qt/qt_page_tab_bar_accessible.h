// What a screen reader learns of the page tabs: a list of page tabs, each with its caption and
// tip, that can be chosen, followed by the two scroll buttons, as of a stock tab bar.
#pragma once

#include <QAccessibleWidget>
#include <QHash>

namespace quillon {

class TQtPageTabBar;

class TQtPageTabBarAccessible : public QAccessibleWidget {
 public:
  explicit TQtPageTabBarAccessible(QWidget* bar);
  ~TQtPageTabBarAccessible() override;

  // Makes the tabs known to the accessibility framework; once per process is enough.
  static void Install();

  QAccessibleInterface* focusChild() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  int childCount() const override;
  QString text(QAccessible::Text t) const override;

 private:
  TQtPageTabBar* Bar() const;

  mutable QHash<int, QAccessible::Id> tabs_;
};

}  // namespace quillon
