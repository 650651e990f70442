// Checking the hash chain. Every stored event carries its number (seq, from 1) inside its
// canonical JSON and the hash SHA-256(previous hash, canonical JSON). Walking the rows in their
// stored order, the first row that does not continue the chain is where the ledger was touched,
// and what follows it tells how:
// - changed: the row has the number the chain expects, but its record does not give its hash
//   (or the columns that queries use disagree with the record);
// - removed: the row has a later number and the expected one is nowhere;
// - reordered: the row has a later number and the expected event stands further on;
// - inserted: the row is not part of the chain (a foreign or copied record; or, when a forger
//   made its hash fit, the genuine event with that number follows it).
// What the chain cannot show is said in docs/ARCHITECTURE.md: newest events cut off, or the
// whole file written anew.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quillon {

struct TStoredEvent {
  int64_t Row = 0;  // the stored position, ascending in the ledger's order
  std::string Time;
  std::optional<std::string> Imei;
  std::string Kind;
  std::string Body;  // canonical JSON
  std::string Hash;
};

// Calls visit for each stored event whose Row is at least from, in Row order, until visit
// returns false. False when the rows cannot be read.
using TEventScan =
    std::function<bool(int64_t from, const std::function<bool(const TStoredEvent&)>& visit)>;

enum TBreakKind { bkChanged, bkRemoved, bkInserted, bkReordered };

struct TChainBreak {
  TBreakKind Kind = bkChanged;
  // The first bad event in stored order: the changed one, the first removed one, the one that
  // stands too early; for an inserted row the number its record claims (0 when unreadable).
  int64_t Event = 0;
  int64_t Row = 0;   // the stored row where the chain breaks
  std::string Text;  // e.g. "event 5 was changed: ..."
};

struct TChainReport {
  std::string Error;   // the ledger could not be read; nothing else is known
  int64_t Events = 0;  // events that chain unbroken from the first
  std::string Head;    // the hash of the last of them; kGenesisHash when there are none
  std::optional<TChainBreak> Break;
  bool HeadFound = false;  // with a head to look for: it is the hash of one of those events
};

// Checks the whole chain, or with a head only as far as the event whose hash it is.
TChainReport CheckChain(const TEventScan& scan, const std::string& head = std::string());

}  // namespace quillon
