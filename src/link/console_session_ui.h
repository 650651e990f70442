// The session policy of the command-line front end: nobody is there to answer, so a transfer
// failure is not retried, a missing device gets one open attempt, command-mode entry gives up
// after a fixed number of tries, and messages go to stderr.
#pragma once

#include <cstdio>

#include "link/session_ui.h"

namespace quillon {

class TConsoleSessionUi : public ISessionUi {
 public:
  explicit TConsoleSessionUi(int entryTries = 10, std::FILE* messages = stderr)
      : entryTries_(entryTries < 1 ? 1 : entryTries), messages_(messages) {}

  bool AskRetry(const std::string&) override { return false; }
  bool RunReconnectWindow(const std::function<bool()>& tryOpen) override { return tryOpen(); }
  bool RunEntryWindow(const std::function<bool()>& oneTry) override;
  // Printed as UTF-8.
  void ShowMessage(const std::string& text) override;
  void LinkStateChanged(const std::string&, const std::string&, bool, bool) override {}

  int EntryTries() const { return entryTries_; }

 private:
  int entryTries_;
  std::FILE* messages_;
};

}  // namespace quillon
