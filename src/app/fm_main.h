// The main window: menu, editor tabs, protocol log, status bar; controller of the rest.
#pragma once

#include <QMainWindow>

namespace quillon {

class TfmMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit TfmMain(QWidget* parent = nullptr);
};

}  // namespace quillon
