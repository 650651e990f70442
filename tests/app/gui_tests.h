// The GUI test classes, each run by the common main; a result is the number of failed tests.
#pragma once

#include <QString>

class QWidget;
#include <string>

namespace quillon::test {

int RunMainWindowTests(int argc, char** argv);
int RunLogViewTests(int argc, char** argv);
int RunSessionWindowTests(int argc, char** argv);
int RunAdapterTests(int argc, char** argv);
int RunDemoSessionTests(int argc, char** argv);

// With QUILLON_TEST_SCREENSHOTS=DIR set, saves a picture of the window as DIR/name.png, for a
// look by eye; does nothing otherwise.
void SaveShot(QWidget* window, const QString& name);

// Writes a file into a folder of the test (UTF-8 bytes as given); returns its path.
std::string WriteTestFile(const QString& folder, const QString& name, const std::string& bytes);

}  // namespace quillon::test
