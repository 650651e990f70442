// The ledger file's layout and its version. The version is SQLite's user_version: the number of
// steps of the layout applied. A file with fewer is brought up to date step by step, each in
// the same transaction as its new version; a file with more was written by a newer program and
// is refused, untouched. The application_id marks the file as a ledger, so that a ledger
// option pointed at some other SQLite database never changes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

namespace quillon {

constexpr int32_t kLedgerApplicationId = 0x51554C44;  // "QULD"

// The steps of the ledger's layout, oldest first: step i brings version i to i + 1.
const std::vector<std::string>& LedgerSchemaSteps();

enum TSchemaResult {
  srReady,       // the file has the layout of the last step
  srNewer,       // written by a newer program: refused
  srNotALedger,  // another SQLite database, or not one at all: refused
  srFailed,      // could not be read or brought up to date (busy, read-only, disk full...)
};

struct TSchemaOutcome {
  TSchemaResult Result = srFailed;
  int FileVersion = 0;  // the version found in the file
  int SqliteCode = 0;   // with srFailed, SQLite's result code
  std::string Error;    // with srFailed, SQLite's message
};

// Checks the open database and brings it to steps.size(). writable: whether the connection may
// write (a read-only one only reports srFailed when steps are missing).
TSchemaOutcome PrepareSchema(sqlite3* db, const std::vector<std::string>& steps, bool writable);

}  // namespace quillon
