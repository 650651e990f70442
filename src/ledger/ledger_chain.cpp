#include "ledger/ledger_chain.h"

#include <deque>
#include <limits>

#include "ledger/ledger_event.h"
#include "ledger/ledger_hash.h"

namespace quillon {

namespace {

// Accepted events kept for telling a forged insertion from a copied record: far enough back
// for any insertion a person would make by hand.
constexpr size_t kRecentEvents = 1024;

struct TAccepted {
  int64_t Seq = 0;
  int64_t Row = 0;
  std::string Hash;
};

bool ColumnsAgree(const TStoredEvent& stored, const TLedgerRecord& record) {
  return stored.Time == record.Event.Time && stored.Imei == record.Event.Imei &&
         stored.Kind == LedgerKindName(record.Event.Kind);
}

bool Continues(const std::string& previousHash, const TStoredEvent& stored) {
  return ChainHash(previousHash, stored.Body) == stored.Hash;
}

std::optional<int64_t> RecordSeq(const TStoredEvent& stored) {
  const std::optional<TLedgerRecord> record = EventFromCanonicalJson(stored.Body);
  return record ? std::optional<int64_t>(record->Seq) : std::nullopt;
}

std::string Event(int64_t seq) {
  return "event " + std::to_string(seq);
}

std::string RowText(int64_t row) {
  return " (row " + std::to_string(row) + ")";
}

class TChainCheck {
 public:
  TChainCheck(const TEventScan& scan, const std::string& head) : scan_(scan), head_(head) {
    report_.Head = kGenesisHash;
  }

  TChainReport Run() {
    if (head_ == kGenesisHash) {
      report_.HeadFound = true;
      return report_;
    }
    std::optional<TStoredEvent> broken;
    const bool read = scan_(std::numeric_limits<int64_t>::min(), [&](const TStoredEvent& stored) {
      const std::optional<TLedgerRecord> record = EventFromCanonicalJson(stored.Body);
      if (!record || record->Seq != report_.Events + 1 || !ColumnsAgree(stored, *record) ||
          !Continues(report_.Head, stored)) {
        broken = stored;
        return false;
      }
      Accept(record->Seq, stored);
      if (!head_.empty() && stored.Hash == head_) {
        report_.HeadFound = true;
        return false;
      }
      return true;
    });
    if (!read) {
      report_ = TChainReport();
      report_.Error = "the ledger's events cannot be read";
      return report_;
    }
    if (broken) Classify(*broken);
    return report_;
  }

 private:
  void Accept(int64_t seq, const TStoredEvent& stored) {
    report_.Events = seq;
    report_.Head = stored.Hash;
    recent_.push_back({seq, stored.Row, stored.Hash});
    if (recent_.size() > kRecentEvents) recent_.pop_front();
  }

  const TAccepted* Recent(int64_t seq) const {
    for (const TAccepted& accepted : recent_)
      if (accepted.Seq == seq) return &accepted;
    return nullptr;
  }

  // Whether a row after `after` holds event seq; with chained, only if it continues the chain
  // from the last accepted event.
  bool FoundLater(int64_t after, int64_t seq, bool chained) const {
    bool found = false;
    scan_(after + 1, [&](const TStoredEvent& stored) {
      found = RecordSeq(stored) == seq && (!chained || Continues(report_.Head, stored));
      return !found;
    });
    return found;
  }

  void Break(TBreakKind kind, int64_t event, int64_t row, std::string text) {
    report_.Break = TChainBreak{kind, event, row, std::move(text)};
  }

  void Classify(const TStoredEvent& stored) {
    const std::optional<TLedgerRecord> record = EventFromCanonicalJson(stored.Body);
    const int64_t expected = report_.Events + 1;
    const std::string after =
        report_.Events == 0 ? std::string("at the start") : "after " + Event(report_.Events);
    if (FoundLater(stored.Row, expected, true)) {
      if (record && record->Seq > expected)
        return Break(bkReordered, record->Seq, stored.Row,
                     Event(record->Seq) + " stands before " + Event(expected) +
                         ": events were reordered" + RowText(stored.Row));
      return Break(bkInserted, record ? record->Seq : 0, stored.Row,
                   "row " + std::to_string(stored.Row) +
                       " holds an event that is not in the chain, inserted " + after);
    }
    if (!record)
      return Break(bkChanged, expected, stored.Row,
                   Event(expected) + " was changed: its record is not a readable event" +
                       RowText(stored.Row));
    const int64_t seq = record->Seq;
    if (seq == expected) {
      const bool hashed = Continues(report_.Head, stored);
      return Break(bkChanged, expected, stored.Row,
                   Event(expected) + " was changed: " +
                       (hashed ? "its stored time, IMEI or kind differs from its record"
                               : "its record does not give its stored hash") +
                       RowText(stored.Row));
    }
    if (seq > expected) {
      if (FoundLater(stored.Row, expected, false))
        return Break(bkReordered, seq, stored.Row,
                     Event(seq) + " stands before " + Event(expected) + ": events were reordered" +
                         RowText(stored.Row));
      const std::string removed = seq == expected + 1
                                      ? Event(expected) + " was removed"
                                      : "events " + std::to_string(expected) + " to " +
                                            std::to_string(seq - 1) + " were removed";
      return Break(bkRemoved, expected, stored.Row,
                   removed + ": " + Event(seq) + " follows " +
                       (report_.Events == 0 ? std::string("the start") : Event(report_.Events)) +
                       RowText(stored.Row));
    }
    // A number the chain has passed, and this row continues the chain from the event before
    // that number just as the accepted event of that number does: the chain forks there. The
    // branch that goes on past this row is the chain; the rows accepted under that number and
    // after were inserted with hashes made to fit. Otherwise this row is the foreign one (a
    // copy, or an event made to fit and put at the end).
    const TAccepted* claimed = Recent(seq);
    const TAccepted* before = Recent(seq - 1);
    const std::string previous = seq == 1 ? std::string(kGenesisHash)
                                 : before ? before->Hash
                                          : std::string();
    if (claimed != nullptr && !previous.empty() && Continues(previous, stored) && GoesOn(stored)) {
      report_.Events = seq - 1;
      report_.Head = previous;
      return Break(bkInserted, seq, claimed->Row,
                   "row " + std::to_string(claimed->Row) +
                       " holds an event that is not in the chain, inserted " +
                       (seq == 1 ? std::string("at the start") : "after " + Event(seq - 1)));
    }
    Break(bkInserted, seq, stored.Row,
          "row " + std::to_string(stored.Row) +
              " holds an event that is not in the chain, inserted " + after);
  }

  // Whether the row after this one continues the chain from it.
  bool GoesOn(const TStoredEvent& stored) const {
    bool goesOn = false;
    scan_(stored.Row + 1, [&](const TStoredEvent& next) {
      goesOn = Continues(stored.Hash, next);
      return false;
    });
    return goesOn;
  }

  const TEventScan& scan_;
  const std::string& head_;
  TChainReport report_;
  std::deque<TAccepted> recent_;
};

}  // namespace

TChainReport CheckChain(const TEventScan& scan, const std::string& head) {
  return TChainCheck(scan, head).Run();
}

}  // namespace quillon
