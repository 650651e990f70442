// The interface language chosen at start: which language file replaces the built-in Russian
// texts (where the files lie: program_paths.h). Loading the file is the front end's part.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

class TIniFile;

// The locale's abbreviated language name as Windows reports it (1033 "ENU", 1049 "RUS");
// "" for 0 and for identifiers not in the table.
std::string LocaleAbbreviation(int32_t locale);

// Language files to try, in order: base (TProgramPaths::LanguageBase) followed by "." + the
// three-letter abbreviation + ".qm", then by its first two letters. Empty when the abbreviation
// or base is empty.
std::vector<std::string> LanguageFileCandidates(const std::string& base, int32_t locale);

// Interface/Language as an integer, 0 when absent or unreadable.
int32_t ReadLanguageSetting(const TIniFile& ini);
// The same from the program's settings file; read before any window exists.
int32_t ReadLanguageSetting();

}  // namespace quillon
