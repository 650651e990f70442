// quillon-cli status: the terminal's live status reports on the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "link/console_link.h"

namespace quillon::cli {

struct TStatusArgs {
  TConsoleLinkOptions Link;
  std::optional<std::string> MasterPassword;  // Windows-1251
  bool Json = false;
  std::optional<int> Count;       // recognised reports before stopping
  std::optional<double> Seconds;  // time before stopping
};

// Fills out from the arguments after "status"; the message of the first error (UTF-8, exit
// code 2), empty when they are all understood.
std::string ParseStatusArgs(const Args& args, TStatusArgs& out);

}  // namespace quillon::cli
