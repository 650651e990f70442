#include "ledger/event_details.h"

#include "link/password_masker.h"
#include "profile/command_profile.h"
#include "profile/cp1251.h"

namespace quillon {

namespace {

// Written for a parameter that cannot be read back: that it was set, not to what.
constexpr char kSetWithoutValue[] = "set";

nlohmann::json CommandJson(const TDevCommand& command, int instance) {
  return {{"command", Cp1251ToUtf8(command.Name)}, {"instance", instance + 1}};
}

nlohmann::json ValueJson(const std::optional<std::string>& value, const TPasswordMasker& masker) {
  return value ? nlohmann::json(Cp1251ToUtf8(masker.Mask(*value))) : nlohmann::json(nullptr);
}

}  // namespace

nlohmann::json WriteDetails(const TDevCommand& command, int instance,
                            const TParameterValues& before, const TParameterValues& sent,
                            const TPasswordMasker& masker) {
  nlohmann::json parameters = nlohmann::json::array();
  for (size_t i = 0; i < sent.size() && i < command.Parameters.size(); ++i) {
    if (!sent[i]) continue;
    nlohmann::json entry = {{"index", i}};
    if (command.Parameters[i].Overwrite) {
      entry["before"] = ValueJson(i < before.size() ? before[i] : std::nullopt, masker);
      entry["after"] = ValueJson(sent[i], masker);
    } else {
      entry["before"] = nullptr;
      entry["after"] = kSetWithoutValue;
    }
    parameters.push_back(std::move(entry));
  }
  nlohmann::json details = CommandJson(command, instance);
  details["parameters"] = std::move(parameters);
  return details;
}

nlohmann::json VerifyDetails(const TDevCommand& command, int instance, const std::string& result) {
  nlohmann::json details = CommandJson(command, instance);
  details["result"] = result;
  return details;
}

nlohmann::json FileDetails(const std::string& file, const std::string& sha256) {
  return {{"file", file}, {"sha256", sha256}};
}

nlohmann::json StoreDetails(bool stored) {
  return {{"result", stored ? "stored" : "not stored"}};
}

nlohmann::json ProvisionDetails(const std::string& templateSha256, const std::string& unitSha256,
                                const std::string& result) {
  return {{"template_sha256", templateSha256}, {"unit_sha256", unitSha256}, {"result", result}};
}

nlohmann::json NoteDetails(const std::string& text, const TPasswordMasker& masker) {
  return {{"text", Cp1251ToUtf8(masker.Mask(text))}};
}

}  // namespace quillon
