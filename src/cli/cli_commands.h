// Sub-commands of quillon-cli. Each takes the arguments after its own name and returns the
// process exit code.
#pragma once

#include <string>
#include <vector>

namespace quillon::cli {

using Args = std::vector<std::string>;

int Profile(const Args& args);   // quillon-cli profile [--json] [FILE]
int XmlScan(const Args& args);   // quillon-cli xml-scan FILE
int Settings(const Args& args);  // quillon-cli settings [--json] [--ini FILE]
int Ports(const Args& args);     // quillon-cli ports [--json]
int Connect(const Args& args);   // quillon-cli connect --port PORT ...
int Send(const Args& args);      // quillon-cli send --port PORT ... TEXT
int Poll(const Args& args);      // quillon-cli poll --port PORT ...
int Apply(const Args& args);     // quillon-cli apply --port PORT --command NAME ...

}  // namespace quillon::cli
