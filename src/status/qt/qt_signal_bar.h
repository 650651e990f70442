// The GSM signal bar beside the signal-level field: a wedge rising from the bottom-left corner
// to the level (0..31), with a rung at every multiple of 5 below it.
#pragma once

#include <QWidget>

namespace quillon {

class TQtSignalBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 53;
  static constexpr int kHeight = 17;
  static constexpr int kMaxLevel = 31;

  explicit TQtSignalBar(QWidget* parent = nullptr);

  // The level read from the field's text by the settings-file integer rule: 0 when the text does
  // not read, clamped into 0..31.
  static int LevelOf(const QString& strengthText);

  // Takes the field's new text and redraws.
  void SetStrengthText(const QString& strengthText);
  int Level() const { return level_; }

  // Draws the bar of the given inner size on a painter (the paint event and tests).
  static void Draw(QPainter& painter, int width, int height, int level, const QColor& background);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int level_ = 0;
};

}  // namespace quillon
