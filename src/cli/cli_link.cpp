// quillon-cli connect and send: a command-line session with the terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "link/console_link.h"
#include "link/password_masker.h"
#include "profile/command_profile.h"
#include "profile/cp1251.h"

namespace quillon::cli {

namespace {

// False (with the message on stderr) when the settings file was refused.
bool ProgramSettingsForCli(TSettings& settings) {
  CommandProfile noProfile;  // only EnabledPages would need it
  return LoadConsoleSettings(noProfile, settings);
}

}  // namespace

std::string ConnectUsage() {
  return std::string(
             "usage: quillon-cli connect [--port PORT] [options]\n"
             "\n"
             "Opens the port and puts the terminal into command mode, as the program does before\n"
             "its first request; prints \"command mode on PORT\".\n"
             "\n"
             "options:\n") +
         TConsoleLinkOptions::Help();
}

std::string SendUsage() {
  return std::string(
             "usage: quillon-cli send [--port PORT] [--no-connect] [--no-wait] [--no-cr] "
             "[options] TEXT\n"
             "\n"
             "Sends one request as typed (e.g. AT+SSRV=?) and prints the terminal's raw answer.\n"
             "\n"
             "  --no-connect           do not enter command mode first\n"
             "  --no-wait              write the request and return without reading\n"
             "  --no-cr                do not end the request with CR\n"
             "options:\n") +
         TConsoleLinkOptions::Help();
}

std::string ParseConnectArgs(const Args& args, TConnectArgs& out) {
  std::vector<std::string> rest;
  std::string error;
  if (!out.Link.Parse(args, rest, error)) return error;
  if (!rest.empty()) return "unexpected argument '" + rest[0] + "'";
  return {};
}

std::string ParseSendArgs(const Args& args, TSendArgs& out) {
  std::vector<std::string> rest;
  std::string error;
  if (!out.Link.Parse(args, rest, error)) return error;
  std::vector<std::string> texts;
  for (const std::string& a : rest) {
    if (a == "--no-connect")
      out.NoConnect = true;
    else if (a == "--no-wait")
      out.NoWait = true;
    else if (a == "--no-cr")
      out.NoCr = true;
    else if (a.size() > 2 && a.rfind("--", 0) == 0)
      return "unknown option '" + a + "'";
    else
      texts.push_back(a);
  }
  if (texts.size() != 1) return "exactly one TEXT expected";
  out.Text = texts[0];
  return {};
}

int Connect(const Args& args) {
  TConnectArgs parsed;
  const std::string error = ParseConnectArgs(args, parsed);
  if (!error.empty()) return UsageError("connect", error, ConnectUsage());
  TSettings settings;
  if (!ProgramSettingsForCli(settings)) return ceFailure;
  TConsoleLink link(settings, parsed.Link);
  const int code = link.Connect();
  if (code == ceOk) std::printf("command mode on %s\n", Cp1251ToUtf8(link.Port.Port()).c_str());
  return code;
}

int Send(const Args& args) {
  TSendArgs parsed;
  const std::string error = ParseSendArgs(args, parsed);
  if (!error.empty()) return UsageError("send", error, SendUsage());
  TSettings settings;
  if (!ProgramSettingsForCli(settings)) return ceFailure;
  TConsoleLink link(settings, parsed.Link);
  const int ready = parsed.NoConnect ? link.OpenOnly() : link.Connect();
  if (ready != ceOk) return ready;

  bool failed = false;
  std::string answer;
  // The shell hands UTF-8; bytes that are not UTF-8 go out as they are.
  std::string request = Utf8ToCp1251(parsed.Text);
  if (request.empty()) request = parsed.Text;
  link.Session.ExecuteCommand(request, failed, "", parsed.NoWait, !parsed.NoCr, true, -1, answer);
  // The answer is printed as it came, except for the passwords, like every output.
  const std::string shown = MaskPasswords(answer, link.Settings);
  std::fwrite(shown.data(), 1, shown.size(), stdout);
  std::fflush(stdout);
  if (failed) {
    link.ReportFailure("transfer error");
    return ceTransferError;
  }
  return ceOk;
}

}  // namespace quillon::cli
