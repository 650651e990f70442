// Keeps absolutely placed controls tied to the right edge of their container as it resizes:
// stretched ones keep their right margin by changing width, moved ones by changing position.
// It also makes a scroll box's contents follow the width of the visible area.
#pragma once

#include <QHash>
#include <QObject>
#include <QVector>

class QWidget;

namespace quillon {

class TAnchorKeeper : public QObject {
  Q_OBJECT

 public:
  explicit TAnchorKeeper(QObject* parent = nullptr);

  // Ties the control's right edge at its present distance from its container's right edge.
  void AnchorRight(QWidget* control, bool stretch);
  // The contents take the viewport's width, never less than minWidth, and keep their height.
  void FollowWidth(QWidget* contents, QWidget* viewport, int minWidth);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TAnchor {
    QWidget* Control;
    int RightMargin;
    bool Stretch;
  };
  struct TFollower {
    QWidget* Contents;
    int MinWidth;
  };
  void Watch(QWidget* container);
  void Forget(QObject* container);

  QHash<QObject*, QVector<TAnchor>> anchors_;
  QHash<QObject*, TFollower> followers_;
};

}  // namespace quillon
