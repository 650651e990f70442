// One act of the program on a terminal, as the ledger keeps it: what was done (the kind and
// its details), to which unit (the IMEI when the session knows it, else only the port), when
// (UTC), from which station, by whom and with which program version.
//
// Text in an event is UTF-8, as it is stored; the builders in event_details.h convert the
// logic's Windows-1251 values.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace quillon {

enum TLedgerKind {
  lkSnapshot,    // {"file", "sha256"}
  lkWrite,       // {"command", "instance", "parameters": [{"index", "before", "after"}]}
  lkVerify,      // {"command", "instance", "result"}
  lkStore,       // {"result"}
  lkRestore,     // {"file", "sha256"}
  lkProvision,   // {"template_sha256", "unit_sha256", "result"}
  lkNote,        // {"text"}
  lkAcceptance,  // a signed acceptance record: its file and SHA-256, and the verdict
};

// "snapshot", "write", "verify", "store", "restore", "provision", "note", "acceptance".
const char* LedgerKindName(TLedgerKind kind);
std::optional<TLedgerKind> LedgerKindFromName(const std::string& name);

// What every event of one run shares.
struct TLedgerContext {
  std::optional<std::string> Imei;  // when the session knows it
  std::string Port;
  std::string Station;   // the station id (station_identity.h)
  std::string Operator;  // the OS user or the operator's name given on the command line
  std::string Version;   // the program's version
};

struct TLedgerEvent {
  std::string Time;  // UTC, "2026-12-10T06:40:01.123Z"
  std::optional<std::string> Imei;
  std::string Port;
  std::string Station;
  std::string Operator;
  std::string Version;
  TLedgerKind Kind = lkNote;
  nlohmann::json Details = nlohmann::json::object();
};

// An event as read back: its number in the ledger (from 1), the event and its chain hash.
struct TLedgerRecord {
  int64_t Seq = 0;
  TLedgerEvent Event;
  std::string Hash;
};

// A new event of the run's context, stamped with the current time.
TLedgerEvent NewEvent(const TLedgerContext& context, TLedgerKind kind, nlohmann::json details);

// The current time as events carry it.
std::string UtcNowText();

// The login name of the user running the program; the uid as text when it has no name.
std::string OsUserName();

// The event numbered seq as a JSON object: "seq", "time", "imei", "port", "station",
// "operator", "version", "kind", "details".
nlohmann::json EventJson(int64_t seq, const TLedgerEvent& event);

// The canonical JSON of an event numbered seq: what the chain hashes and the ledger stores.
// Keys sorted, no spaces, UTF-8 (bytes that are not UTF-8 become U+FFFD).
std::string CanonicalEventJson(int64_t seq, const TLedgerEvent& event);

// The inverse, for a stored record; nothing when the text is not an event (a field missing or
// of the wrong type, an unknown kind).
std::optional<TLedgerRecord> EventFromCanonicalJson(const std::string& body);

// Compact JSON with sorted keys, UTF-8 kept as it is, invalid bytes replaced.
std::string CompactJson(const nlohmann::json& value);

}  // namespace quillon
