// The station's identity: a random id and an Ed25519 key pair, made on first use and kept in
// the settings folder in one file readable by its owner alone. Events name the station by its
// id; records that must show where they were made (acceptance records) are signed with its key
// and name it by the fingerprint of the public key.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

class TStationIdentity {
 public:
  static constexpr const char* kFileName = "quillon-station.key";
  static constexpr size_t kPublicKeySize = 32;
  static constexpr size_t kSignatureSize = 64;
  using TPublicKey = std::array<unsigned char, kPublicKeySize>;

  // The identity kept in folder (with a trailing "/"), made and written there when there is
  // none yet (the folder too, mode 0700). Two programs starting at once end with the same one:
  // the file is written under a temporary name and linked into place only when no other got
  // there first. Nothing, with the reason in error (UTF-8), when the file cannot be read or
  // written or is damaged; a damaged file is left as it is, never replaced.
  static std::optional<TStationIdentity> LoadOrCreate(const std::string& folder,
                                                      std::string& error);

  TStationIdentity(const TStationIdentity&) = default;
  TStationIdentity& operator=(const TStationIdentity&) = default;
  ~TStationIdentity();

  // A random UUID, e.g. "3f2b8c1e-9d4a-4c1b-8e2f-0a1b2c3d4e5f".
  const std::string& Id() const { return id_; }
  const TPublicKey& PublicKey() const { return publicKey_; }
  // The public key in base64, as records carry it.
  std::string PublicKeyText() const;
  // "SHA256:" and the unpadded base64 of the public key's SHA-256, as ssh shows keys.
  std::string Fingerprint() const;

  // The detached Ed25519 signature of the bytes (64 bytes).
  std::string Sign(std::string_view message) const;

  static std::string FingerprintOf(const TPublicKey& publicKey);
  // The public key from its base64 text; nothing when it is not one.
  static std::optional<TPublicKey> PublicKeyFromText(const std::string& text);
  // Whether signature is a valid signature of message by the holder of publicKey.
  static bool Verify(const TPublicKey& publicKey, std::string_view message,
                     std::string_view signature);

 private:
  TStationIdentity() = default;

  std::string id_;
  TPublicKey publicKey_{};
  std::array<unsigned char, 64> secretKey_{};  // libsodium's form: the seed, then the public key
};

}  // namespace quillon
