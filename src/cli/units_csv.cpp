#include "cli/units_csv.h"

#include <regex>

#include "cli/cli_arguments.h"
#include "cli/cli_snapshots.h"
#include "profile/cp1251.h"
#include "profile/text_utils.h"

namespace quillon::cli {

std::string SplitCsvRecords(const std::string& text, std::vector<std::vector<std::string>>& out) {
  out.clear();
  std::vector<std::string> record;
  std::string field;
  bool quoted = false, wasQuoted = false, any = false;
  int line = 1;
  auto endField = [&] {
    record.push_back(field);
    field.clear();
    wasQuoted = false;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        field += c;
      }
      continue;
    }
    any = true;
    if (c == '"') {
      if (!field.empty() || wasQuoted) return "line " + std::to_string(line) + ": stray quote";
      quoted = wasQuoted = true;
    } else if (c == ',') {
      endField();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      continue;
    } else if (c == '\n') {
      endField();
      out.push_back(record);
      record.clear();
      any = false;
      ++line;
    } else {
      if (wasQuoted) return "line " + std::to_string(line) + ": text after a closing quote";
      field += c;
    }
  }
  if (quoted) return "line " + std::to_string(line) + ": a quoted field is not closed";
  if (any) {
    endField();
    out.push_back(record);
  }
  return {};
}

namespace {

// NAME[P] or NAME#K[P] resolved against the profile.
std::string ResolveAddress(const CommandProfile& profile, const std::string& header,
                           TUnitValue& target) {
  static const std::regex form(R"(^(.+?)(?:#([0-9]+))?\[([0-9]+)\]$)");
  std::smatch m;
  if (!std::regex_match(header, m, form))
    return "'" + header + "' is no address NAME[P] or NAME#K[P]";
  if (!profile.FindCommand(Utf8ToCp1251(m[1].str()), target.Page, target.Command))
    return "'" + header + "': no command " + m[1].str() + " in the profile";
  const TDevCommand& cmd = *profile.Command(target.Page, target.Command);
  const int given = m[2].matched ? std::stoi(m[2].str().substr(0, 6)) : 0;
  if (cmd.Indexed && !m[2].matched) return "'" + header + "': the command is indexed, give #K";
  const std::string instanceError = ResolveInstance(cmd, m[2].matched ? given : 0, target.Instance);
  if (!instanceError.empty()) return "'" + header + "': " + instanceError;
  const std::string index = m[3].str();
  target.Param = index.size() > 6 ? -1 : std::stoi(index);
  if (target.Param < 0 || target.Param >= static_cast<int>(cmd.Parameters.size()))
    return "'" + header + "': no parameter " + index;
  return {};
}

}  // namespace

std::string ReadUnitsCsv(const CommandProfile& profile, const std::string& bytes,
                         TUnitsTable& table) {
  table = TUnitsTable();
  std::string text = bytes;
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);  // a spreadsheet's byte order mark
  std::vector<std::vector<std::string>> records;
  const std::string error = SplitCsvRecords(text, records);
  if (!error.empty()) return error;
  if (records.empty()) return "no header row";
  const std::vector<std::string>& header = records[0];
  int imeiColumn = -1;
  std::vector<TUnitValue> targets(header.size());
  for (size_t c = 0; c < header.size(); ++c) {
    if (header[c] == "IMEI") {
      if (imeiColumn >= 0) return "line 1: IMEI is named twice";
      imeiColumn = static_cast<int>(c);
      continue;
    }
    const std::string addressError = ResolveAddress(profile, header[c], targets[c]);
    if (!addressError.empty()) return "line 1: " + addressError;
    for (size_t before = 0; before < c; ++before)
      if (header[before] == header[c]) return "line 1: '" + header[c] + "' is named twice";
  }
  if (imeiColumn < 0) return "line 1: the IMEI column is required";
  for (size_t r = 1; r < records.size(); ++r) {
    const std::vector<std::string>& record = records[r];
    const std::string where = "row " + std::to_string(r + 1);
    if (record.size() != header.size())
      return where + ": " + std::to_string(record.size()) + " fields, the header has " +
             std::to_string(header.size());
    const std::string& imei = record[imeiColumn];
    if (!ValidImei(imei)) return where + ": IMEI '" + imei + "' is not 15 digits";
    if (table.Rows.count(imei)) return where + ": IMEI " + imei + " has a row already";
    std::vector<TUnitValue>& values = table.Rows[imei];
    for (size_t c = 0; c < record.size(); ++c) {
      if (static_cast<int>(c) == imeiColumn || record[c].empty()) continue;
      TUnitValue value = targets[c];
      const TDevCommand& cmd = *profile.Command(value.Page, value.Command);
      const std::string valueError =
          CheckValue(cmd.Parameters[value.Param], record[c], value.Value);
      if (!valueError.empty()) return where + ", " + header[c] + ": " + valueError;
      values.push_back(value);
    }
  }
  return {};
}

}  // namespace quillon::cli
