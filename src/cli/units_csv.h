// UNITS.csv of provisioning: one row per terminal, found by its IMEI, with the values it gets
// over the template. UTF-8, RFC 4180, a header row: "IMEI" and parameter addresses (NAME[P],
// NAME#K[P]). The whole file is checked against the profile before any port is opened.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "profile/command_profile.h"

namespace quillon::cli {

// One value a unit's row gives: where it goes and the text to send (Windows-1251).
struct TUnitValue {
  int Page = 0;
  int Command = 0;
  int Instance = 0;  // from 0
  int Param = 0;
  std::string Value;
};

struct TUnitsTable {
  std::map<std::string, std::vector<TUnitValue>> Rows;  // by IMEI; empty cells left out
};

// Splits RFC 4180 text into records of fields: quoted fields may hold commas, doubled quotes
// and line breaks; CRLF or LF ends a record; a blank last line is no record. Returns the
// error text, empty when the text is well formed.
std::string SplitCsvRecords(const std::string& text, std::vector<std::vector<std::string>>& out);

// Reads and checks the whole file's bytes; returns the error text (UTF-8, naming the line and
// column), empty when every row may be sent.
std::string ReadUnitsCsv(const CommandProfile& profile, const std::string& bytes,
                         TUnitsTable& table);

}  // namespace quillon::cli
