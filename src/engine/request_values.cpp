#include "engine/request_values.h"

#include "profile/command_profile.h"
#include "profile/fixed_texts.h"

namespace quillon {

bool IsSendableValue(const std::string& value) {
  return value.find_first_of(",\r\n") == std::string::npos;
}

std::string ParameterName(const TDevCommand& command, int instance, int param) {
  std::string name = command.Name;
  if (command.Indexed) name += " #" + std::to_string(instance + 1);
  name = Text(TText::ParameterSuffix, {name, std::to_string(param)});
  if (param >= 0 && param < static_cast<int>(command.Parameters.size()))
    name += " (" + command.Parameters[static_cast<size_t>(param)].Description + ")";
  return name;
}

}  // namespace quillon
