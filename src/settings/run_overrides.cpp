#include "settings/run_overrides.h"

#include <utility>

namespace quillon {

TRunOverrides::TRunOverrides(std::string port, std::string fallbackPassword,
                             std::string fallbackMasterPassword)
    : port_(std::move(port)),
      fallbackPassword_(std::move(fallbackPassword)),
      fallbackMasterPassword_(std::move(fallbackMasterPassword)) {}

void UpdateEffectivePassword(TSettings& settings) {
  settings.EffectivePassword =
      settings.MasterPassword.empty() ? settings.Password : settings.MasterPassword;
}

void TRunOverrides::Apply(TSettings& settings) {
  portActive_ = !port_.empty();
  if (portActive_) {
    storedCom_ = settings.COM;
    settings.COM = port_;
  }
  passwordsActive_ = settings.Password.empty() && settings.MasterPassword.empty() &&
                     !(fallbackPassword_.empty() && fallbackMasterPassword_.empty());
  if (passwordsActive_) {
    settings.Password = fallbackPassword_;
    settings.MasterPassword = fallbackMasterPassword_;
  }
  UpdateEffectivePassword(settings);
}

TSettings TRunOverrides::Stored(const TSettings& inForce) const {
  TSettings stored = inForce;
  if (portActive_) stored.COM = storedCom_;
  if (passwordsActive_) stored.Password = stored.MasterPassword = "";
  UpdateEffectivePassword(stored);
  return stored;
}

void TRunOverrides::Confirm(const TSettings& stored, TSettings& inForce) {
  inForce = stored;
  if (portActive_) {
    if (stored.COM == storedCom_)
      inForce.COM = port_;
    else
      portActive_ = false;
  }
  if (passwordsActive_) {
    if (stored.Password.empty() && stored.MasterPassword.empty()) {
      inForce.Password = fallbackPassword_;
      inForce.MasterPassword = fallbackMasterPassword_;
    } else {
      passwordsActive_ = false;
    }
  }
  UpdateEffectivePassword(inForce);
}

}  // namespace quillon
