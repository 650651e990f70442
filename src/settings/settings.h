// The program settings: one record filled from Quillon.ini beside the executable.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillon {

class CommandProfile;
class TIniFile;

struct TSettings {
  std::string COM;
  int32_t Speed = 0;
  int32_t DataBits = 0;
  std::string Parity;
  std::string StopBits;
  int32_t Timeout = 0;
  int32_t TimeoutInterval = 0;
  int32_t TimeoutEcho = 0;
  std::string EffectivePassword;  // derived: MasterPassword if set, else Password
  std::string Password;
  std::string MasterPassword;
  std::vector<std::string> EnabledPages;
  int32_t ReadColorText = 0;
  int32_t WriteColorText = 0;
  int32_t ReadErrorColorText = 0;
  int32_t WriteErrorColorText = 0;
  int32_t GeneralErrorColorText = 0;
  int32_t RetryCount = 0;
  int32_t ConnectMethod = 0;
  bool Debug = false;
  int32_t Language = 0;
  bool PortPoll = false;
  // Keys added after the first release; each has its control in the settings dialog.
  std::string MapHost;      // Interface/MapHost: the web map host; empty turns the map link off
  bool FastAnswer = false;  // Connection/FastAnswer
  bool SessionLog = false;  // Interface/SessionLog
  std::string Ledger;       // Interface/Ledger: the ledger file; empty the default place, "-" off
  // Connection/RecentPorts: the network ports last confirmed in the settings dialog, newest
  // first, at most kMaxRecentPorts; only the dialog changes them.
  std::vector<std::string> RecentPorts;
};

constexpr size_t kMaxRecentPorts = 5;

// Connection/RecentPorts alone, as LoadSettings reads it.
std::vector<std::string> ReadRecentPorts(const TIniFile& ini);
// Puts port first among the recent ports, once, keeping at most kMaxRecentPorts.
void RememberRecentPort(std::vector<std::string>& recent, const std::string& port);

// The settings file's full path: the executable's folder plus "Quillon.ini".
std::string SettingsFilePath();
// A new INI object bound to SettingsFilePath(); creates nothing on disk.
std::unique_ptr<TIniFile> OpenSettingsFile();

// Fills the record and TrueCustomer from the INI object; "*" in EnabledPages expands to the
// ids of the profile's pages.
void LoadSettings(TIniFile& ini, const CommandProfile& profile, TSettings& settings,
                  bool& trueCustomer);
// The protocol-log line about a settings file refused at reading (not a regular file, or too
// large), or "" when there is nothing to say.
std::string SettingsRefusalNotice(const TIniFile& ini);
// Writes the record into the INI object, in memory only.
void WriteSettings(TIniFile& ini, const TSettings& settings);
// Writes the record into the INI object and saves it; throws std::runtime_error
// "Unable to write to <path>" when the file cannot be written.
void SaveSettings(TIniFile& ini, const TSettings& settings);

}  // namespace quillon
