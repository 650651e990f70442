// What provisioning tells about each terminal once its worker has ended: the row of REPORT.csv
// and of the summary table on stdout.
#pragma once

#include <string>
#include <vector>

#include "cli/json_value.h"

namespace quillon::cli {

struct TUnitOutcome {
  std::string Port;
  std::string Imei, Model, Firmware;  // "" when unknown
  std::string Result = "failed";      // passed, failed or skipped
  int Written = 0, Verified = 0, Differing = 0, Failed = 0;
  double Seconds = 0;
  std::string FirstError;
  std::string Snapshot;
  bool Stored = false;
};

// The outcome a worker's "done" line gives (strings as it wrote them, UTF-8).
TUnitOutcome OutcomeFromDone(const std::string& port, const TJsonValue& done);

// The text of a worker that ended without its "done" line: "worker ended unexpectedly (exit N)"
// or "(signal N)", from a wait status.
std::string UnexpectedEnd(int waitStatus);

extern const char kReportHeader[];

// One field as RFC 4180 wants it: quoted when it holds a comma, a quote or a line break, with
// quotes doubled.
std::string CsvField(const std::string& text);

// REPORT.csv: the header and one row per unit that was provisioned (skipped units have none),
// lines ended by CRLF.
std::string ReportCsv(const std::vector<TUnitOutcome>& outcomes);

// The table printed at the end: one row per unit with its counts and first error, then a line
// with the totals.
std::string SummaryTable(const std::vector<TUnitOutcome>& outcomes);

// Seconds as the report shows them: one decimal.
std::string SecondsText(double seconds);

}  // namespace quillon::cli
