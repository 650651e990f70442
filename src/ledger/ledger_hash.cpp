#include "ledger/ledger_hash.h"

#include <sodium.h>

#include <array>
#include <cstdio>
#include <memory>

namespace quillon {

const char kGenesisHash[] = "0000000000000000000000000000000000000000000000000000000000000000";

std::string HexText(const unsigned char* bytes, size_t size) {
  std::string text(size * 2 + 1, '\0');
  sodium_bin2hex(text.data(), text.size(), bytes, size);
  text.pop_back();
  return text;
}

bool BytesFromHex(std::string_view text, unsigned char* out, size_t size) {
  size_t length = 0;
  const char* end = nullptr;
  return text.size() == size * 2 &&
         sodium_hex2bin(out, size, text.data(), text.size(), nullptr, &length, &end) == 0 &&
         length == size && end == text.data() + text.size();
}

bool SodiumReady() {
  static const bool ready = sodium_init() >= 0;  // thread-safe, and a second call is harmless
  return ready;
}

std::string Sha256Hex(std::string_view bytes) {
  std::array<unsigned char, crypto_hash_sha256_BYTES> digest{};
  crypto_hash_sha256(digest.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                     bytes.size());
  return HexText(digest.data(), digest.size());
}

std::optional<std::string> ChainHash(std::string_view previousHash, std::string_view body) {
  std::array<unsigned char, crypto_hash_sha256_BYTES> previous{};
  if (!BytesFromHex(previousHash, previous.data(), previous.size())) return std::nullopt;
  crypto_hash_sha256_state state;
  crypto_hash_sha256_init(&state);
  crypto_hash_sha256_update(&state, previous.data(), previous.size());
  crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char*>(body.data()),
                            body.size());
  std::array<unsigned char, crypto_hash_sha256_BYTES> digest{};
  crypto_hash_sha256_final(&state, digest.data());
  return HexText(digest.data(), digest.size());
}

std::optional<std::string> FileSha256(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) return std::nullopt;
  crypto_hash_sha256_state state;
  crypto_hash_sha256_init(&state);
  std::array<unsigned char, 65536> buffer;
  size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0)
    crypto_hash_sha256_update(&state, buffer.data(), n);
  if (std::ferror(file.get())) return std::nullopt;
  std::array<unsigned char, crypto_hash_sha256_BYTES> digest{};
  crypto_hash_sha256_final(&state, digest.data());
  return HexText(digest.data(), digest.size());
}

}  // namespace quillon
