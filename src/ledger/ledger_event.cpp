#include "ledger/ledger_event.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace quillon {

namespace {

constexpr std::array<const char*, 8> kKindNames = {
    "snapshot", "write", "verify", "store", "restore", "provision", "note", "acceptance",
};

const nlohmann::json* Field(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

bool StringField(const nlohmann::json& object, const char* key, std::string& out) {
  const nlohmann::json* value = Field(object, key);
  if (value == nullptr || !value->is_string()) return false;
  out = value->get<std::string>();
  return true;
}

}  // namespace

const char* LedgerKindName(TLedgerKind kind) {
  const auto index = static_cast<size_t>(kind);
  return index < kKindNames.size() ? kKindNames[index] : "";
}

std::optional<TLedgerKind> LedgerKindFromName(const std::string& name) {
  for (size_t i = 0; i < kKindNames.size(); ++i)
    if (name == kKindNames[i]) return static_cast<TLedgerKind>(i);
  return std::nullopt;
}

TLedgerEvent NewEvent(const TLedgerContext& context, TLedgerKind kind, nlohmann::json details) {
  TLedgerEvent event;
  event.Time = UtcNowText();
  event.Imei = context.Imei;
  event.Port = context.Port;
  event.Station = context.Station;
  event.Operator = context.Operator;
  event.Version = context.Version;
  event.Kind = kind;
  event.Details = std::move(details);
  return event;
}

std::string UtcNowText() {
  using namespace std::chrono;
  const auto now = system_clock::now().time_since_epoch();
  const auto millis = duration_cast<milliseconds>(now).count();
  const std::time_t seconds = static_cast<std::time_t>(millis / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[40];
  const size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  std::snprintf(text + n, sizeof text - n, ".%03dZ", static_cast<int>(millis % 1000));
  return text;
}

std::string OsUserName() {
  const uid_t uid = geteuid();
  passwd entry{};
  passwd* found = nullptr;
  std::array<char, 4096> buffer{};
  if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_name != nullptr && found->pw_name[0] != '\0')
    return found->pw_name;
  return std::to_string(uid);
}

std::string CompactJson(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

nlohmann::json EventJson(int64_t seq, const TLedgerEvent& event) {
  return {
      {"seq", seq},
      {"time", event.Time},
      {"imei", event.Imei ? nlohmann::json(*event.Imei) : nlohmann::json(nullptr)},
      {"port", event.Port},
      {"station", event.Station},
      {"operator", event.Operator},
      {"version", event.Version},
      {"kind", LedgerKindName(event.Kind)},
      {"details", event.Details},
  };
}

std::string CanonicalEventJson(int64_t seq, const TLedgerEvent& event) {
  return CompactJson(EventJson(seq, event));
}

std::optional<TLedgerRecord> EventFromCanonicalJson(const std::string& body) {
  const nlohmann::json object = nlohmann::json::parse(body, nullptr, false);
  if (object.is_discarded() || !object.is_object()) return std::nullopt;
  TLedgerRecord record;
  TLedgerEvent& event = record.Event;
  const nlohmann::json* seq = Field(object, "seq");
  const nlohmann::json* imei = Field(object, "imei");
  const nlohmann::json* details = Field(object, "details");
  std::string kind;
  if (seq == nullptr || !seq->is_number_integer() || imei == nullptr ||
      !(imei->is_null() || imei->is_string()) || details == nullptr ||
      !StringField(object, "time", event.Time) || !StringField(object, "port", event.Port) ||
      !StringField(object, "station", event.Station) ||
      !StringField(object, "operator", event.Operator) ||
      !StringField(object, "version", event.Version) || !StringField(object, "kind", kind))
    return std::nullopt;
  const std::optional<TLedgerKind> known = LedgerKindFromName(kind);
  if (!known) return std::nullopt;
  record.Seq = seq->get<int64_t>();
  if (imei->is_string()) event.Imei = imei->get<std::string>();
  event.Kind = *known;
  event.Details = *details;
  return record;
}

}  // namespace quillon
