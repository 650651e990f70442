// Snapshots taken by provisioning: DIR/<IMEI>/<YYYYMMDDTHHMMSSZ>.zxml, one folder per terminal,
// and quillon-cli snapshots, which lists them for a line worker looking for a restore.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace quillon::cli {

struct TSnapshotsArgs {
  std::string Dir = "snapshots";
  std::string Imei;  // empty: every terminal
  bool Json = false;
  bool Help = false;
};

struct TSnapshotEntry {
  std::string Imei;
  std::string Time;  // 2026-12-10T04:30:00Z
  std::string Path;
  uint64_t Bytes = 0;
};

// Reads the arguments after "snapshots"; returns the error text, empty when they are fine.
std::string ParseSnapshotsArgs(const std::vector<std::string>& args, TSnapshotsArgs& parsed);

// The file name of a snapshot taken at the moment (UTC): 20261210T043000Z.zxml.
std::string SnapshotFileName(std::time_t moment);
// Its time as ISO 8601, or empty when the name is not a snapshot's.
std::string SnapshotTimeOfName(const std::string& fileName);
// True for fifteen digits: the identity a snapshot folder is named by.
bool ValidImei(const std::string& imei);

// The snapshots under dir, by IMEI and then oldest first; other files and folders are skipped.
std::vector<TSnapshotEntry> ListSnapshots(const std::string& dir, const std::string& imei);

std::string FormatSnapshotsText(const std::vector<TSnapshotEntry>& entries);
std::string FormatSnapshotsJson(const std::vector<TSnapshotEntry>& entries);

extern const char* const kSnapshotsUsage;

}  // namespace quillon::cli
