#include "ledger/ledger.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "ledger/ledger_hash.h"
#include "ledger/ledger_place.h"
#include "ledger/ledger_schema.h"
#include "ledger/private_files.h"

namespace quillon {

namespace {

// Events kept in memory while the file cannot take them; beyond that the oldest go.
constexpr size_t kMaxPending = 100000;

// A prepared statement that finalizes itself.
class TStatement {
 public:
  TStatement(sqlite3* db, const char* sql) {
    rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
  }
  ~TStatement() { sqlite3_finalize(stmt_); }
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;

  bool Ok() const { return rc_ == SQLITE_OK; }
  int Code() const { return rc_; }
  sqlite3_stmt* get() const { return stmt_; }

  void Bind(int index, const std::optional<std::string>& text) {
    if (text)
      sqlite3_bind_text(stmt_, index, text->data(), static_cast<int>(text->size()),
                        SQLITE_TRANSIENT);
    else
      sqlite3_bind_null(stmt_, index);
  }
  void Bind(int index, int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
  int Step() { return rc_ = sqlite3_step(stmt_); }

  std::string Text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                : std::string();
  }
  std::optional<std::string> OptionalText(int column) const {
    if (sqlite3_column_type(stmt_, column) == SQLITE_NULL) return std::nullopt;
    return Text(column);
  }
  int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int rc_ = SQLITE_OK;
};

bool Exec(sqlite3* db, const char* sql, int& rc) {
  rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  return rc == SQLITE_OK;
}

// SQLite gives the journal files the database file's mode when it makes them, so a reader of a
// read-only ledger leaves them read-only; once the ledger may be written again, they must be
// too.
void RepairJournalModes(const std::string& path) {
  struct stat database {};
  if (::stat(path.c_str(), &database) != 0) return;
  for (const char* suffix : {"-wal", "-shm"}) {
    const std::string journal = path + suffix;
    struct stat info {};
    if (::stat(journal.c_str(), &info) == 0 && info.st_uid == ::geteuid() &&
        ::access(journal.c_str(), W_OK) != 0)
      ::chmod(journal.c_str(), database.st_mode & 0666);
  }
}

}  // namespace

TLedger::TLedger(std::string path, TLedgerOptions options)
    : path_(std::move(path)), options_(std::move(options)) {}

TLedger::~TLedger() {
  if (!pending_.empty()) Flush();
  Close();
}

void TLedger::Close() {
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
  if (state_ != lsRefused) state_ = lsClosed;
}

std::string TLedger::Problem(int rc) const {
  const std::string file = "the ledger " + path_;
  switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return file + " is locked by another program (waited " +
             std::to_string((options_.BusyTimeoutMs + 999) / 1000) + " s)";
    case SQLITE_READONLY:
      return file + " cannot be written: it is read-only";
    case SQLITE_FULL:
      return file + " cannot grow: the disk is full";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return file + " is damaged: " + (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
    default:
      return file + ": " + (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
  }
}

bool TLedger::OpenFile(bool create) {
  if (state_ == lsRefused) {
    warning_ = refusal_;
    return false;
  }
  if (db_ != nullptr && (state_ == lsWritable || !create)) return true;
  Close();  // read-only until now: the file may take writes since
  std::string error;
  if (create) {
    if (!MakePrivateFolders(FolderOfPath(path_), error) || !CreatePrivateFile(path_, error)) {
      warning_ = "cannot create the ledger " + error;
      return false;
    }
    // Not opened at all when it cannot be written: a read-only connection would leave its
    // journal files behind read-only too, and they would refuse writes after the file is
    // writable again.
    if (::access(path_.c_str(), W_OK) != 0) {
      warning_ = "the ledger " + path_ + " cannot be written: " + std::strerror(errno);
      return false;
    }
    RepairJournalModes(path_);
  } else if (::access(path_.c_str(), F_OK) != 0) {
    warning_ = "there is no ledger at " + path_;
    return false;
  }
  // Without write permission SQLite opens the file read-only; that is told apart below.
  int rc = sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK) {
    warning_ =
        "cannot open the ledger " + path_ + ": " + (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
    Close();
    return false;
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, options_.BusyTimeoutMs);
  const bool writable = sqlite3_db_readonly(db_, "main") == 0;
  const TSchemaOutcome schema = PrepareSchema(db_, LedgerSchemaSteps(), writable);
  const int known = static_cast<int>(LedgerSchemaSteps().size());
  switch (schema.Result) {
    case srReady:
      break;
    case srNewer:
      Close();
      state_ = lsRefused;
      warning_ = refusal_ = "the ledger " + path_ + " was written by a newer Quillon (layout " +
                            std::to_string(schema.FileVersion) + ", this one knows " +
                            std::to_string(known) +
                            "): it is left as it is and nothing is recorded in it";
      return false;
    case srNotALedger:
      Close();
      state_ = lsRefused;
      warning_ = refusal_ =
          path_ + " is not a Quillon ledger: it is left as it is and nothing is recorded in it";
      return false;
    case srFailed:
      warning_ = schema.SqliteCode != 0 ? Problem(schema.SqliteCode) : schema.Error;
      Close();
      return false;
  }
  if (writable) {
    // WAL lets readers go on while one program appends. FULL makes each append last through a
    // power cut, at the price of a wait for the disk per transaction: a head copied into a
    // report must never outlive its event. A file system without shared memory keeps the
    // rollback journal, which is slower but as safe.
    sqlite3_exec(db_, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
  }
  state_ = writable ? lsWritable : lsReadOnly;
  const std::string network = NetworkFileSystemName(path_);
  notice_ = network.empty() ? std::string()
                            : "the ledger " + path_ + " lies on a network file system (" + network +
                                  "), where its locking cannot be trusted: keep it on a local disk";
  if (create && !writable) {
    warning_ = Problem(SQLITE_READONLY);
    return false;
  }
  warning_.clear();
  return true;
}

bool TLedger::Open() {
  return OpenFile(true);
}

bool TLedger::Append(TLedgerEvent event) {
  std::vector<TLedgerEvent> events;
  events.push_back(std::move(event));
  return Append(std::move(events));
}

bool TLedger::Append(std::vector<TLedgerEvent> events) {
  for (TLedgerEvent& event : events) {
    if (pending_.size() >= kMaxPending) {
      pending_.erase(pending_.begin());
      ++lost_;
    }
    pending_.push_back(std::move(event));
  }
  return Flush();
}

bool TLedger::Flush() {
  if (pending_.empty()) return true;
  bool appended = false;
  try {
    appended = OpenFile(true) && AppendPending();
  } catch (const std::exception& e) {
    if (db_ != nullptr) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    warning_ = "cannot write the ledger " + path_ + ": " + e.what();
  } catch (...) {
    if (db_ != nullptr) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    warning_ = "cannot write the ledger " + path_;
  }
  if (appended) return true;
  if (state_ == lsRefused) {
    warning_ += "; " + std::to_string(pending_.size()) + " event" +
                (pending_.size() == 1 ? " is" : "s are") + " not recorded";
  } else {
    warning_ += "; " + std::to_string(pending_.size()) + " event" +
                (pending_.size() == 1 ? " is" : "s are") + " kept in memory until it can take them";
  }
  if (lost_ > 0) warning_ += " (" + std::to_string(lost_) + " older ones were dropped)";
  return false;
}

bool TLedger::AppendPending() {
  int rc = SQLITE_OK;
  if (!Exec(db_, "BEGIN IMMEDIATE", rc)) {
    warning_ = Problem(rc);
    return false;
  }
  auto fail = [&](int code) {
    warning_ = Problem(code);
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
  };
  int64_t seq = 0;
  std::string hash = kGenesisHash;
  {
    TStatement last(db_, "SELECT seq, hash FROM events ORDER BY seq DESC LIMIT 1");
    if (!last.Ok()) return fail(last.Code());
    const int step = last.Step();
    if (step == SQLITE_ROW) {
      seq = last.Int(0);
      // After a damaged newest row the chain is broken anyway; verification names that row.
      unsigned char bytes[32];
      if (BytesFromHex(last.Text(1), bytes, sizeof bytes)) hash = last.Text(1);
    } else if (step != SQLITE_DONE) {
      return fail(step);
    }
  }
  TStatement insert(db_,
                    "INSERT INTO events (seq, time, imei, kind, body, hash) "
                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
  if (!insert.Ok()) return fail(insert.Code());
  for (const TLedgerEvent& event : pending_) {
    ++seq;
    const std::string body = CanonicalEventJson(seq, event);
    hash = *ChainHash(hash, body);
    sqlite3_reset(insert.get());
    insert.Bind(1, seq);
    insert.Bind(2, event.Time);
    insert.Bind(3, event.Imei);
    insert.Bind(4, std::string(LedgerKindName(event.Kind)));
    insert.Bind(5, body);
    insert.Bind(6, hash);
    if (insert.Step() != SQLITE_DONE) return fail(insert.Code());
  }
  if (options_.InsideAppend) options_.InsideAppend();
  if (!Exec(db_, "COMMIT", rc)) return fail(rc);
  pending_.clear();
  lost_ = 0;
  warning_.clear();
  return true;
}

bool TLedger::Scan(int64_t from, const std::function<bool(const TStoredEvent&)>& visit) {
  TStatement rows(db_,
                  "SELECT seq, time, imei, kind, body, hash FROM events WHERE seq >= ?1 "
                  "ORDER BY seq");
  if (!rows.Ok()) return false;
  rows.Bind(1, from);
  TStoredEvent stored;
  int rc = SQLITE_OK;
  while ((rc = rows.Step()) == SQLITE_ROW) {
    stored.Row = rows.Int(0);
    stored.Time = rows.Text(1);
    stored.Imei = rows.OptionalText(2);
    stored.Kind = rows.Text(3);
    stored.Body = rows.Text(4);
    stored.Hash = rows.Text(5);
    if (!visit(stored)) return true;
  }
  return rc == SQLITE_DONE;
}

std::optional<std::string> TLedger::Head() {
  if (!OpenFile(false)) return std::nullopt;
  TStatement last(db_, "SELECT hash FROM events ORDER BY seq DESC LIMIT 1");
  const int rc = last.Ok() ? last.Step() : last.Code();
  if (rc == SQLITE_ROW) return last.Text(0);
  if (rc == SQLITE_DONE) return std::string(kGenesisHash);
  warning_ = Problem(rc);
  return std::nullopt;
}

TChainReport TLedger::CheckHead(const std::string& head) {
  TChainReport report;
  if (!OpenFile(false)) {
    report.Error = warning_;
    return report;
  }
  // One read transaction: every scan of the check sees the same events while others append.
  sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
  report = CheckChain(
      [this](int64_t from, const std::function<bool(const TStoredEvent&)>& visit) {
        return Scan(from, visit);
      },
      head);
  sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  if (!report.Error.empty()) report.Error = "the ledger " + path_ + ": " + sqlite3_errmsg(db_);
  warning_ = report.Error;
  return report;
}

TChainReport TLedger::Verify() {
  return CheckHead(std::string());
}

std::optional<std::vector<TLedgerRecord>> TLedger::Query(
    const std::string& sql, const std::vector<std::optional<std::string>>& values) {
  if (!OpenFile(false)) return std::nullopt;
  TStatement rows(db_, sql.c_str());
  if (!rows.Ok()) {
    warning_ = Problem(rows.Code());
    return std::nullopt;
  }
  for (size_t i = 0; i < values.size(); ++i) rows.Bind(static_cast<int>(i + 1), values[i]);
  std::vector<TLedgerRecord> records;
  size_t unreadable = 0;
  int rc = SQLITE_OK;
  while ((rc = rows.Step()) == SQLITE_ROW) {
    std::optional<TLedgerRecord> record = EventFromCanonicalJson(rows.Text(0));
    if (!record) {
      ++unreadable;
      continue;
    }
    record->Hash = rows.Text(1);
    records.push_back(std::move(*record));
  }
  if (rc != SQLITE_DONE) {
    warning_ = Problem(rc);
    return std::nullopt;
  }
  warning_ = unreadable == 0 ? std::string()
                             : "the ledger " + path_ + " holds " + std::to_string(unreadable) +
                                   " unreadable record" + (unreadable == 1 ? "" : "s") +
                                   ", left out: verify it";
  return records;
}

std::optional<std::vector<TLedgerRecord>> TLedger::Events(const TLedgerFilter& filter) {
  return Query(
      "SELECT body, hash FROM events WHERE (?1 IS NULL OR imei = ?1) AND (?2 IS NULL OR time >= "
      "?2) "
      "ORDER BY seq",
      {filter.Imei, filter.Since});
}

std::optional<std::vector<TLedgerRecord>> TLedger::Timeline(const std::string& imei) {
  return Query("SELECT body, hash FROM events WHERE imei = ?1 ORDER BY time, seq", {imei});
}

}  // namespace quillon
