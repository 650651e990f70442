// The ledger's events as they leave the program: JSON (the keys of the stored record plus its
// "hash") and CSV, for the unit's history and the ledger's export.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "ledger/ledger_event.h"

namespace quillon {

// {"seq", "time", "imei", "port", "station", "operator", "version", "kind", "details", "hash"}.
nlohmann::json RecordJson(const TLedgerRecord& record);

// JSON text in the spacing of the program's other outputs: ", " and ": " between items, keys
// sorted, UTF-8.
std::string JsonText(const nlohmann::json& value);

// The whole document {"events": [...]}, one event per line, ended by a line break.
std::string RecordsJson(const std::vector<TLedgerRecord>& records);

// CSV (RFC 4180, CRLF): a header line, then one line per event; details as JSON.
std::string RecordsCsv(const std::vector<TLedgerRecord>& records);

// The UTC time from which an export starts, from a date "YYYY-MM-DD" (its midnight, UTC) or a
// time "YYYY-MM-DDTHH:MM[:SS]" with an optional "Z", in the form events carry; nothing when the
// text is neither or names no real day.
std::optional<std::string> SinceTime(const std::string& text);

}  // namespace quillon
