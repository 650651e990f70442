// The editor's pages under their strip of tabs, framed as a tab widget is. It takes thousands
// of pages in time proportional to their number (see TQtPageTabBar); a page deleted by its
// owner leaves with its tab.
#pragma once

#include <QRect>
#include <QWidget>

class QStackedWidget;
class QStyleOptionTabWidgetFrame;

namespace quillon {

class TQtPageTabBar;

class TQtPageTabs : public QWidget {
  Q_OBJECT

 public:
  explicit TQtPageTabs(QWidget* parent = nullptr);

  // The tabs own their pages from here on.
  int addTab(QWidget* page, const QString& text);
  // Takes the page out without deleting it.
  void removeTab(int index);

  int count() const;
  QWidget* widget(int index) const;
  int indexOf(const QWidget* page) const;
  int currentIndex() const;
  void setCurrentIndex(int index);
  QWidget* currentWidget() const;

  QString tabText(int index) const;
  void setTabText(int index, const QString& text);
  QString tabToolTip(int index) const;
  void setTabToolTip(int index, const QString& tip);
  bool isTabEnabled(int index) const;
  void setTabEnabled(int index, bool enabled);

  TQtPageTabBar* tabBar() const { return bar_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void currentChanged(int index);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void InitFrameOption(QStyleOptionTabWidgetFrame* option) const;
  void SetUpLayout();
  // Next enabled tab in the direction of the step, going round past either end.
  void SelectRound(int step);
  QSize Framed(const QSize& page, const QSize& bar) const;

  TQtPageTabBar* bar_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QRect panelRect_;
};

}  // namespace quillon
