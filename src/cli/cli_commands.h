// Subcommands of quillon-cli. Each takes the arguments after its own name and returns the
// process exit code; its usage function gives what `quillon-cli NAME --help` prints (see
// command_line.h).
#pragma once

#include <string>
#include <vector>

namespace quillon::cli {

using Args = std::vector<std::string>;

int Profile(const Args& args);  // quillon-cli profile [--json] [FILE]
std::string ProfileUsage();
int XmlScan(const Args& args);  // quillon-cli xml-scan FILE
std::string XmlScanUsage();
int Settings(const Args& args);  // quillon-cli settings [--json] [--ini FILE]
std::string SettingsUsage();
int Paths(const Args& args);  // quillon-cli paths [--json]
std::string PathsUsage();
int Ports(const Args& args);    // quillon-cli ports [--json]
int Connect(const Args& args);  // quillon-cli connect --port PORT ...
std::string ConnectUsage();
int Send(const Args& args);  // quillon-cli send --port PORT ... TEXT
std::string SendUsage();
int Poll(const Args& args);  // quillon-cli poll --port PORT ...
std::string PollUsage();
int Apply(const Args& args);  // quillon-cli apply --port PORT --command NAME ...
std::string ApplyUsage();
int Store(const Args& args);  // quillon-cli store --port PORT
std::string StoreUsage();
int Leave(const Args& args);  // quillon-cli leave --port PORT
std::string LeaveUsage();
// quillon-cli config SUBCOMMAND: answers --help itself, for each of its subcommands.
int Config(const Args& args);
int ConfigSave(const Args& args);  // quillon-cli config save --port PORT FILE [--force]
std::string ConfigSaveUsage();
int ConfigLoad(const Args& args);  // quillon-cli config load --port PORT FILE ...
std::string ConfigLoadUsage();
int ConfigShow(const Args& args);  // quillon-cli config show FILE [--json] [--profile FILE]
std::string ConfigShowUsage();
int ConfigDiff(const Args& args);  // quillon-cli config diff A B | --port PORT FILE [--json]
std::string ConfigDiffUsage();
// quillon-cli restore --port PORT FILE: config load under the name a line worker looks for.
std::string RestoreUsage();
// quillon-cli provision-unit --port PORT --config FILE ...: the worker of provision.
int ProvisionUnit(const Args& args);
std::string ProvisionUnitUsage();
int Snapshots(const Args& args);  // quillon-cli snapshots [DIR] [--imei IMEI] [--json]
// quillon-cli provision --config TEMPLATE --ports P1,... | --all-ports ...: many terminals at once.
int Provision(const Args& args);
std::string ProvisionUsage();
int Status(const Args& args);  // quillon-cli status --port PORT [--json] ...
std::string StatusUsage();

}  // namespace quillon::cli
