// The main window's progress bar as the transaction and the batch runs drive it.
#pragma once

#include "link/session_ui.h"

class QProgressBar;

namespace quillon {

// Keeps the logical range and position (clamped like a native progress bar) and mirrors them on
// the Qt bar.
class TQtProgressBar : public IProgressBar {
 public:
  explicit TQtProgressBar(QProgressBar* bar);

  int Min() const override { return state_.Min(); }
  int Max() const override { return state_.Max(); }
  int Position() const override { return state_.Position(); }
  void SetMin(int value) override;
  void SetMax(int value) override;
  void SetPosition(int value) override;

 private:
  void Show();

  QProgressBar* bar_;
  TMemoryProgressBar state_;
};

}  // namespace quillon
