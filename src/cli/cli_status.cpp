// quillon-cli status: enters command mode, starts the status reports, prints every report it
// recognises as it arrives, and always asks the terminal to stop them before it exits (a count
// or a time reached, SIGINT, SIGTERM, SIGHUP, or stdout closed by its reader). A terminal that
// vanishes mid-stream gives exit 5.
#include "cli/cli_status.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <ctime>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/json_text.h"
#include "cli/stop_signals.h"
#include "link/password_masker.h"
#include "profile/command_profile.h"
#include "profile/cp1251.h"
#include "profile/text_utils.h"
#include "status/status_exchange.h"

namespace quillon::cli {

namespace {

// The decimal separator of the operator's locale (LC_NUMERIC from the environment); the
// program's own number output stays in the C locale.
std::string LocaleDecimalSeparator() {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  std::string separator = ".";
  if (std::setlocale(LC_NUMERIC, "") != nullptr) {
    const std::lconv* conv = std::localeconv();
    if (conv != nullptr && conv->decimal_point != nullptr && *conv->decimal_point != '\0')
      separator = Utf8ToCp1251(conv->decimal_point);
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
  return separator.empty() ? "." : separator;
}

std::string UtcNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(ms));
  return text;
}

bool ParsePositive(const std::string& option, const std::string& value, double& number,
                   std::string& error) {
  if (!ParsePointDecimal(value, number) || number <= 0) {
    error = "invalid value for " + option + ": '" + value + "'";
    return false;
  }
  return true;
}

// One recognised report as a JSON line or as captions and values; every text masked.
class TReportPrinter {
 public:
  TReportPrinter(bool json, const TPasswordMasker& masker) : json_(json), masker_(masker) {}

  std::string Format(const std::string& line, const std::vector<TStatusUpdate>& updates) const {
    return json_ ? Json(line, updates) : Text(line, updates);
  }

 private:
  std::string Json(const std::string& line, const std::vector<TStatusUpdate>& updates) const {
    const std::vector<std::string> items = SplitCsv(line);
    std::string out = "{\"time\": \"" + UtcNow() +
                      "\", \"kind\": " + JsonString(masker_.Mask(StatusReportKind(line))) +
                      ", \"items\": [";
    for (size_t i = 1; i < items.size(); ++i)
      out += (i > 1 ? ", " : "") + JsonString(masker_.Mask(items[i]));
    std::string fields, checks, overflow;
    for (const TStatusUpdate& u : updates) {
      if (u.Kind == TStatusUpdateKind::Text)
        fields += (fields.empty() ? "" : ", ") + JsonString(u.Field) + ": " +
                  JsonString(masker_.Mask(u.Text));
      if (u.Kind == TStatusUpdateKind::Check)
        checks += (checks.empty() ? "" : ", ") + JsonString(u.Field) + ": " + JsonBool(u.Value);
      if (u.Kind == TStatusUpdateKind::Overflow)
        overflow = ", \"lMemoryOverflow\": " + std::string(JsonBool(u.Value));
    }
    return out + "], \"fields\": {" + fields + "}, \"checks\": {" + checks + "}" + overflow + "}\n";
  }

  std::string Text(const std::string& line, const std::vector<TStatusUpdate>& updates) const {
    std::string out = UtcNow() + " " + Cp1251ToUtf8(masker_.Mask(StatusReportKind(line))) + "\n";
    for (const TStatusUpdate& u : updates) {
      if (u.Kind == TStatusUpdateKind::SignalBar) continue;
      const std::string value =
          u.Kind == TStatusUpdateKind::Text ? masker_.Mask(u.Text) : (u.Value ? "yes" : "no");
      out += "  " + Cp1251ToUtf8(StatusFieldCaption(u.Field)) + ": " + Cp1251ToUtf8(value) + "\n";
    }
    return out;
  }

  bool json_;
  const TPasswordMasker& masker_;
};

// False when the reader of stdout went away (EPIPE) or stdout failed otherwise.
bool Print(const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) return false;
  return std::fflush(stdout) == 0;
}

enum class TStopReason { Done, Signal, OutputClosed, HangUp };

}  // namespace

std::string StatusUsage() {
  return std::string(
             "usage: quillon-cli status [--port PORT] [--json] [--count N | --seconds S] "
             "[options]\n"
             "\n"
             "Enters command mode, starts the terminal's status reports, prints each report it\n"
             "recognises as it arrives, and asks the terminal to stop them before it exits.\n"
             "  --json                 one JSON object per line per report\n"
             "  --count N              stop after N recognised reports\n"
             "  --seconds S            stop after S seconds\n"
             "  --master-password TEXT administrator password (taken before --password)\n"
             "Without --count and --seconds it runs until SIGINT, SIGTERM or SIGHUP.\n"
             "Text output: the kind, then the field captions and values.\n"
             "JSON fields: time (ISO-8601 UTC), kind (DPRM, TREP, SREP, SFPT, SNAV, SGSM),\n"
             "  items (the report's raw fields 1..n), fields (field name: the text the status\n"
             "  window shows), checks (check box name: ticked), lMemoryOverflow (SFPT only).\n"
             "Packets that are not reports show only with --verbose, on stderr.\n"
             "options:\n") +
         TConsoleLinkOptions::Help() +
         "It exits 0 once stopped (count, time, signal or stdout closed) and 5 when the\n"
         "terminal vanishes mid-stream.\n";
}

