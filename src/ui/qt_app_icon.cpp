#include "ui/qt_app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quillon {

namespace {

// A map pin with two signal arcs on a blue tile: a navigation terminal that talks.
QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;

  QLinearGradient tile(0, 0, 0, s);
  tile.setColorAt(0, QColor(0x2f, 0x7f, 0xd8));
  tile.setColorAt(1, QColor(0x1a, 0x4f, 0x9c));
  p.setPen(Qt::NoPen);
  p.setBrush(tile);
  p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.18, s * 0.18);

  QPainterPath pin;
  const QPointF head(s * 0.42, s * 0.42);
  const qreal r = s * 0.2;
  pin.moveTo(head.x(), s * 0.86);
  pin.cubicTo(head.x() - r * 0.3, s * 0.7, head.x() - r, head.y() + r * 0.6, head.x() - r,
              head.y());
  pin.arcTo(QRectF(head.x() - r, head.y() - r, 2 * r, 2 * r), 180, -180);
  pin.cubicTo(head.x() + r, head.y() + r * 0.6, head.x() + r * 0.3, s * 0.7, head.x(), s * 0.86);
  p.setBrush(Qt::white);
  p.drawPath(pin);
  p.setBrush(QColor(0x1f, 0x5f, 0xb4));
  p.drawEllipse(head, r * 0.42, r * 0.42);

  QPen arc(Qt::white, qMax(1.0, s * 0.055), Qt::SolidLine, Qt::RoundCap);
  p.setPen(arc);
  p.setBrush(Qt::NoBrush);
  const QPointF origin(s * 0.62, s * 0.3);
  for (int i = 1; i <= 2; ++i) {
    const qreal rr = s * 0.11 * i;
    p.drawArc(QRectF(origin.x() - rr, origin.y() - rr, 2 * rr, 2 * rr), -10 * 16, 90 * 16);
  }
  return pixmap;
}

}  // namespace

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(DrawIcon(size));
  return icon;
}

}  // namespace quillon
