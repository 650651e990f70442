#include "ui/qt_progress_bar.h"

#include <QProgressBar>

namespace quillon {

TQtProgressBar::TQtProgressBar(QProgressBar* bar) : bar_(bar) {
  Show();
}

void TQtProgressBar::SetMin(int value) {
  state_.SetMin(value);
  Show();
}

void TQtProgressBar::SetMax(int value) {
  state_.SetMax(value);
  Show();
}

void TQtProgressBar::SetPosition(int value) {
  state_.SetPosition(value);
  Show();
}

// An empty range turns a QProgressBar into an animated busy indicator; a native bar simply shows
// nothing then, so an empty range is shown as an empty bar.
void TQtProgressBar::Show() {
  if (state_.Max() <= state_.Min()) {
    bar_->setRange(0, 1);
    bar_->setValue(0);
    return;
  }
  bar_->setRange(state_.Min(), state_.Max());
  bar_->setValue(state_.Position());
}

}  // namespace quillon
