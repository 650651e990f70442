// The terminal's test of one written value against its profile parameter: type, limits, length,
// masks and options. Also gives the value the terminal starts with.
#pragma once

#include <string>

#include "editor/mask_matcher.h"
#include "profile/command_profile.h"

namespace quillon {

class TSimValueChecker {
 public:
  // True when value is acceptable; normalized is then what the terminal stores (hex in upper
  // case, padded to MaxLen). Otherwise reason says why (for the trace).
  bool Check(const TCmdParameter& param, const std::string& value, std::string& normalized,
             std::string& reason);

  // The value a fresh terminal holds: DefaultValue made valid for the parameter.
  static std::string InitialValue(const TCmdParameter& param);

 private:
  bool CheckInteger(const TCmdParameter& param, const std::string& value, std::string& normalized,
                    std::string& reason);
  bool CheckString(const TCmdParameter& param, const std::string& value, std::string& reason);
  bool CheckHex(const TCmdParameter& param, const std::string& value, std::string& normalized,
                std::string& reason);
  bool CheckOption(const TCmdParameter& param, const std::string& value, std::string& reason);

  TMaskMatcher masks_;
};

}  // namespace quillon
