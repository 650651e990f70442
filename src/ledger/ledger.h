// The station's ledger: one SQLite file in which every act of the program on a terminal is an
// event, chained by hashes so that an edit shows. Several programs may append at once (WAL, a
// write lock taken at the start of each append, a busy time-out); a program killed in the
// middle of an append leaves the file as it was before that append.
//
// Recording never stands in the way of the work on the terminal: nothing here throws. When the
// file cannot take an event (locked for longer than the time-out, read-only, disk full, not
// there), the event is kept in memory and goes in with the next append or Flush, in order, and
// Warning() says what happened. A file written by a newer program, or one that is not a
// ledger, is refused for the whole run.
//
// One object is used by one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ledger/ledger_chain.h"
#include "ledger/ledger_event.h"

struct sqlite3;

namespace quillon {

struct TLedgerOptions {
  int BusyTimeoutMs = 10000;  // how long an append waits for another program's append
  // Runs inside each append's transaction, just before it commits. Tests stop the process
  // there.
  std::function<void()> InsideAppend;
};

// Which events a query returns; an empty field does not filter.
struct TLedgerFilter {
  std::optional<std::string> Imei;
  std::optional<std::string> Since;  // events at or after this UTC time (SinceTime)
};

enum TLedgerState {
  lsClosed,    // not opened yet, or it could not be opened: the next use tries again
  lsWritable,  // open for appending
  lsReadOnly,  // open, but the file or its folder cannot be written
  lsRefused,   // newer layout or not a ledger: left alone for the rest of the run
};

class TLedger {
 public:
  explicit TLedger(std::string path, TLedgerOptions options = {});
  ~TLedger();
  TLedger(const TLedger&) = delete;
  TLedger& operator=(const TLedger&) = delete;

  const std::string& Path() const { return path_; }
  TLedgerState State() const { return state_; }

  // The last problem, UTF-8, e.g. "the ledger /x/ledger.sqlite is locked by another program
  // (waited 10 s); 3 events are kept in memory until it can take them"; empty when the last
  // call went well.
  const std::string& Warning() const { return warning_; }
  // What holds for the file even while it works, said once opened: that it lies on a network
  // file system, where SQLite's locking cannot be trusted. Empty otherwise.
  const std::string& Notice() const { return notice_; }

  // Opens the file for appending, creating it (mode 0600, new folders 0700) with its layout.
  // False with Warning() when it cannot be written now.
  bool Open();

  // Appends the event after any kept ones; false, with the event kept, when the file cannot
  // take it now.
  bool Append(TLedgerEvent event);
  // The same for several events in one transaction: one wait for the disk instead of one each
  // (e.g. a command's write and its verification).
  bool Append(std::vector<TLedgerEvent> events);
  // Appends the kept events; true when none are left.
  bool Flush();
  size_t Pending() const { return pending_.size(); }

  // The following read an existing file and never create one; on failure they say why in
  // Warning() (and Error of a report).

  // The hash of the newest event (kGenesisHash for an empty ledger): what REPORT.csv rows and
  // acceptance records carry to prove later that the ledger still holds them.
  std::optional<std::string> Head();
  // Recomputes the whole chain.
  TChainReport Verify();
  // Whether head is the hash of an event that the chain still reaches unbroken from the first.
  TChainReport CheckHead(const std::string& head);

  // Events by their number, oldest first.
  std::optional<std::vector<TLedgerRecord>> Events(const TLedgerFilter& filter);
  // One unit's events by time, oldest first (by number among events of the same time).
  std::optional<std::vector<TLedgerRecord>> Timeline(const std::string& imei);

 private:
  bool OpenFile(bool create);
  bool AppendPending();
  void KeepWarning(const std::string& problem);
  bool Scan(int64_t from, const std::function<bool(const TStoredEvent&)>& visit);
  std::optional<std::vector<TLedgerRecord>> Query(
      const std::string& sql, const std::vector<std::optional<std::string>>& values);
  std::string Problem(int sqliteCode) const;
  void Close();

  std::string path_;
  TLedgerOptions options_;
  sqlite3* db_ = nullptr;
  TLedgerState state_ = lsClosed;
  std::vector<TLedgerEvent> pending_;
  std::string warning_;
  std::string refusal_;  // why the file is refused, once it is
  std::string notice_;
  size_t lost_ = 0;  // events dropped because too many were kept
};

}  // namespace quillon
