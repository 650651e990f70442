// The main window on the sample profile with no terminal and no settings file, as the tests of
// its menus and files make it.
#pragma once

#include <QTemporaryDir>
#include <memory>

#include "app/fm_main.h"

namespace quillon::test {

// The settings path lies in the test's folder and is never created, so nothing of the
// machine's own settings leaks in.
inline std::unique_ptr<TfmMain> MakeOfflineMainWindow(const QTemporaryDir& dir) {
  TMainOptions options;
  options.ProfilePath = "cmdprofile.xml";
  options.SettingsPath = (dir.path() + QStringLiteral("/none.ini")).toStdString();
  return std::make_unique<TfmMain>(nullptr, options);
}

}  // namespace quillon::test
