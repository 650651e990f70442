#include "app/fm_main.h"

namespace quillon {

TfmMain::TfmMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName("fmMain");
  setWindowTitle(QStringLiteral("Программное обеспечение для настройки Veltra"));
  setMinimumSize(800, 300);
}

}  // namespace quillon
