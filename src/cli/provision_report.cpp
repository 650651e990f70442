#include "cli/provision_report.h"

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quillon::cli {

const char kReportHeader[] =
    "port,imei,model,firmware,result,written,verified,differing,failed,seconds,first_error";

namespace {

int Count(const TJsonValue& done, const char* key) {
  const double n = done.Num(key);
  return n > 0 && n < 1e9 ? static_cast<int>(n) : 0;
}

bool Reported(const TUnitOutcome& o) {
  return o.Result != "skipped";
}

// Width of UTF-8 text in characters, for the table's columns.
size_t Columns(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

TUnitOutcome OutcomeFromDone(const std::string& port, const TJsonValue& done) {
  TUnitOutcome o;
  o.Port = port;
  o.Result = done.Text("result");
  if (o.Result != "passed" && o.Result != "skipped") o.Result = "failed";
  o.Imei = done.Text("imei");
  o.Model = done.Text("model");
  o.Firmware = done.Text("firmware");
  o.Written = Count(done, "written");
  o.Verified = Count(done, "verified");
  o.Differing = Count(done, "differing");
  o.Failed = Count(done, "failed");
  const double seconds = done.Num("seconds");
  o.Seconds = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
  o.FirstError = done.Text("first_error");
  if (o.Result == "failed" && o.FirstError.empty()) o.FirstError = "failed without a reason";
  o.Snapshot = done.Text("snapshot");
  o.Stored = done.Flag("stored");
  return o;
}

std::string UnexpectedEnd(int waitStatus) {
  std::string how;
  if (WIFSIGNALED(waitStatus))
    how = "signal " + std::to_string(WTERMSIG(waitStatus));
  else
    how = "exit " + std::to_string(WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1);
  return "worker ended unexpectedly (" + how + ")";
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

std::string ReportCsv(const std::vector<TUnitOutcome>& outcomes) {
  std::string csv = std::string(kReportHeader) + "\r\n";
  for (const TUnitOutcome& o : outcomes) {
    if (!Reported(o)) continue;
    const std::vector<std::string> fields = {o.Port,
                                             o.Imei,
                                             o.Model,
                                             o.Firmware,
                                             o.Result,
                                             std::to_string(o.Written),
                                             std::to_string(o.Verified),
                                             std::to_string(o.Differing),
                                             std::to_string(o.Failed),
                                             SecondsText(o.Seconds),
                                             o.FirstError};
    for (size_t i = 0; i < fields.size(); ++i) csv += (i ? "," : "") + CsvField(fields[i]);
    csv += "\r\n";
  }
  return csv;
}

std::string SummaryTable(const std::vector<TUnitOutcome>& outcomes) {
  std::vector<std::vector<std::string>> rows = {{"port", "imei", "result", "written", "verified",
                                                 "differing", "failed", "seconds", "first error"}};
  int passed = 0, failed = 0, skipped = 0;
  for (const TUnitOutcome& o : outcomes) {
    if (!Reported(o)) {
      ++skipped;
      continue;
    }
    (o.Result == "passed" ? passed : failed)++;
    std::string error = o.FirstError;
    std::replace_if(
        error.begin(), error.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    rows.push_back({o.Port, o.Imei.empty() ? "-" : o.Imei, o.Result, std::to_string(o.Written),
                    std::to_string(o.Verified), std::to_string(o.Differing),
                    std::to_string(o.Failed), SecondsText(o.Seconds), error});
  }
  std::vector<size_t> widths(rows[0].size(), 0);
  for (const auto& row : rows)
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Columns(row[c]));
  std::string table;
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line += std::string(widths[c] - Columns(row[c]) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    table += line + "\n";
  }
  table += std::to_string(passed + failed) + (passed + failed == 1 ? " unit: " : " units: ") +
           std::to_string(passed) + " passed, " + std::to_string(failed) + " failed";
  if (skipped)
    table += ", " + std::to_string(skipped) + " skipped (IMEI already provisioned in this run)";
  return table + "\n";
}

}  // namespace quillon::cli
