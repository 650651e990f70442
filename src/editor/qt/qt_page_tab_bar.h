// The strip of page tabs above the editor: one tab per profile page, drawn by the style as a
// tab bar's tabs are. A tab goes in at constant cost and the strip is laid out once, when it is
// next needed, so a profile of thousands of pages starts in time proportional to their number;
// painting and finding a tab touch only the tabs in view.
#pragma once

#include <QColor>
#include <QSize>
#include <QString>
#include <QStyle>
#include <QWidget>

#include <vector>

class QStyleOptionTab;
class QStylePainter;
class QToolButton;

namespace quillon {

class TQtPageTabBar : public QWidget {
  Q_OBJECT

 public:
  explicit TQtPageTabBar(QWidget* parent = nullptr);

  int count() const { return static_cast<int>(tabs_.size()); }
  // Appends a tab; the first one becomes current.
  int addTab(const QString& text);
  void removeTab(int index);

  int currentIndex() const { return current_; }
  void setCurrentIndex(int index);

  QString tabText(int index) const;
  void setTabText(int index, const QString& text);
  QString tabToolTip(int index) const;
  void setTabToolTip(int index, const QString& tip);
  // An invalid colour draws the caption in the style's own colour.
  QColor tabTextColor(int index) const;
  void setTabTextColor(int index, const QColor& color);
  bool isTabEnabled(int index) const;
  void setTabEnabled(int index, bool enabled);

  // Where the tab is drawn now, scrolled; empty for no such tab.
  QRect tabRect(int index) const;
  // The tab drawn at the point, -1 for none.
  int tabAt(const QPoint& position) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void currentChanged(int index);

 protected:
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  struct TTab {
    QString Text;
    QString ToolTip;
    QColor TextColor;
    bool Enabled = true;
    // Measured size, empty until the strip is next laid out.
    mutable QSize Size;
  };

  bool Valid(int index) const { return index >= 0 && index < count(); }
  void InitTabOption(QStyleOptionTab* option, int index) const;
  QSize TabSizeHint(int index) const;
  // Measures the tabs not measured yet and sums the places from the first tab changed on;
  // nothing when all are known.
  void EnsureLaidOut() const;
  // Places from this tab on are to be summed again.
  void Invalidate(int from);
  // Left and right ends of the tab in unscrolled strip coordinates.
  int TabStart(int index) const;
  int TabEnd(int index) const;
  int StripWidth() const;
  // The strip less the scroll buttons.
  QRect ButtonFreeRect() const;
  // Where a tab shows whole: the strip less the scroll buttons and the torn edges the style
  // draws at a side with tabs hidden beyond it; the given tab's own side counts as whole.
  QRect ScrollRect(int index = -1) const;
  QRect TearRect(QStyle::SubElement element) const;
  // Shows or hides the scroll buttons for the present width, then brings the current tab into
  // view.
  void PlaceScrollButtons();
  void MakeVisible(int index);
  void ScrollLeft();
  void ScrollRight();
  int FirstTabEndingAfter(int x) const;
  int LastTabStartingBefore(int x) const;
  void PaintTears(QStylePainter& painter);
  void TellScreenReaders();
  void SetHover(int index);
  void SelectNextEnabled(int step);

  std::vector<TTab> tabs_;
  // Right end of each measured tab, summed from the left; kept valid up to laidOut_.
  mutable std::vector<int> ends_;
  mutable int laidOut_ = 0;
  mutable int tabHeight_ = 0;
  int current_ = -1;
  int hover_ = -1;
  int scrollOffset_ = 0;
  int wheelDelta_ = 0;
  bool placementPending_ = true;
  QToolButton* leftButton_ = nullptr;
  QToolButton* rightButton_ = nullptr;
};

}  // namespace quillon
