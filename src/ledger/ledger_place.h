// Where the ledger lives. Installed, it is the user's
// ${XDG_DATA_HOME:-~/.local/share}/Quillon/ledger.sqlite; run from a build or unpacked folder,
// ledger.sqlite beside the program (as the settings file). The command line's --ledger FILE
// and the setting Interface/Ledger choose another file; in either, "-" turns the ledger off and
// an empty value means the default place.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace quillon {

struct TProgramPaths;

struct TLedgerPlace {
  bool Off = false;
  std::string Path;  // empty when off
};

constexpr char kLedgerFileName[] = "ledger.sqlite";

// option: the value of --ledger when it was given (a path as the command line gives it);
// setting: Interface/Ledger as the settings record holds it (Windows-1251). The option wins. A
// relative option is taken as given (from the working folder); a relative setting, or one
// starting with "~/", from the settings folder or the home folder. The path is UTF-8.
TLedgerPlace ResolveLedgerPlace(const TProgramPaths& paths,
                                const std::function<const char*(const char*)>& getEnv,
                                const std::optional<std::string>& option,
                                const std::string& setting);

// The name of the network file system that holds path ("NFS", "SMB", ...), where SQLite's
// locking cannot be trusted; empty for a local one or when it cannot be told. A path that does
// not exist yet is judged by its nearest existing folder.
std::string NetworkFileSystemName(const std::string& path);
// The same for a file system type number as statfs reports it.
std::string NetworkFileSystemName(unsigned long type);

}  // namespace quillon
