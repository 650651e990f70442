// The frame of quillon-cli around its subcommands: the top-level help, --version, and the
// usage of every subcommand on --help. Subcommands parse their own arguments in functions that
// return an error instead of printing (so they can be table-tested in process) and call
// UsageError with it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_commands.h"

namespace quillon::cli {

struct TSubCommand {
  const char* Name;
  int (*Run)(const Args& args);  // the arguments after the name; returns the exit code
  const char* Summary;           // one line of the top-level help
  // Everything `quillon-cli NAME --help` prints before the common notes: the synopsis on the
  // first line ("usage: quillon-cli NAME ..."), what the command does, each option, and the
  // fields of its JSON output. nullptr: the command answers --help itself (a command with
  // subcommands of its own, such as config).
  std::string (*Usage)();
  // Left out of the top-level help: a subcommand the program runs itself (a worker process).
  bool Hidden = false;
};

// Instance and parameter numbering, and the address form of a parameter.
extern const char kNumberingHelp[];
// The exit codes every subcommand shares.
extern const char kExitCodesHelp[];

// "quillon-cli VERSION".
std::string VersionText();
// What `quillon-cli --help` prints: every command with its summary, the numbering and the
// exit codes.
std::string TopLevelHelp(const std::vector<TSubCommand>& commands);
// What `quillon-cli NAME --help` prints.
std::string SubCommandHelp(const TSubCommand& command);
// True when --help or -h is among the arguments.
bool AsksForHelp(const Args& args);

// Runs the command line (the arguments after the program name): help, version, or the
// subcommand. Help and version go to out, usage errors to err.
int RunCommandLine(const std::vector<TSubCommand>& commands, const Args& args, std::FILE* out,
                   std::FILE* err);

// "quillon-cli NAME: ERROR", the synopsis and where to find the whole usage, on stderr;
// returns the usage exit code 2.
int UsageError(const char* command, const std::string& error, const std::string& usage);

}  // namespace quillon::cli
