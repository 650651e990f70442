// Stand-in for the settings dialog until the real one is wired in: the window of that caption,
// closing with OK or Cancel.
#pragma once

#include <QDialog>

namespace quillon {

class TfmSettingsPlaceholder : public QDialog {
  Q_OBJECT

 public:
  explicit TfmSettingsPlaceholder(QWidget* parent = nullptr);
};

}  // namespace quillon
