// Runs every GUI test class of the front end in one QApplication.
#include <QApplication>

#include "app/gui_tests.h"
#include "settings/program_paths.h"

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  QApplication app(argc, argv);
  int failed = 0;
  failed += quillon::test::RunMainWindowTests(argc, argv);
  failed += quillon::test::RunLogViewTests(argc, argv);
  failed += quillon::test::RunSessionWindowTests(argc, argv);
  failed += quillon::test::RunAdapterTests(argc, argv);
  failed += quillon::test::RunDemoSessionTests(argc, argv);
  return failed == 0 ? 0 : 1;
}
