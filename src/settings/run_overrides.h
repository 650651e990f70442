// Values one run uses instead of the stored ones (a port named on the command line, the demo
// terminal's passwords), without writing them back. The settings dialog shows and saves what
// the file holds; a field the operator leaves as it was keeps its override for the rest of the
// run, a field the operator changes ends it.
#pragma once

#include <string>

#include "settings/settings.h"

namespace quillon {

class TRunOverrides {
 public:
  // An empty port overrides nothing; the passwords stand in only while the file holds none.
  explicit TRunOverrides(std::string port = {}, std::string fallbackPassword = {},
                         std::string fallbackMasterPassword = {});

  // On the record just loaded: puts the overrides in force, remembering what the file holds.
  void Apply(TSettings& settings);

  bool PortOverridden() const { return portActive_; }
  bool PasswordsOverridden() const { return passwordsActive_; }

  // The record as the settings file holds it.
  TSettings Stored(const TSettings& inForce) const;
  // The operator confirmed stored values: inForce becomes them, with the overrides of the
  // fields left unchanged put back.
  void Confirm(const TSettings& stored, TSettings& inForce);

 private:
  std::string port_;
  std::string fallbackPassword_;
  std::string fallbackMasterPassword_;
  bool portActive_ = false;
  bool passwordsActive_ = false;
  std::string storedCom_;
};

// MasterPassword if set, else Password.
void UpdateEffectivePassword(TSettings& settings);

}  // namespace quillon
