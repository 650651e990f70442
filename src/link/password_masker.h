// The one password masker: everything the program writes to the protocol log, prints or saves
// passes through it, so no password in force reaches a screen or a file. Each occurrence of a
// non-empty password becomes "*", compared without regard to ASCII letter case (terminals echo
// in either case). What the response processors and the status parser read is never masked.
#pragma once

#include <string>
#include <vector>

namespace quillon {

struct TSettings;

class TPasswordMasker {
 public:
  TPasswordMasker() = default;
  explicit TPasswordMasker(const std::vector<std::string>& passwords);

  // An empty password or one already known is ignored.
  void Add(const std::string& password);
  bool Empty() const { return passwords_.empty(); }

  // Left to right; where several passwords start at one place the longest is masked.
  std::string Mask(const std::string& text) const;

 private:
  std::vector<std::string> passwords_;  // lower-cased, longest first
};

// The passwords in force: Password, MasterPassword and EffectivePassword (the command line's
// --password and --master-password land in these).
TPasswordMasker PasswordMaskerFor(const TSettings& settings);
std::string MaskPasswords(const std::string& text, const TSettings& settings);

}  // namespace quillon
