#include "link/password_masker.h"

#include <algorithm>

#include "settings/settings.h"

namespace quillon {

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

bool MatchesAt(const std::string& text, size_t at, const std::string& lowerPassword) {
  if (text.size() - at < lowerPassword.size()) return false;
  for (size_t i = 0; i < lowerPassword.size(); ++i)
    if (LowerAscii(text[at + i]) != lowerPassword[i]) return false;
  return true;
}

}  // namespace

TPasswordMasker::TPasswordMasker(const std::vector<std::string>& passwords) {
  for (const std::string& password : passwords) Add(password);
}

void TPasswordMasker::Add(const std::string& password) {
  if (password.empty()) return;
  const std::string lower = LowerAscii(password);
  if (std::find(passwords_.begin(), passwords_.end(), lower) != passwords_.end()) return;
  passwords_.push_back(lower);
  std::stable_sort(passwords_.begin(), passwords_.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
}

std::string TPasswordMasker::Mask(const std::string& text) const {
  if (passwords_.empty()) return text;
  std::string out;
  size_t copied = 0;
  size_t at = 0;
  while (at < text.size()) {
    const std::string* found = nullptr;
    for (const std::string& password : passwords_)
      if (MatchesAt(text, at, password)) {
        found = &password;
        break;
      }
    if (found == nullptr) {
      ++at;
      continue;
    }
    out.append(text, copied, at - copied);
    out += '*';
    at += found->size();
    copied = at;
  }
  if (copied == 0) return text;
  out.append(text, copied, std::string::npos);
  return out;
}

TPasswordMasker PasswordMaskerFor(const TSettings& settings) {
  return TPasswordMasker({settings.Password, settings.MasterPassword, settings.EffectivePassword});
}

std::string MaskPasswords(const std::string& text, const TSettings& settings) {
  return PasswordMaskerFor(settings).Mask(text);
}

}  // namespace quillon
