#include "editor/qt/qt_wrap_check_box.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace quillon {

TWrapCheckBox::TWrapCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void TWrapCheckBox::SetCaptionTop(int top) {
  captionTop_ = std::max(0, top);
  update();
}

bool TWrapCheckBox::hitButton(const QPoint& pos) const {
  return rect().contains(pos);
}

void TWrapCheckBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  option.text.clear();

  // The box stands beside the first line of the caption.
  QStyleOptionButton indicator = option;
  indicator.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
  const int lineHeight = fontMetrics().height();
  indicator.rect.moveTop(captionTop_ + std::max(0, (lineHeight - indicator.rect.height()) / 2));
  painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);

  QRect textRect = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
  textRect.setTop(captionTop_);
  textRect.setBottom(height() - 1);
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
  painter.drawItemText(textRect, flags, palette(), isEnabled(), caption, QPalette::WindowText);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = fontMetrics().boundingRect(textRect, flags, caption).adjusted(-1, 0, 1, 0);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

}  // namespace quillon
