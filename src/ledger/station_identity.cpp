#include "ledger/station_identity.h"

#include <sodium.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "ledger/ledger_hash.h"
#include "ledger/private_files.h"

namespace quillon {

namespace {

constexpr size_t kSeedSize = crypto_sign_SEEDBYTES;
constexpr size_t kMaxFileSize = 4096;

std::string Base64(const unsigned char* bytes, size_t size, int variant) {
  std::string text(sodium_base64_encoded_len(size, variant), '\0');
  sodium_bin2base64(text.data(), text.size(), bytes, size, variant);
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
}

// Exactly size bytes from base64 text.
bool FromBase64(const std::string& text, unsigned char* out, size_t size) {
  size_t length = 0;
  const char* end = nullptr;
  return sodium_base642bin(out, size, text.data(), text.size(), nullptr, &length, &end,
                           sodium_base64_VARIANT_ORIGINAL) == 0 &&
         length == size && end == text.data() + text.size();
}

std::string NewUuid() {
  unsigned char bytes[16];
  randombytes_buf(bytes, sizeof bytes);
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4: random
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  const std::string hex = HexText(bytes, sizeof bytes);
  return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" +
         hex.substr(16, 4) + "-" + hex.substr(20);
}

// The file's "name=value" lines; false when it is too large to be ours or cannot be read.
bool ReadFields(const std::string& path, std::string& id, std::string& publicKey, std::string& seed,
                std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read";
    return false;
  }
  std::string text(kMaxFileSize + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  if (text.size() > kMaxFileSize) {
    error = path + ": not a station key file (too large)";
    return false;
  }
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (line.empty() || line[0] == '#' || eq == std::string::npos) continue;
    const std::string name = line.substr(0, eq), value = line.substr(eq + 1);
    if (name == "id") id = value;
    if (name == "public") publicKey = value;
    if (name == "seed") seed = value;
  }
  return true;
}

}  // namespace

std::optional<TStationIdentity> TStationIdentity::LoadOrCreate(const std::string& folder,
                                                               std::string& error) {
  if (!SodiumReady()) {
    error = "the cryptography library cannot start (no source of random numbers)";
    return std::nullopt;
  }
  const std::string path = folder + kFileName;
  if (::access(path.c_str(), F_OK) != 0) {
    if (!MakePrivateFolders(folder, error)) return std::nullopt;
    TStationIdentity made;
    unsigned char seed[kSeedSize];
    randombytes_buf(seed, sizeof seed);
    crypto_sign_seed_keypair(made.publicKey_.data(), made.secretKey_.data(), seed);
    std::string text =
        "# Quillon station identity. Keep this file private: whoever holds it signs in this "
        "station's name.\n"
        "id=" +
        NewUuid() + "\n" + "public=" + made.PublicKeyText() + "\n" +
        "seed=" + HexText(seed, sizeof seed) + "\n";
    sodium_memzero(seed, sizeof seed);
    bool created = false;
    const bool published = PublishPrivateFile(path, text, created, error);
    sodium_memzero(text.data(), text.size());
    if (!published) return std::nullopt;
    // Whether this program made it or another got there first, the file is the identity.
  }
  std::string id, publicText, seedText;
  if (!ReadFields(path, id, publicText, seedText, error)) return std::nullopt;
  TStationIdentity loaded;
  unsigned char seed[kSeedSize];
  TPublicKey stored{};
  const bool complete = !id.empty() && BytesFromHex(seedText, seed, sizeof seed) &&
                        FromBase64(publicText, stored.data(), stored.size());
  sodium_memzero(seedText.data(), seedText.size());
  if (!complete) {
    error = path +
            ": damaged station key file (an id, a public key or a seed is missing or "
            "malformed); it was left as it is";
    return std::nullopt;
  }
  crypto_sign_seed_keypair(loaded.publicKey_.data(), loaded.secretKey_.data(), seed);
  sodium_memzero(seed, sizeof seed);
  if (loaded.publicKey_ != stored) {
    error = path +
            ": damaged station key file (the public key does not belong to the seed); "
            "it was left as it is";
    return std::nullopt;
  }
  loaded.id_ = id;
  return loaded;
}

TStationIdentity::~TStationIdentity() {
  sodium_memzero(secretKey_.data(), secretKey_.size());
}

std::string TStationIdentity::PublicKeyText() const {
  return Base64(publicKey_.data(), publicKey_.size(), sodium_base64_VARIANT_ORIGINAL);
}

std::string TStationIdentity::Fingerprint() const {
  return FingerprintOf(publicKey_);
}

std::string TStationIdentity::FingerprintOf(const TPublicKey& publicKey) {
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, publicKey.data(), publicKey.size());
  return "SHA256:" + Base64(digest, sizeof digest, sodium_base64_VARIANT_ORIGINAL_NO_PADDING);
}

std::optional<TStationIdentity::TPublicKey> TStationIdentity::PublicKeyFromText(
    const std::string& text) {
  TPublicKey key{};
  if (!FromBase64(text, key.data(), key.size())) return std::nullopt;
  return key;
}

std::string TStationIdentity::Sign(std::string_view message) const {
  std::string signature(kSignatureSize, '\0');
  crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                       reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                       secretKey_.data());
  return signature;
}

bool TStationIdentity::Verify(const TPublicKey& publicKey, std::string_view message,
                              std::string_view signature) {
  if (!SodiumReady() || signature.size() != kSignatureSize) return false;
  return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                     reinterpret_cast<const unsigned char*>(message.data()),
                                     message.size(), publicKey.data()) == 0;
}

}  // namespace quillon
