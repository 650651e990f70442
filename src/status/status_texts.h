// The words the status window shows for states (links, relays, self-tests, inputs, SIM and
// server states, network registration) in one place without any toolkit: the built-in Russian
// texts, which the front end may pass through its translation mechanism once at start.
#pragma once

#include <array>
#include <functional>
#include <string>

namespace quillon {

struct TStatusTexts {
  // The built-in texts (Windows-1251).
  TStatusTexts();

  std::string Active, Inactive;               // a link, GPRS
  std::string RelayOpen, RelayClosed;         // relay contact: bit set, bit clear
  std::string SelfTestOk, SelfTestError;      // component self-test "0", anything else
  std::string AccStopped, AccMoving;          // stop by accelerometer "1", else
  std::string IgnitionOn, IgnitionOff;        // ignition "1", else
  std::string FreezeEnabled, FreezeDisabled;  // coordinate freezing "1", else
  std::string Frozen, NotFrozen;              // coordinates frozen "1", else
  std::string RegHome, RegRoaming, RegNone;   // network registration "1", "5", else
  std::array<std::string, 5> SimStates;       // SIM state "0".."4"
  std::array<std::string, 10> ServerStates;   // server connection state 0..9

  // Replaces every interface-language text by what translate returns for it (text in and out
  // Windows-1251). The server states other than 6, 7 and 8 are protocol names and stay.
  void Translate(const std::function<std::string(const std::string&)>& translate);
};

}  // namespace quillon
