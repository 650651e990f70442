// The details of each kind of event, built in one place so that every front end records the
// same keys. Values of the terminal come in as the logic holds them (Windows-1251) and are
// stored as UTF-8. Nothing secret goes in: passwords in force are masked as everywhere else,
// and a parameter the terminal cannot read back (no Overwrite) is recorded as "set", never
// with its value.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

class TPasswordMasker;
struct TDevCommand;

// One value per parameter of a command, indexed from 0; nothing where it is not known (not
// read before a write) or not sent (an optional parameter left unticked).
using TParameterValues = std::vector<std::optional<std::string>>;

// A write of one instance (from 0) of a command: each parameter that was sent, with the value
// it held before (when a poll or a snapshot read it first, else null) and the value written.
nlohmann::json WriteDetails(const TDevCommand& command, int instance,
                            const TParameterValues& before, const TParameterValues& sent,
                            const TPasswordMasker& masker);

// The outcome of verifying a write of one instance (from 0): a result text of the engine's
// write verification ("verified", "differs", ...).
nlohmann::json VerifyDetails(const TDevCommand& command, int instance, const std::string& result);

// A snapshot written, or a configuration file restored: the file's name (UTF-8) and SHA-256.
nlohmann::json FileDetails(const std::string& file, const std::string& sha256);

// Settings stored into the terminal's flash, or not.
nlohmann::json StoreDetails(bool stored);

// A unit provisioned: the SHA-256 of the template and of the unit's row, and its result.
nlohmann::json ProvisionDetails(const std::string& templateSha256, const std::string& unitSha256,
                                const std::string& result);

// The operator's note (Windows-1251, as the logic holds the command line's text), masked.
nlohmann::json NoteDetails(const std::string& text, const TPasswordMasker& masker);

}  // namespace quillon
