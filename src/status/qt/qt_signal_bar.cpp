#include "status/qt/qt_signal_bar.h"

#include <QPainter>
#include <algorithm>

#include "profile/text_utils.h"
#include "ui/qt_text.h"

namespace quillon {

namespace {

// size * value / 31 to the nearest integer, halves upward (value is never negative here).
int Scaled(int size, int value) {
  return (2 * size * value + TQtSignalBar::kMaxLevel) / (2 * TQtSignalBar::kMaxLevel);
}

}  // namespace

TQtSignalBar::TQtSignalBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pGSMStr"));
  setFixedSize(kWidth, kHeight);
}

int TQtSignalBar::LevelOf(const QString& strengthText) {
  const int32_t value = StrToInt32Def(FromQString(strengthText), 0);
  return std::clamp<int32_t>(value, 0, kMaxLevel);
}

void TQtSignalBar::SetStrengthText(const QString& strengthText) {
  level_ = LevelOf(strengthText);
  update();
}

// The closing edge and the rungs run down onto the outline's bottom row.
void TQtSignalBar::Draw(QPainter& painter, int width, int height, int level,
                        const QColor& background) {
  const int w = width;
  const int h = height;
  painter.fillRect(0, 0, w, h, background);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(0, 0, w - 1, h - 1);
  if (level <= 0) return;
  const int x = Scaled(w, level);
  const int y = Scaled(h, level);
  painter.drawLine(0, h - 1, x, h - y);
  painter.drawLine(x, h - y, x, h - 1);
  for (int i = 1; i <= 6 && 5 * i < level; ++i) {
    const int xi = Scaled(w, 5 * i);
    const int yi = Scaled(h, 5 * i);
    painter.drawLine(xi, h - yi, xi, h - 1);
  }
}

void TQtSignalBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Draw(painter, width(), height(), level_, palette().color(QPalette::Window));
}

}  // namespace quillon
