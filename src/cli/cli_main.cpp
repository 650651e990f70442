// quillon-cli: the command-line front end for profile authors, operators and fleet scripts.
#include <cstdio>

#include "cli/cli_commands.h"
#include "cli/cli_ports.h"
#include "cli/cli_snapshots.h"
#include "cli/command_line.h"
#include "settings/program_paths.h"

namespace {

using quillon::cli::TSubCommand;
namespace cli = quillon::cli;

// A new subcommand adds one line here: name, run function, a one-line summary for the top-level
// help, and its usage function.
const std::vector<TSubCommand> kCommands = {
    {"profile", cli::Profile, "show the command profile as the program loads it",
     cli::ProfileUsage},
    {"xml-scan", cli::XmlScan, "list every part the XML reader delivers from a file",
     cli::XmlScanUsage},
    {"settings", cli::Settings, "show the program settings as the program reads them",
     cli::SettingsUsage},
    {"paths", cli::Paths, "show where the settings, profile and language files are",
     cli::PathsUsage},
    {"ports", cli::Ports, "list the serial ports present",
     [] { return std::string(cli::kPortsUsage); }},
    {"connect", cli::Connect, "open the port and put the terminal into command mode",
     cli::ConnectUsage},
    {"send", cli::Send, "send one request as typed and print the raw answer", cli::SendUsage},
    {"poll", cli::Poll, "read settings from the terminal (every page, a page or a command)",
     cli::PollUsage},
    {"apply", cli::Apply, "write one command's parameters to the terminal", cli::ApplyUsage},
    {"store", cli::Store, "store the terminal's settings into flash", cli::StoreUsage},
    {"leave", cli::Leave, "leave command mode, so that the terminal goes back to work",
     cli::LeaveUsage},
    {"config", cli::Config,
     "back up the terminal's settings into a configuration file and restore them", nullptr},
    {"restore", cli::ConfigLoad, "write a snapshot or configuration file back, verified",
     cli::RestoreUsage},
    {"provision", cli::Provision, "provision many terminals at once from a template",
     cli::ProvisionUsage},
    {"snapshots", cli::Snapshots, "list the snapshots provisioning took, by IMEI",
     [] { return std::string(cli::kSnapshotsUsage); }},
    {"status", cli::Status, "show the terminal's live status reports", cli::StatusUsage},
    {"provision-unit", cli::ProvisionUnit, "provision one terminal for provision",
     cli::ProvisionUnitUsage, true},
};

}  // namespace

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argc > 0 ? argv[0] : nullptr);
  const cli::Args args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return cli::RunCommandLine(kCommands, args, stdout, stderr);
}
