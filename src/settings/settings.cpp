#include "settings/settings.h"

#include <algorithm>
#include <filesystem>

#include "profile/command_profile.h"
#include "profile/fixed_texts.h"
#include "profile/text_utils.h"
#include "settings/ini_file.h"
#include "settings/program_paths.h"

namespace quillon {

namespace {

const char kConnection[] = "Connection";
const char kDevice[] = "Device";
const char kInterface[] = "Interface";

std::vector<std::string> ReadEnabledPages(const TIniFile& ini, const CommandProfile& profile) {
  std::string value = ini.ReadString(kInterface, "EnabledPages", "*");
  if (value != "*") return SplitCsv(value);
  std::vector<std::string> ids;
  for (const auto& page : profile.Pages) ids.push_back(page.Id);
  return ids;
}

// Ids are joined with "," as they are. An id holding a comma is put in double quotes, and an
// empty last id too (a trailing comma adds no item), so that the list reads back as it was.
std::string JoinEnabledPages(const std::vector<std::string>& ids) {
  std::string out;
  for (size_t i = 0; i < ids.size(); ++i) {
    const std::string& id = ids[i];
    if (i > 0) out += ',';
    bool last = i + 1 == ids.size();
    // A lone "*" unquoted would read back as every page.
    const bool star = id == "*" && ids.size() == 1;
    if (id.find(',') != std::string::npos || (id.empty() && last) || star)
      out += "\"" + id + "\"";
    else
      out += id;
  }
  return out;
}

std::string JoinRecentPorts(const std::vector<std::string>& recent) {
  std::string out;
  for (const std::string& port : recent) out += (out.empty() ? "" : ",") + port;
  return out;
}

}  // namespace

// Only network addresses ("scheme://..."), each once, at most kMaxRecentPorts.
std::vector<std::string> ReadRecentPorts(const TIniFile& ini) {
  std::vector<std::string> recent;
  const std::vector<std::string> items = SplitCsv(ini.ReadString(kConnection, "RecentPorts", ""));
  for (auto it = items.rbegin(); it != items.rend(); ++it)
    if (it->find("://") != std::string::npos) RememberRecentPort(recent, *it);
  return recent;
}

void RememberRecentPort(std::vector<std::string>& recent, const std::string& port) {
  recent.erase(std::remove(recent.begin(), recent.end(), port), recent.end());
  recent.insert(recent.begin(), port);
  if (recent.size() > kMaxRecentPorts) recent.resize(kMaxRecentPorts);
}

std::string SettingsFilePath() {
  return ProgramPaths().SettingsFile;
}

std::unique_ptr<TIniFile> OpenSettingsFile() {
  return std::make_unique<TIniFile>(SettingsFilePath());
}

void LoadSettings(TIniFile& ini, const CommandProfile& profile, TSettings& settings,
                  bool& trueCustomer) {
  settings.COM = ini.ReadString(kConnection, "COM", "COM1");
  settings.Speed = ini.ReadInteger(kConnection, "Speed", 115200);
  settings.DataBits = ini.ReadInteger(kConnection, "DataBits", 8);
  settings.Parity = ini.ReadString(kConnection, "Parity", "None");
  settings.StopBits = ini.ReadString(kConnection, "StopBits", "1");
  settings.Timeout = ini.ReadInteger(kConnection, "Timeout", 250);
  settings.TimeoutInterval = ini.ReadInteger(kConnection, "TimeoutInterval", 250);
  settings.TimeoutEcho = ini.ReadInteger(kConnection, "TimeoutEcho", 250);

  settings.Debug = ini.ReadBool(kInterface, "Debug", false);

  settings.Password = ini.ReadString(kDevice, "Password", "");
  settings.MasterPassword = ini.ReadString(kDevice, "MasterPassword", "");
  settings.EffectivePassword =
      settings.MasterPassword.empty() ? settings.Password : settings.MasterPassword;

  settings.EnabledPages = ReadEnabledPages(ini, profile);

  settings.ReadColorText = ini.ReadInteger(kInterface, "ReadColorText", 0);
  settings.WriteColorText = ini.ReadInteger(kInterface, "WriteColorText", 0);
  settings.ReadErrorColorText = ini.ReadInteger(kInterface, "ReadErrorColorText", 255);
  settings.WriteErrorColorText = ini.ReadInteger(kInterface, "WriteErrorColorText", 255);
  settings.GeneralErrorColorText = ini.ReadInteger(kInterface, "GeneralErrorColorText", 8421504);

  trueCustomer = ini.ReadBool(kInterface, "TrueCustomer", false);

  settings.RetryCount = std::max(1, ini.ReadInteger(kDevice, "RetryCount", 3));
  settings.ConnectMethod = std::clamp(ini.ReadInteger(kDevice, "ConnectMethod", 0), 0, 1);
  settings.Language = ini.ReadInteger(kInterface, "Language", 0);
  settings.PortPoll = ini.ReadBool(kDevice, "PortPoll", false);

  settings.MapHost = ini.ReadString(kInterface, "MapHost", "");
  settings.FastAnswer = ini.ReadBool(kConnection, "FastAnswer", false);
  settings.SessionLog = ini.ReadBool(kInterface, "SessionLog", false);
  settings.Ledger = ini.ReadString(kInterface, "Ledger", "");
  settings.RecentPorts = ReadRecentPorts(ini);
}

std::string SettingsRefusalNotice(const TIniFile& ini) {
  const TFileReadResult& read = ini.ReadResult();
  if (read.Status != TFileReadStatus::Refused) return std::string();
  return Text(TText::SettingsNotRead,
              {ini.FileName(),
               read.TooLarge ? Text(TText::FileLargerThan, {SizeLimitText(TIniFile::kMaxFileSize)})
                             : Text(TText::FileNotRegular)});
}

void WriteSettings(TIniFile& ini, const TSettings& settings) {
  ini.WriteString(kConnection, "COM", settings.COM);
  ini.WriteInteger(kConnection, "Speed", settings.Speed);
  ini.WriteInteger(kConnection, "DataBits", settings.DataBits);
  ini.WriteString(kConnection, "Parity", settings.Parity);
  ini.WriteString(kConnection, "StopBits", settings.StopBits);
  ini.WriteInteger(kConnection, "Timeout", settings.Timeout);
  ini.WriteInteger(kConnection, "TimeoutInterval", settings.TimeoutInterval);
  ini.WriteInteger(kConnection, "TimeoutEcho", settings.TimeoutEcho);

  ini.WriteString(kDevice, "Password", settings.Password);
  ini.WriteString(kDevice, "MasterPassword", settings.MasterPassword);

  ini.WriteString(kInterface, "EnabledPages", JoinEnabledPages(settings.EnabledPages));
  ini.WriteInteger(kInterface, "ReadColorText", settings.ReadColorText);
  ini.WriteInteger(kInterface, "WriteColorText", settings.WriteColorText);
  ini.WriteInteger(kInterface, "ReadErrorColorText", settings.ReadErrorColorText);
  ini.WriteInteger(kInterface, "WriteErrorColorText", settings.WriteErrorColorText);
  ini.WriteInteger(kInterface, "GeneralErrorColorText", settings.GeneralErrorColorText);
  ini.WriteInteger(kInterface, "Language", settings.Language);

  ini.WriteInteger(kDevice, "RetryCount", settings.RetryCount);
  ini.WriteInteger(kDevice, "ConnectMethod", settings.ConnectMethod);
  ini.WriteBool(kDevice, "PortPoll", settings.PortPoll);

  ini.WriteString(kInterface, "MapHost", settings.MapHost);
  ini.WriteBool(kConnection, "FastAnswer", settings.FastAnswer);
  ini.WriteBool(kInterface, "SessionLog", settings.SessionLog);
  ini.WriteString(kInterface, "Ledger", settings.Ledger);
  ini.WriteString(kConnection, "RecentPorts", JoinRecentPorts(settings.RecentPorts));
}

void SaveSettings(TIniFile& ini, const TSettings& settings) {
  WriteSettings(ini, settings);
  // An installed program's first save creates the user's folder for its settings.
  if (ini.FileName() == ProgramPaths().SettingsFile) {
    std::error_code ignored;  // a folder that cannot be made fails the write below, loudly
    std::filesystem::create_directories(ProgramPaths().ConfigFolder, ignored);
  }
  ini.UpdateFile();
}

}  // namespace quillon
