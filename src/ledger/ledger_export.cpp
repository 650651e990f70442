#include "ledger/ledger_export.h"

#include <cstdio>
#include <regex>

namespace quillon {

namespace {

constexpr const char* kCsvColumns[] = {"seq",      "time",    "imei", "port",    "station",
                                       "operator", "version", "kind", "details", "hash"};

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

void AppendJson(std::string& out, const nlohmann::json& value) {
  if (value.is_object()) {
    out += '{';
    bool first = true;
    for (const auto& [key, item] : value.items()) {
      out += first ? "" : ", ";
      first = false;
      out += CompactJson(key) + ": ";
      AppendJson(out, item);
    }
    out += '}';
  } else if (value.is_array()) {
    out += '[';
    for (size_t i = 0; i < value.size(); ++i) {
      out += i ? ", " : "";
      AppendJson(out, value[i]);
    }
    out += ']';
  } else {
    out += CompactJson(value);
  }
}

bool IsLeap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

nlohmann::json RecordJson(const TLedgerRecord& record) {
  nlohmann::json json = EventJson(record.Seq, record.Event);
  json["hash"] = record.Hash;
  return json;
}

std::string JsonText(const nlohmann::json& value) {
  std::string out;
  AppendJson(out, value);
  return out;
}

std::string RecordsJson(const std::vector<TLedgerRecord>& records) {
  std::string out = "{\"events\": [";
  for (size_t i = 0; i < records.size(); ++i) {
    out += i ? ",\n  " : "\n  ";
    AppendJson(out, RecordJson(records[i]));
  }
  out += records.empty() ? "]}\n" : "\n]}\n";
  return out;
}

std::string RecordsCsv(const std::vector<TLedgerRecord>& records) {
  std::string out;
  for (const char* column : kCsvColumns) {
    if (!out.empty()) out += ',';
    out += column;
  }
  out += "\r\n";
  for (const TLedgerRecord& record : records) {
    const TLedgerEvent& e = record.Event;
    const std::string fields[] = {std::to_string(record.Seq),
                                  e.Time,
                                  e.Imei.value_or(""),
                                  e.Port,
                                  e.Station,
                                  e.Operator,
                                  e.Version,
                                  LedgerKindName(e.Kind),
                                  CompactJson(e.Details),
                                  record.Hash};
    bool first = true;
    for (const std::string& field : fields) {
      if (!first) out += ',';
      out += CsvField(field);
      first = false;
    }
    out += "\r\n";
  }
  return out;
}

std::optional<std::string> SinceTime(const std::string& text) {
  static const std::regex form(R"((\d{4})-(\d{2})-(\d{2})(?:T(\d{2}):(\d{2})(?::(\d{2}))?Z?)?)");
  std::smatch m;
  if (!std::regex_match(text, m, form)) return std::nullopt;
  const int year = std::stoi(m[1]), month = std::stoi(m[2]), day = std::stoi(m[3]);
  const int hour = m[4].matched ? std::stoi(m[4]) : 0;
  const int minute = m[5].matched ? std::stoi(m[5]) : 0;
  const int second = m[6].matched ? std::stoi(m[6]) : 0;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 ||
      day > kDays[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0) || hour > 23 || minute > 59 ||
      second > 59)
    return std::nullopt;
  char out[80];
  std::snprintf(out, sizeof out, "%04d-%02d-%02dT%02d:%02d:%02d.000Z", year, month, day, hour,
                minute, second);
  return out;
}

}  // namespace quillon
