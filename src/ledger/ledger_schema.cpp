#include "ledger/ledger_schema.h"

#include <sqlite3.h>

namespace quillon {

namespace {

// The file's application id, layout version and number of schema objects, read in one
// statement so that another program's commit cannot fall between them.
bool ReadHeader(sqlite3* db, int64_t (&values)[3], TSchemaOutcome& outcome) {
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(db,
                              "SELECT (SELECT application_id FROM pragma_application_id),"
                              " (SELECT user_version FROM pragma_user_version),"
                              " (SELECT count(*) FROM sqlite_schema)",
                              -1, &statement, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(statement);
  if (rc == SQLITE_ROW)
    for (int i = 0; i < 3; ++i) values[i] = sqlite3_column_int64(statement, i);
  sqlite3_finalize(statement);
  if (rc == SQLITE_ROW) return true;
  outcome.SqliteCode = rc;
  outcome.Error = sqlite3_errmsg(db);
  return false;
}

bool Execute(sqlite3* db, const std::string& sql, TSchemaOutcome& outcome) {
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) return true;
  outcome.SqliteCode = rc;
  outcome.Error = sqlite3_errmsg(db);
  return false;
}

TSchemaOutcome Failed(TSchemaOutcome outcome) {
  outcome.Result = (outcome.SqliteCode & 0xFF) == SQLITE_NOTADB ? srNotALedger : srFailed;
  return outcome;
}

// Reads the version and judges the file: srReady needs steps to be applied or none.
bool Judge(sqlite3* db, size_t steps, TSchemaOutcome& outcome) {
  int64_t header[3] = {};
  if (!ReadHeader(db, header, outcome)) return false;
  const auto [application, version, objects] = header;
  outcome.FileVersion = static_cast<int>(version);
  const bool empty = application == 0 && version == 0 && objects == 0;
  if (!empty && application != kLedgerApplicationId)
    outcome.Result = srNotALedger;
  else if (version > static_cast<int64_t>(steps))
    outcome.Result = srNewer;
  else
    outcome.Result = srReady;
  return true;
}

}  // namespace

const std::vector<std::string>& LedgerSchemaSteps() {
  // seq is the stored order and the event's number; the record in body is what the chain
  // hashes. time, imei and kind repeat fields of the record for the queries' indexes.
  static const std::vector<std::string> steps = {
      "CREATE TABLE events ("
      " seq INTEGER PRIMARY KEY,"
      " time TEXT NOT NULL,"
      " imei TEXT,"
      " kind TEXT NOT NULL,"
      " body TEXT NOT NULL,"
      " hash TEXT NOT NULL);"
      "CREATE INDEX events_by_imei ON events (imei, time);"
      "CREATE INDEX events_by_time ON events (time);",
  };
  return steps;
}

TSchemaOutcome PrepareSchema(sqlite3* db, const std::vector<std::string>& steps, bool writable) {
  TSchemaOutcome outcome;
  if (!Judge(db, steps.size(), outcome)) return Failed(outcome);
  if (outcome.Result != srReady || outcome.FileVersion == static_cast<int>(steps.size()))
    return outcome;
  if (!writable) {
    outcome.Result = srFailed;
    outcome.SqliteCode = SQLITE_READONLY;
    outcome.Error = "the file is read-only and its layout is not up to date";
    return outcome;
  }
  if (!Execute(db, "BEGIN IMMEDIATE", outcome)) return Failed(outcome);
  // Another program may have brought it up to date while this one waited for the lock.
  bool done = Judge(db, steps.size(), outcome);
  for (size_t step = outcome.FileVersion; done && outcome.Result == srReady && step < steps.size();
       ++step)
    done = Execute(db, steps[step], outcome);
  if (done && outcome.Result == srReady)
    done = Execute(db,
                   "PRAGMA application_id = " + std::to_string(kLedgerApplicationId) +
                       "; PRAGMA user_version = " + std::to_string(steps.size()),
                   outcome) &&
           Execute(db, "COMMIT", outcome);
  if (!done || outcome.Result != srReady) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return done ? outcome : Failed(outcome);
  }
  return outcome;
}

}  // namespace quillon
