// The program entry: language first, then the windows, then the message loop.
#include <QApplication>

#include "app/fm_main.h"
#include "settings/program_paths.h"

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  quillon::TfmMain mainWindow;
  mainWindow.show();
  return app.exec();
}
