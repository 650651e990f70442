// Stand-in for the status window until the real one is wired in.
#pragma once

#include <QDialog>

namespace quillon {

class TfmDeviceInfoPlaceholder : public QDialog {
  Q_OBJECT

 public:
  explicit TfmDeviceInfoPlaceholder(QWidget* parent = nullptr);
};

}  // namespace quillon
