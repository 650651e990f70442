// The arguments of quillon-cli's subcommands, parsed and checked without printing: each parser
// returns an error message (UTF-8), empty when the arguments are good, so that the rules can be
// table-tested in process. The subcommand prints the error with UsageError.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/engine_cli.h"
#include "link/console_link.h"
#include "profile/command_profile.h"

namespace quillon {
class TMaskMatcher;
}

namespace quillon::cli {

struct TProfileArgs {
  bool Json = false;
  std::string File;  // empty: the program's profile
};
std::string ParseProfileArgs(const Args& args, TProfileArgs& out);

struct TXmlScanArgs {
  std::string File;
};
std::string ParseXmlScanArgs(const Args& args, TXmlScanArgs& out);

struct TSettingsArgs {
  bool Json = false;
  std::string Ini;  // empty: the program's settings file
};
std::string ParseSettingsArgs(const Args& args, TSettingsArgs& out);

struct TConnectArgs {
  TConsoleLinkOptions Link;
};
std::string ParseConnectArgs(const Args& args, TConnectArgs& out);

struct TSendArgs {
  TConsoleLinkOptions Link;
  bool NoConnect = false;
  bool NoWait = false;
  bool NoCr = false;
  std::string Text;  // UTF-8, as the shell hands it
};
std::string ParseSendArgs(const Args& args, TSendArgs& out);

struct TPollArgs {
  TEngineOptions Engine;
  std::string PageId;       // Windows-1251; empty: every page
  std::string CommandName;  // Windows-1251; empty: the pages
};
std::string ParsePollArgs(const Args& args, TPollArgs& out);

struct TApplyArgs {
  TEngineOptions Engine;
  std::string CommandName;                                // Windows-1251
  int Instance = 0;                                       // from 1; 0: not given
  std::vector<std::pair<std::string, std::string>> Sets;  // index text, UTF-8 value
  std::vector<std::string> Unsets;
  bool PollFirst = false;      // --poll-first: the default for a command that can be read
  bool NoPollFirst = false;    // --no-poll-first: parameters not given get the profile's value
  bool Store = false;          // store into flash once the write is verified
  bool AllowDefaults = false;  // parameters that cannot be read back may get the editor's value
  bool Yes = false;            // --yes: the answer to the question of a "confirm" command
};
std::string ParseApplyArgs(const Args& args, TApplyArgs& out);

// ---- value checks against the profile ----

// Checks one value given on the command line as the editor's fields would take it; value is
// the text to send (Windows-1251). A mask of the profile that is no regular expression checks
// nothing; the first time masks meets it, warning (UTF-8) says so.
std::string CheckValue(const TCmdParameter& param, const std::string& utf8, std::string& value,
                       TMaskMatcher* masks = nullptr, std::string* warning = nullptr);

// The instance to write, from 0, for the --instance given (from 1, 0 when not given).
std::string ResolveInstance(const TDevCommand& cmd, int given, int& instance);

// A parameter value prepared for the editor.
struct TPreparedValue {
  int Index = 0;
  bool Untick = false;
  std::string Value;    // Windows-1251
  std::string Warning;  // UTF-8: what the check could not do (a broken mask), for stderr
};
// Every --set and --unset of an apply checked against the command.
std::string PrepareValues(const TDevCommand& cmd, const TApplyArgs& request,
                          std::vector<TPreparedValue>& prepared);

}  // namespace quillon::cli
