// Arguments of quillon-cli provision, parsed without printing, and the ports they name.
#pragma once

#include <string>
#include <vector>

#include "cli/engine_cli.h"
#include "link/serial_port_list.h"

namespace quillon::cli {

struct TProvisionArgs {
  TEngineOptions Engine;              // the link's port is not used: ports come from below
  std::string Template;               // --config
  std::vector<std::string> Patterns;  // --ports: paths and shell-style globs
  bool AllPorts = false;              // USB adapters only
  std::string Units;                  // --units UNITS.csv
  std::string Report;                 // --report REPORT.csv
  std::string Snapshots = "snapshots";
  bool NoStore = false;
  bool AllowDefaults = false;
  bool Watch = false;
  int Jobs = 0;  // 0: every port at once
};

// Returns the error text, empty when the arguments are good.
std::string ParseProvisionArgs(const std::vector<std::string>& args, TProvisionArgs& out);

// The ports to provision now, sorted and without repeats: what the patterns match (a pattern
// without glob characters is taken as it is) and, with --all-ports, the USB adapters listed.
std::vector<std::string> ProvisionPorts(const TProvisionArgs& args,
                                        const std::vector<TSerialPortInfo>& listed);

}  // namespace quillon::cli