std::string ParseStatusArgs(const Args& args, TStatusArgs& out) {
  out = TStatusArgs();
  std::vector<std::string> rest;
  std::string error;
  if (!out.Link.Parse(args, rest, error)) return error;
  for (size_t i = 0; i < rest.size(); ++i) {
    const std::string& a = rest[i];
    if (a == "--json") {
      out.Json = true;
      continue;
    }
    if (a != "--count" && a != "--seconds" && a != "--master-password")
      return "unexpected argument '" + a + "'";
    if (i + 1 >= rest.size()) return "missing value after " + a;
    const std::string& v = rest[++i];
    if (a == "--master-password") {
      out.MasterPassword = Utf8ToCp1251(v);
    } else if (a == "--count") {
      int32_t n = 0;
      if (!ParseInt32(v, n) || n < 1) return "invalid value for --count: '" + v + "'";
      out.Count = n;
    } else {
      double seconds = 0;
      if (!ParsePositive(a, v, seconds, error)) return error;
      out.Seconds = seconds;
    }
  }
  if (out.Count && out.Seconds) return "--count and --seconds exclude each other";
  return {};
}

int Status(const Args& args) {
  TStatusArgs arguments;
  const std::string error = ParseStatusArgs(args, arguments);
  if (!error.empty()) return UsageError("status", error, StatusUsage());

  CommandProfile noProfile;  // only EnabledPages would need it
  TConsoleLink link(LoadConsoleSettings(noProfile), arguments.Link);
  if (arguments.Link.Password) link.Settings.Password = *arguments.Link.Password;
  if (arguments.MasterPassword) link.Settings.MasterPassword = *arguments.MasterPassword;
  if (arguments.Link.Password || arguments.MasterPassword)
    link.Settings.EffectivePassword = link.Settings.MasterPassword.empty()
                                          ? link.Settings.Password
                                          : link.Settings.MasterPassword;
  const int ready = link.Connect();
  if (ready != ceOk) return ready;

  const TPasswordMasker masker = PasswordMaskerFor(link.Settings);
  const TReportPrinter printer(arguments.Json, masker);
  const TStatusTexts texts;
  const TGeneralNumberFormatter formatter(LocaleDecimalSeparator());
  TStatusExchange exchange(link.Session, texts, formatter);

  int reports = 0;
  bool outputClosed = false;
  exchange.OnReport = [&](const std::string& line, const std::vector<TStatusUpdate>& updates) {
    if (updates.empty()) {
      if (arguments.Link.Verbose && !line.empty())
        std::fprintf(stderr, "quillon-cli status: not a report: %s\n",
                     Cp1251ToUtf8(masker.Mask(line)).c_str());
      return;
    }
    if (outputClosed || (arguments.Count && reports >= *arguments.Count)) return;
    ++reports;
    if (!Print(printer.Format(line, updates))) outputClosed = true;
  };

  TStopSignals signals;
  exchange.Start();

  using Clock = std::chrono::steady_clock;
  const auto deadline = arguments.Seconds
                            ? Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(*arguments.Seconds))
                            : Clock::time_point::max();
  TStopReason reason = TStopReason::Done;
  for (;;) {
    if (TStopSignals::Received() != 0) {
      reason = TStopReason::Signal;
      break;
    }
    if (outputClosed) {
      reason = TStopReason::OutputClosed;
      break;
    }
    if (arguments.Count && reports >= *arguments.Count) break;
    const auto now = Clock::now();
    if (now >= deadline) break;
    if (!link.Session.IsPortOpen()) {
      reason = TStopReason::HangUp;
      break;
    }
    int waitMs = 250;
    if (deadline != Clock::time_point::max())
      waitMs = static_cast<int>(std::min<int64_t>(
          waitMs,
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1));
    pollfd p{link.Port.ReadinessHandle(), POLLIN, 0};
    if (::poll(&p, 1, waitMs) > 0) link.Session.DispatchPortEvents();
  }

  if (reason == TStopReason::HangUp) {
    link.ReportFailure("status: the terminal vanished");
    return ceTransferError;
  }
  exchange.Stop();
  if (!link.Session.IsPortOpen()) {
    link.ReportFailure("status: the stop request failed");
    return ceTransferError;
  }
  return ceOk;
}

}  // namespace quillon::cli
