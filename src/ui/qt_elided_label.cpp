#include "ui/qt_elided_label.h"

#include <QFontMetrics>
#include <QResizeEvent>
#include <algorithm>

namespace quillon {

namespace {

// Enough for a number and the first word of most texts.
constexpr int kLeastChars = 12;

}  // namespace

TQtElidedLabel::TQtElidedLabel(QWidget* parent) : QLabel(parent) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void TQtElidedLabel::SetFullText(const QString& text) {
  full_ = text;
  setToolTip(text);
  updateGeometry();
  Elide();
}

// The label's own hint for the text it shows, widened by what the elision took away: margins,
// padding and borders of a style sheet stay counted.
QSize TQtElidedLabel::sizeHint() const {
  const QSize shown = QLabel::sizeHint();
  const QFontMetrics metrics = fontMetrics();
  const int missing = metrics.horizontalAdvance(full_) - metrics.horizontalAdvance(text());
  return QSize(shown.width() + std::max(missing, 0), shown.height());
}

QSize TQtElidedLabel::minimumSizeHint() const {
  const QSize full = sizeHint();
  const int least = fontMetrics().averageCharWidth() * kLeastChars;
  return QSize(std::min(full.width(), least), full.height());
}

void TQtElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void TQtElidedLabel::Elide() {
  setText(fontMetrics().elidedText(full_, Qt::ElideRight, std::max(contentsRect().width(), 1)));
}

}  // namespace quillon
