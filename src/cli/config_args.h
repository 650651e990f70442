// Arguments of store, leave, config save, config load and config diff, parsed without printing:
// each parser returns an error message (UTF-8), empty when the arguments are good.
#pragma once

#include <string>
#include <vector>

#include "cli/engine_cli.h"

namespace quillon::cli {

// store and leave: the engine options only.
struct TSessionArgs {
  TEngineOptions Engine;
};

struct TConfigSaveArgs {
  TEngineOptions Engine;
  std::string File;
  bool Force = false;  // an existing file may be replaced
};

struct TConfigLoadArgs {
  TEngineOptions Engine;
  std::string File;
  bool NoStore = false;         // do not store into flash even when every write was verified
  bool AcceptDefaults = false;  // values the loader replaced by their defaults may be written
  bool AllowDefaults = false;   // parameters that cannot be read back may get the profile's value
};

// config diff A B, or config diff --port PORT FILE (A is then the terminal, B the file).
struct TConfigDiffArgs {
  TEngineOptions Engine;
  std::string A, B;
  bool Terminal = false;  // --port given: A is read from the terminal
};

std::string ParseSessionArgs(const std::vector<std::string>& args, TSessionArgs& out);
std::string ParseConfigSaveArgs(const std::vector<std::string>& args, TConfigSaveArgs& out);
std::string ParseConfigLoadArgs(const std::vector<std::string>& args, TConfigLoadArgs& out);
std::string ParseConfigDiffArgs(const std::vector<std::string>& args, TConfigDiffArgs& out);

}  // namespace quillon::cli
