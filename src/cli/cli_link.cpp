// quillon-cli connect and send: a command-line session with the terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "link/console_link.h"
#include "profile/command_profile.h"
#include "profile/cp1251.h"

namespace quillon::cli {

namespace {

void PrintLinkUsage(const char* command) {
  if (std::string(command) == "send")
    std::fprintf(stderr,
                 "usage: quillon-cli send --port PORT [--no-connect] [--no-wait] [--no-cr] "
                 "[options] TEXT\n"
                 "  --no-connect           do not enter command mode first\n"
                 "  --no-wait              write the request and return without reading\n"
                 "  --no-cr                do not end the request with CR\n");
  else
    std::fprintf(stderr, "usage: quillon-cli connect --port PORT [options]\n");
  std::fprintf(stderr, "options:\n%s", TConsoleLinkOptions::Help());
}

// Common options; false (with the usage printed) when they do not parse.
bool ParseOptions(const char* command, const Args& args, TConsoleLinkOptions& options,
                  std::vector<std::string>& rest) {
  std::string error;
  if (options.Parse(args, rest, error)) return true;
  std::fprintf(stderr, "quillon-cli %s: %s\n", command, error.c_str());
  PrintLinkUsage(command);
  return false;
}

TSettings ProgramSettingsForCli() {
  CommandProfile noProfile;  // only EnabledPages would need it
  return LoadConsoleSettings(noProfile);
}

}  // namespace

int Connect(const Args& args) {
  TConsoleLinkOptions options;
  std::vector<std::string> rest;
  if (!ParseOptions("connect", args, options, rest)) return ceUsage;
  if (!rest.empty()) {
    std::fprintf(stderr, "quillon-cli connect: unexpected argument '%s'\n", rest[0].c_str());
    PrintLinkUsage("connect");
    return ceUsage;
  }
  TConsoleLink link(ProgramSettingsForCli(), options);
  const int code = link.Connect();
  if (code == ceOk) std::printf("command mode on %s\n", Cp1251ToUtf8(link.Port.Port()).c_str());
  return code;
}

int Send(const Args& args) {
  TConsoleLinkOptions options;
  std::vector<std::string> rest;
  if (!ParseOptions("send", args, options, rest)) return ceUsage;
  bool noConnect = false, noWait = false, noCr = false;
  std::vector<std::string> texts;
  for (const std::string& a : rest) {
    if (a == "--no-connect")
      noConnect = true;
    else if (a == "--no-wait")
      noWait = true;
    else if (a == "--no-cr")
      noCr = true;
    else if (a.size() > 2 && a.rfind("--", 0) == 0) {
      std::fprintf(stderr, "quillon-cli send: unknown option '%s'\n", a.c_str());
      PrintLinkUsage("send");
      return ceUsage;
    } else {
      texts.push_back(a);
    }
  }
  if (texts.size() != 1) {
    std::fprintf(stderr, "quillon-cli send: exactly one TEXT expected\n");
    PrintLinkUsage("send");
    return ceUsage;
  }
  TConsoleLink link(ProgramSettingsForCli(), options);
  const int ready = noConnect ? link.OpenOnly() : link.Connect();
  if (ready != ceOk) return ready;

  bool error = false;
  std::string answer;
  // The shell hands UTF-8; bytes that are not UTF-8 go out as they are.
  std::string request = Utf8ToCp1251(texts[0]);
  if (request.empty()) request = texts[0];
  link.Session.ExecuteCommand(request, error, "", noWait, !noCr, true, -1, answer);
  std::fwrite(answer.data(), 1, answer.size(), stdout);
  std::fflush(stdout);
  if (error) {
    link.ReportFailure("transfer error");
    return ceTransferError;
  }
  return ceOk;
}

}  // namespace quillon::cli
