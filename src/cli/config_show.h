// quillon-cli config show: what loading a configuration file would put into each field, and
// every message the loader would log, without a terminal.
#pragma once

#include <string>
#include <vector>

#include "configfiles/config_file.h"
#include "editor/headless_editor.h"
#include "profile/command_profile.h"

namespace quillon::cli {

struct TConfigShowArgs {
  std::string File;
  std::string ProfileFile;  // empty: cmdprofile.xml beside the program
  bool Json = false;
};

// An error message (UTF-8) for bad arguments, empty when they are good.
std::string ParseConfigShowArgs(const std::vector<std::string>& args, TConfigShowArgs& out);

// What a load left in the scratch editor: each command the file named, in profile order, with
// each instance it named. messages holds the loader's lines (Windows-1251).
struct TConfigShowReport {
  std::string File;
  const CommandProfile* Profile = nullptr;
  const THeadlessEditor* Editor = nullptr;
  TLoadResult Loaded;
  std::vector<std::string> Messages;
};

// Loads the file into a fresh headless editor of the profile and gathers the report. A file
// that is not a whole zlib stream adds its error text to the messages.
TConfigShowReport ShowConfiguration(const CommandProfile& profile, THeadlessEditor& editor,
                                    const std::string& file);

// The report as printed: text for people, or JSON by D2. Both UTF-8.
std::string ConfigShowText(const TConfigShowReport& report);
std::string ConfigShowJson(const TConfigShowReport& report);

}  // namespace quillon::cli
