#include "link/console_session_ui.h"

#include "profile/cp1251.h"

namespace quillon {

bool TConsoleSessionUi::RunEntryWindow(const std::function<bool()>& oneTry) {
  for (int i = 0; i < entryTries_; ++i)
    if (oneTry()) return true;
  return false;
}

void TConsoleSessionUi::ShowMessage(const std::string& text) {
  std::fprintf(messages_, "%s\n", Cp1251ToUtf8(text).c_str());
}

}  // namespace quillon
