#include "cli/cli_snapshots.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/json_text.h"
#include "link/console_link.h"

namespace quillon::cli {

namespace fs = std::filesystem;

const char* const kSnapshotsUsage =
    "usage: quillon-cli snapshots [DIR] [--imei IMEI] [--json]\n"
    "\n"
    "Lists the snapshots provisioning took before it wrote a terminal, found as\n"
    "DIR/<IMEI>/<YYYYMMDDTHHMMSSZ>.zxml (DIR defaults to ./snapshots), by IMEI and then\n"
    "oldest first, one line each: IMEI, time (UTC), bytes, path. Any snapshot is a\n"
    "configuration file: 'quillon-cli restore --port PORT PATH' writes it back.\n"
    "\n"
    "  --imei IMEI    only this terminal's snapshots\n"
    "  --json         one document: {\"snapshots\": [{\"imei\", \"time\", \"path\",\n"
    "                 \"bytes\"}]}; time as 2026-12-10T04:30:00Z\n"
    "\n"
    "It exits 0 also when there is none (or DIR does not exist), 2 for bad arguments.\n";

std::string ParseSnapshotsArgs(const std::vector<std::string>& args, TSnapshotsArgs& parsed) {
  parsed = TSnapshotsArgs();
  bool dirGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      parsed.Help = true;
    } else if (arg == "--json") {
      parsed.Json = true;
    } else if (arg == "--imei") {
      if (i + 1 >= args.size()) return "--imei wants an IMEI";
      parsed.Imei = args[++i];
      if (!ValidImei(parsed.Imei)) return "--imei wants 15 digits, not '" + parsed.Imei + "'";
    } else if (arg.rfind("-", 0) == 0 && arg.size() > 1) {
      return "unexpected argument '" + arg + "'";
    } else if (dirGiven) {
      return "only one folder, not also '" + arg + "'";
    } else {
      parsed.Dir = arg;
      dirGiven = true;
    }
  }
  return {};
}

bool ValidImei(const std::string& imei) {
  return imei.size() == 15 &&
         std::all_of(imei.begin(), imei.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string SnapshotFileName(std::time_t moment) {
  std::tm utc{};
  gmtime_r(&moment, &utc);
  char name[32];
  std::strftime(name, sizeof name, "%Y%m%dT%H%M%SZ.zxml", &utc);
  return name;
}

std::string SnapshotTimeOfName(const std::string& name) {
  // YYYYMMDDTHHMMSSZ.zxml
  if (name.size() != 21 || name.compare(15, 6, "Z.zxml") != 0 || name[8] != 'T') return {};
  for (size_t i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14})
    if (name[i] < '0' || name[i] > '9') return {};
  return name.substr(0, 4) + "-" + name.substr(4, 2) + "-" + name.substr(6, 2) + "T" +
         name.substr(9, 2) + ":" + name.substr(11, 2) + ":" + name.substr(13, 2) + "Z";
}

std::vector<TSnapshotEntry> ListSnapshots(const std::string& dir, const std::string& imei) {
  std::vector<TSnapshotEntry> entries;
  std::error_code ec;
  for (const fs::directory_entry& folder : fs::directory_iterator(dir, ec)) {
    const std::string name = folder.path().filename().string();
    if (!ValidImei(name) || (!imei.empty() && name != imei) || !folder.is_directory(ec)) continue;
    std::error_code inner;
    for (const fs::directory_entry& file : fs::directory_iterator(folder.path(), inner)) {
      const std::string time = SnapshotTimeOfName(file.path().filename().string());
      if (time.empty() || !file.is_regular_file(inner)) continue;
      const uintmax_t bytes = file.file_size(inner);
      if (inner) continue;
      entries.push_back({name, time, file.path().string(), static_cast<uint64_t>(bytes)});
    }
  }
  std::sort(entries.begin(), entries.end(), [](const TSnapshotEntry& a, const TSnapshotEntry& b) {
    return std::tie(a.Imei, a.Time, a.Path) < std::tie(b.Imei, b.Time, b.Path);
  });
  return entries;
}

std::string FormatSnapshotsText(const std::vector<TSnapshotEntry>& entries) {
  std::string out;
  for (const TSnapshotEntry& e : entries)
    out += e.Imei + "  " + e.Time + "  " + std::to_string(e.Bytes) + "  " + e.Path + "\n";
  return out;
}

std::string FormatSnapshotsJson(const std::vector<TSnapshotEntry>& entries) {
  std::string out = "{\"snapshots\": [";
  for (size_t i = 0; i < entries.size(); ++i) {
    const TSnapshotEntry& e = entries[i];
    out += (i ? ",\n  " : "\n  ") + std::string("{\"imei\": ") + JsonUtf8String(e.Imei) +
           ", \"time\": " + JsonUtf8String(e.Time) + ", \"path\": " + JsonUtf8String(e.Path) +
           ", \"bytes\": " + std::to_string(e.Bytes) + "}";
  }
  out += entries.empty() ? "]}\n" : "\n]}\n";
  return out;
}

int Snapshots(const Args& args) {
  TSnapshotsArgs parsed;
  const std::string error = ParseSnapshotsArgs(args, parsed);
  if (!error.empty()) return UsageError("snapshots", error, kSnapshotsUsage);
  if (parsed.Help) {
    std::fputs(kSnapshotsUsage, stdout);
    return ceOk;
  }
  const std::vector<TSnapshotEntry> entries = ListSnapshots(parsed.Dir, parsed.Imei);
  const std::string out = parsed.Json ? FormatSnapshotsJson(entries) : FormatSnapshotsText(entries);
  std::fputs(out.c_str(), stdout);
  return ceOk;
}

std::string RestoreUsage() {
  std::string text = ConfigLoadUsage();
  const std::string from = "quillon-cli config load", to = "quillon-cli restore";
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  // The continuation line of the usage keeps its indent under the shorter name.
  const std::string indent(std::string("usage: ").size() + from.size() + 1, ' ');
  const size_t at = text.find("\n" + indent);
  if (at != std::string::npos) text.erase(at + 1, from.size() - to.size());
  return text +
         "\nThe same as 'quillon-cli config load', under the name a line worker looks for\n"
         "when a snapshot (see 'quillon-cli snapshots') is to go back into a terminal.\n";
}

}  // namespace quillon::cli
