// quillon-cli: the command-line front end for profile authors, operators and fleet scripts.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "settings/program_paths.h"

namespace {

struct SubCommand {
  const char* name;
  int (*run)(const quillon::cli::Args&);
  const char* usage;
};

const SubCommand kCommands[] = {
    {"profile", quillon::cli::Profile, "profile [--json] [FILE]"},
    {"xml-scan", quillon::cli::XmlScan, "xml-scan FILE"},
    {"settings", quillon::cli::Settings, "settings [--json] [--ini FILE]"},
    {"ports", quillon::cli::Ports, "ports [--json]"},
    {"connect", quillon::cli::Connect, "connect --port PORT [options]"},
    {"send", quillon::cli::Send,
     "send --port PORT [--no-connect] [--no-wait] [--no-cr] [options] TEXT"},
    {"poll", quillon::cli::Poll, "poll --port PORT [--page ID | --command NAME] [--json]"},
    {"apply", quillon::cli::Apply,
     "apply --port PORT --command NAME [--instance K] --set INDEX=VALUE ..."},
};

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: quillon-cli COMMAND [ARGS]\n\ncommands:\n");
  for (const auto& c : kCommands) std::fprintf(out, "  %s\n", c.usage);
}

}  // namespace

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  quillon::cli::Args args(argv + 2, argv + argc);
  for (const auto& c : kCommands)
    if (std::strcmp(argv[1], c.name) == 0) return c.run(args);
  std::fprintf(stderr, "quillon-cli: unknown command '%s'\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
