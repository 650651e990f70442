#include "sim/sim_device_state.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "profile/text_utils.h"
#include "sim/sim_value_checker.h"

namespace quillon {

TSimDeviceState::TSimDeviceState(const CommandProfile& profile) : profile_(profile) {
  ResetToDefaults();
}

int TSimDeviceState::InstanceCount(const TDevCommand& command) {
  if (!command.Indexed || command.MaxIndex <= 0) return 1;
  return command.MaxIndex < kMaxInstances ? command.MaxIndex : kMaxInstances;
}

void TSimDeviceState::ResetToDefaults() {
  values_.assign(profile_.Pages.size(), {});
  for (size_t p = 0; p < profile_.Pages.size(); ++p) {
    for (const TDevCommand& command : profile_.Pages[p].Commands) {
      std::vector<std::string> values;
      for (int k = 0; k < InstanceCount(command); ++k) {
        for (const TCmdParameter& param : command.Parameters) {
          values.push_back(TSimValueChecker::InitialValue(param));
        }
      }
      values_[p].push_back(std::move(values));
    }
  }
}

std::vector<std::string>& TSimDeviceState::Values(int page, int command) {
  return values_.at(page).at(command);
}

const std::vector<std::string>& TSimDeviceState::Values(int page, int command) const {
  return values_.at(page).at(command);
}

std::string TSimDeviceState::CsvItem(const std::string& value) {
  bool plain = value.find(',') == std::string::npos && (value.empty() || value[0] != '"');
  return plain ? value : "\"" + value + "\"";
}

void TSimDeviceState::LoadLine(const std::string& line, TSimValueChecker& checker) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return;
  int page = -1, index = -1;
  if (!profile_.FindCommand(TrimCtl(line.substr(0, eq)), page, index) || page < 0) return;
  const TDevCommand* found = profile_.Command(page, index);
  if (!found || found->Parameters.empty()) return;
  const TDevCommand& command = *found;
  std::vector<std::string>& held = Values(page, index);
  std::vector<std::string> items = SplitCsv(line.substr(eq + 1));
  for (size_t i = 0; i < items.size() && i < held.size(); ++i) {
    const TCmdParameter& param = command.Parameters[i % command.Parameters.size()];
    std::string normalized, reason;
    if (checker.Check(param, items[i], normalized, reason)) held[i] = normalized;
  }
}

bool TSimDeviceState::LoadFile(const std::string& path, TSimValueChecker& checker) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    LoadLine(line, checker);
  }
  return true;
}

bool TSimDeviceState::SaveFile(const std::string& path) const {
  std::ostringstream text;
  for (size_t p = 0; p < profile_.Pages.size(); ++p) {
    const std::vector<TDevCommand>& commands = profile_.Pages[p].Commands;
    for (size_t c = 0; c < commands.size(); ++c) {
      if (commands[c].Parameters.empty()) continue;
      text << commands[c].Name << '=';
      for (const std::string& value : values_[p][c]) text << CsvItem(value) << ',';
      text << '\n';
    }
  }
  std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text.str();
    out.flush();
    if (!out) {
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace quillon
