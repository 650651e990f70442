// The values the simulated terminal holds: for every profile command, instance 1's parameters,
// then instance 2's, and so on. Persisted in a plain text file, one command a line:
// "+NAME=value,value,...," with values quoted where they hold a comma.
#pragma once

#include <string>
#include <vector>

#include "profile/command_profile.h"

namespace quillon {

class TSimValueChecker;

class TSimDeviceState {
 public:
  // Instances beyond this are not kept (the editor cannot address them either).
  static constexpr int kMaxInstances = 256;

  explicit TSimDeviceState(const CommandProfile& profile);

  // Every value back to the profile's defaults.
  void ResetToDefaults();

  static int InstanceCount(const TDevCommand& command);

  std::vector<std::string>& Values(int page, int command);
  const std::vector<std::string>& Values(int page, int command) const;

  // Loads values written by SaveFile. Lines of unknown commands and values the checker refuses
  // are skipped; missing values keep what is held. False when the file cannot be read.
  bool LoadFile(const std::string& path, TSimValueChecker& checker);
  // Writes all values (through a temporary file, so a crash never leaves half a file).
  bool SaveFile(const std::string& path) const;

  // One item of an answer line or state file: quoted when it holds a comma, so that SplitCsv
  // keeps it whole.
  static std::string CsvItem(const std::string& value);

 private:
  void LoadLine(const std::string& line, TSimValueChecker& checker);

  const CommandProfile& profile_;
  std::vector<std::vector<std::vector<std::string>>> values_;  // [page][command][i * params + j]
};

}  // namespace quillon
