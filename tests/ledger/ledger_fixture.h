// Helpers of the ledger tests: events told apart by their note, and raw SQL on a ledger file,
// the way someone with the file in hand (or another program) would touch it.
#pragma once

#include <sqlite3.h>

#include <string>

#include "ledger/ledger.h"
#include "ledger/ledger_event.h"

namespace quillon::test {

inline TLedgerEvent Note(const std::string& text,
                         const std::optional<std::string>& imei = std::string("356938035643809"),
                         const std::string& time = "2026-03-01T08:00:00.000Z") {
  TLedgerEvent e;
  e.Time = time;
  e.Imei = imei;
  e.Port = "/dev/ttyUSB0";
  e.Station = "station-1";
  e.Operator = "anna";
  e.Version = "0.1.0";
  e.Kind = lkNote;
  e.Details = {{"text", text}};
  return e;
}

// Options with a short busy time-out, for tests that hold the file locked.
inline TLedgerOptions WaitingOnly(int milliseconds) {
  TLedgerOptions options;
  options.BusyTimeoutMs = milliseconds;
  return options;
}

// A connection of its own to the file, as another program would have.
class TRawDb {
 public:
  explicit TRawDb(const std::string& path) { sqlite3_open(path.c_str(), &db_); }
  ~TRawDb() { sqlite3_close_v2(db_); }
  TRawDb(const TRawDb&) = delete;
  TRawDb& operator=(const TRawDb&) = delete;

  // Runs the statements; "" when they went well, else SQLite's message.
  std::string Exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return "";
    std::string text = message ? message : "error";
    sqlite3_free(message);
    return text;
  }
  // The first column of the first row, as text ("" when there is none).
  std::string Value(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr)
      value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return value;
  }
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace quillon::test
