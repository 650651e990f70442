#include "link/console_link.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "link/port_address.h"
#include "profile/command_profile.h"
#include "profile/cp1251.h"
#include "profile/text_utils.h"
#include "settings/ini_file.h"

namespace quillon {

namespace {

bool ParseNumber(const std::string& name, const std::string& text, int32_t& value,
                 std::string& error) {
  if (ParseInt32(text, value)) return true;
  error = "invalid value for " + name + ": '" + text + "'";
  return false;
}

// The last line of the protocol log without its prefix: the reason of a failure.
std::string LastLogMessage(const TLogModel& log) {
  if (log.Lines().empty()) return {};
  std::string text = log.Lines().back().Text;
  const size_t prefix = text.rfind("E<", 0) == 0 || text.rfind("E>", 0) == 0 ? 2 : 1;
  return Cp1251ToUtf8(text.substr(std::min(prefix, text.size())));
}

}  // namespace

const char* TConsoleLinkOptions::Help() {
  return "  --port PORT            serial port: device path, ttyUSB0 or COMn, or on the network\n"
         "                         tcp://HOST:PORT or rfc2217://HOST:PORT; default: COM setting\n"
         "  --speed BAUD           line rate (any integer)\n"
         "  --timeout MS           answer time-out\n"
         "  --timeout-interval MS  pause that ends an answer\n"
         "  --timeout-echo MS      time-out of the echo\n"
         "  --password TEXT        user password (default: the settings file)\n"
         "  --connect-tries N      command-mode entry tries before giving up (default 10)\n"
         "  --verbose              protocol log on stderr\n"
         "  --fast                 end answers at the terminal's prompt, not by time-out\n";
}

bool TConsoleLinkOptions::Parse(const std::vector<std::string>& args,
                                std::vector<std::string>& rest, std::string& error) {
  rest.clear();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--verbose") {
      Verbose = true;
      continue;
    }
    if (a == "--fast") {
      Fast = true;
      continue;
    }
    const bool takesValue = a == "--port" || a == "--speed" || a == "--timeout" ||
                            a == "--timeout-interval" || a == "--timeout-echo" ||
                            a == "--password" || a == "--connect-tries";
    if (!takesValue) {
      rest.push_back(a);
      continue;
    }
    if (i + 1 >= args.size()) {
      error = "missing value after " + a;
      return false;
    }
    const std::string& v = args[++i];
    int32_t n = 0;
    if (a == "--port") {
      TPortAddress address;
      std::string why;
      if (!ParsePortAddress(v, address, why)) {
        error = "bad port address '" + v + "': " + Cp1251ToUtf8(why);
        return false;
      }
      Port = v;
    } else if (a == "--password") {
      Password = Utf8ToCp1251(v);
    } else {
      if (!ParseNumber(a, v, n, error)) return false;
      if (a == "--speed") Speed = n;
      if (a == "--timeout") Timeout = n;
      if (a == "--timeout-interval") TimeoutInterval = n;
      if (a == "--timeout-echo") TimeoutEcho = n;
      if (a == "--connect-tries") {
        if (n < 1) {
          error = "--connect-tries needs at least 1";
          return false;
        }
        ConnectTries = n;
      }
    }
  }
  return true;
}

void TConsoleLinkOptions::ApplyTo(TSettings& settings) const {
  if (!Port.empty()) settings.COM = Port;
  if (Speed) settings.Speed = *Speed;
  if (Timeout) settings.Timeout = *Timeout;
  if (TimeoutInterval) settings.TimeoutInterval = *TimeoutInterval;
  if (TimeoutEcho) settings.TimeoutEcho = *TimeoutEcho;
  if (Password) settings.EffectivePassword = *Password;
}

TSettings LoadConsoleSettings(const CommandProfile& profile) {
  TSettings settings;
  LoadConsoleSettings(profile, settings);
  return settings;
}

bool LoadConsoleSettings(const CommandProfile& profile, TSettings& settings) {
  bool trueCustomer = false;
  std::unique_ptr<TIniFile> ini = OpenSettingsFile();
  LoadSettings(*ini, profile, settings, trueCustomer);
  const TFileReadResult& read = ini->ReadResult();
  if (read.Status != TFileReadStatus::Refused) return true;
  std::fprintf(stderr, "quillon-cli: refused settings file '%s': %s\n", ini->FileName().c_str(),
               read.Reason.c_str());
  return false;
}

TConsoleLink::TConsoleLink(const TSettings& settings, const TConsoleLinkOptions& options)
    : Settings(settings),
      Log(Settings),
      Ui(options.ConnectTries),
      Session(Port, Log, Settings, Ui, Progress) {
  verbose_ = options.Verbose;
  Session.SetFastAnswer(options.Fast);
  options.ApplyTo(Settings);
  Port.ApplyPortSettings(Settings);
  if (options.Verbose)
    Log.SetListener([](const std::vector<TLogLine>& appended, size_t) {
      for (const TLogLine& line : appended)
        std::fprintf(stderr, "%s\n", Cp1251ToUtf8(line.Text).c_str());
    });
}

void TConsoleLink::ReportFailure(const std::string& what) const {
  // With --verbose the reason is already on stderr as a log line.
  const std::string reason = verbose_ ? std::string() : LastLogMessage(Log);
  std::fprintf(stderr, "quillon-cli: %s%s%s\n", what.c_str(), reason.empty() ? "" : ": ",
               reason.c_str());
}

int TConsoleLink::OpenOnly() {
  if (Session.OpenPort()) return ceOk;
  ReportFailure("cannot open port " + Cp1251ToUtf8(Port.Port()));
  return cePortNotOpened;
}

int TConsoleLink::Connect() {
  if (Session.EnsureSession()) return ceOk;
  if (!Session.IsPortOpen()) {
    ReportFailure("cannot open port " + Cp1251ToUtf8(Port.Port()));
    return cePortNotOpened;
  }
  if (Session.LastAnswerCut()) {
    // It never fell quiet: the answer was cut, so nothing can be said about command mode.
    ReportFailure("answer incomplete (cut at the size or time bound)");
    return ceIncomplete;
  }
  std::fprintf(stderr, "quillon-cli: the terminal did not enter command mode after %d tries\n",
               Ui.EntryTries());
  return ceNoCommandMode;
}

}  // namespace quillon
