// SHA-256 as the ledger uses it: the hash chain of events and the digests of files an event
// names (a snapshot, a restored configuration). Hashes are written as 64 lower-case hex digits.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The hash before the first event: 64 zeros.
extern const char kGenesisHash[];

// Prepares libsodium once per process; false when it cannot be used (no entropy source).
bool SodiumReady();

// The bytes as lower-case hex digits.
std::string HexText(const unsigned char* bytes, size_t size);
// Exactly size bytes from hex digits (either case); false for anything else.
bool BytesFromHex(std::string_view text, unsigned char* out, size_t size);

// SHA-256 of the bytes, in hex.
std::string Sha256Hex(std::string_view bytes);

// The hash of an event: SHA-256 over the previous event's hash (its 32 bytes, not the hex
// text) followed by the event's canonical JSON. Nothing when previousHash is not 64 hex digits.
std::optional<std::string> ChainHash(std::string_view previousHash, std::string_view body);

// SHA-256 of a file's contents in hex, read in pieces; nothing when it cannot be read.
std::optional<std::string> FileSha256(const std::string& path);

}  // namespace quillon
