// quillon-cli provision-unit: the worker `provision` starts once per port. It provisions one
// terminal (command mode, identity, snapshot, template and its row written and verified, store,
// leave) and reports to its parent in JSON lines on stdout, reading "go" or "skip" on stdin
// once the terminal is identified. Not listed in the top-level help.
#pragma once

#include <string>
#include <vector>

#include "cli/engine_cli.h"

namespace quillon::cli {

struct TProvisionUnitArgs {
  TEngineOptions Engine;  // its port is the one to provision
  std::string Template;   // --config
  std::string Units;      // --units UNITS.csv, empty: the template alone
  std::string Snapshots = "snapshots";
  bool NoStore = false;
  bool AllowDefaults = false;
};

// Returns the error text, empty when the arguments are good.
std::string ParseProvisionUnitArgs(const std::vector<std::string>& args, TProvisionUnitArgs& out);

}  // namespace quillon::cli
