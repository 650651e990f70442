#include "cli/command_line.h"

#include <algorithm>

#include "link/console_link.h"

namespace quillon::cli {

const char kNumberingHelp[] =
    "Numbering: instances count from 1 (--instance K, \"#1\" in the editor), parameters from 0\n"
    "(--set INDEX=VALUE, a configuration file's index). A parameter is named NAME[P] for a\n"
    "command that is not indexed and NAME#K[P] for instance K of an indexed one, e.g.\n"
    "+SSRV#2[0].\n";

const char kExitCodesHelp[] =
    "Exit codes: 0 done, 1 failure (a file unreadable or invalid, a check failed), 2 usage,\n"
    "3 port not opened, 4 no command mode, 5 transfer error, 6 refused by the terminal,\n"
    "7 not supported by the terminal, 8 no answer, 9 written but read back different,\n"
    "10 answer incomplete (a table without its closing line, an answer cut at the size\n"
    "bound). Where several apply, the first command in profile order decides.\n";

namespace {

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

}  // namespace

std::string VersionText() {
  return std::string("quillon-cli ") + QUILLON_VERSION + "\n";
}

std::string TopLevelHelp(const std::vector<TSubCommand>& commands) {
  std::string text =
      "usage: quillon-cli COMMAND [ARGS]\n"
      "       quillon-cli COMMAND --help\n"
      "       quillon-cli --help | --version\n"
      "\n"
      "The command line of Quillon, the configurator of Veltra navigation terminals: for\n"
      "scripts and technicians, it shows the command profile and the settings, reads and\n"
      "writes the terminal's settings over a serial port, backs them up and restores them,\n"
      "and follows the terminal's status.\n"
      "\n"
      "Commands:\n";
  size_t width = 0;
  for (const TSubCommand& c : commands)
    if (!c.Hidden) width = std::max(width, std::string(c.Name).size());
  for (const TSubCommand& c : commands)
    if (!c.Hidden)
      text += "  " + std::string(c.Name) +
              std::string(width + 2 - std::string(c.Name).size(), ' ') + c.Summary + "\n";
  text +=
      "\n'quillon-cli COMMAND --help' shows the options of a command and the fields of its\n"
      "JSON output. Commands that talk to the terminal take --port PORT (a device path such\n"
      "as /dev/ttyUSB0); without it the port of the settings file is used.\n\n";
  return text + kNumberingHelp + "\n" + kExitCodesHelp;
}

std::string SubCommandHelp(const TSubCommand& command) {
  std::string text = command.Usage ? command.Usage() : std::string();
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text + "\n" + kNumberingHelp + "\n" + kExitCodesHelp;
}

bool AsksForHelp(const Args& args) {
  return std::any_of(args.begin(), args.end(),
                     [](const std::string& a) { return a == "--help" || a == "-h"; });
}

int RunCommandLine(const std::vector<TSubCommand>& commands, const Args& args, std::FILE* out,
                   std::FILE* err) {
  if (args.empty()) {
    std::fputs(TopLevelHelp(commands).c_str(), err);
    return ceUsage;
  }
  const std::string& name = args[0];
  if (name == "--help" || name == "-h" || name == "help") {
    std::fputs(TopLevelHelp(commands).c_str(), out);
    return ceOk;
  }
  if (name == "--version") {
    std::fputs(VersionText().c_str(), out);
    return ceOk;
  }
  const Args rest(args.begin() + 1, args.end());
  for (const TSubCommand& c : commands) {
    if (name != c.Name) continue;
    if (c.Usage != nullptr && AsksForHelp(rest)) {
      std::fputs(SubCommandHelp(c).c_str(), out);
      return ceOk;
    }
    return c.Run(rest);
  }
  std::fprintf(err, "quillon-cli: unknown command '%s'\n\n%s", name.c_str(),
               TopLevelHelp(commands).c_str());
  return ceUsage;
}

int UsageError(const char* command, const std::string& error, const std::string& usage) {
  std::fprintf(stderr, "quillon-cli %s: %s\n%s\n(quillon-cli %s --help shows every option)\n",
               command, error.c_str(), FirstLine(usage).c_str(), command);
  return ceUsage;
}

}  // namespace quillon::cli
