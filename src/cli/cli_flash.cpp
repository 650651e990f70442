// quillon-cli store and leave: the main window's "Сохранить настройки в энергонезависимой
// памяти" and "Выйти из командного режима" for scripts.
#include <cstdio>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/config_args.h"
#include "cli/engine_cli.h"

namespace quillon::cli {

namespace {

std::string SessionUsage(const char* command, const char* what, const char* done) {
  return std::string("usage: quillon-cli ") + command +
         " [--port PORT] [options]\n"
         "\n" +
         what + "\nPrints \"" + done +
         "\" when the terminal confirmed it.\n"
         "\n"
         "options:\n" +
         TConsoleLinkOptions::Help() + kEngineHelp;
}

int RunSessionCommand(const char* command, const Args& args, std::string (*usage)()) {
  TSessionArgs parsed;
  const std::string error = ParseSessionArgs(args, parsed);
  if (!error.empty()) return UsageError(command, error, usage());
  const bool store = std::string(command) == "store";
  CommandProfile profile;
  TSettings settings;
  if (!LoadProfileAndSettings(command, parsed.Engine, profile, settings)) return ceFailure;
  TEngineCli cli(profile, settings, parsed.Engine);
  if (!cli.SessionCommandPassword(store ? "+SAVE" : "+TEXT", command)) return ceFailure;
  const int connected = cli.Connect();
  if (connected != ceOk) return connected;
  const int code = store ? cli.StoreIntoFlash() : cli.LeaveCommandMode();
  if (code == ceOk) std::printf("%s\n", store ? "stored into flash" : "left command mode");
  return code;
}

}  // namespace

std::string StoreUsage() {
  return SessionUsage("store",
                      "Enters command mode and tells the terminal to store its settings into\n"
                      "flash (the profile's +SAVE), as the main window's menu item does; a\n"
                      "refusal, NOT SUPPORTED, no answer or an error the terminal names (such as\n"
                      "ERROR,FLASH) give their exit codes.",
                      "stored into flash");
}

std::string LeaveUsage() {
  return SessionUsage("leave",
                      "Enters command mode and leaves it again (the profile's +TEXT), as the main\n"
                      "window's menu item does, so that the terminal goes back to work.",
                      "left command mode");
}

int Store(const Args& args) {
  return RunSessionCommand("store", args, StoreUsage);
}

int Leave(const Args& args) {
  return RunSessionCommand("leave", args, LeaveUsage);
}

}  // namespace quillon::cli
