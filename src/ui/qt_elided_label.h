// A one-line label that gives up width when its neighbours need it: what does not fit ends in
// "…", and the whole text is its tool tip.
#pragma once

#include <QLabel>

namespace quillon {

class TQtElidedLabel : public QLabel {
 public:
  explicit TQtElidedLabel(QWidget* parent = nullptr);

  void SetFullText(const QString& text);
  const QString& FullText() const { return full_; }

  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();

  QString full_;
};

}  // namespace quillon
