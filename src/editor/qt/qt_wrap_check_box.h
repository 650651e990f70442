// A check box whose caption wraps onto as many lines as its width needs; a click anywhere on it
// toggles it.
#pragma once

#include <QCheckBox>

namespace quillon {

class TWrapCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  explicit TWrapCheckBox(const QString& text, QWidget* parent = nullptr);

  // Room above the first line of the caption (the box stands beside that line).
  void SetCaptionTop(int top);
  int CaptionTop() const { return captionTop_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override;

 private:
  int captionTop_ = 0;
};

}  // namespace quillon
