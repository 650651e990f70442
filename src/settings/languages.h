// The interface language chosen at start: which language file beside the executable replaces
// the built-in Russian texts. Loading the file is the front end's part.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

class TIniFile;

// The locale's abbreviated language name as Windows reports it (1033 "ENU", 1049 "RUS");
// "" for 0 and for identifiers not in the table.
std::string LocaleAbbreviation(int32_t locale);

// Language files to try, in order: the executable's path followed by "." + the three-letter
// abbreviation + ".qm", then by its first two letters. Empty when the abbreviation or the path
// is empty.
std::vector<std::string> LanguageFileCandidates(const std::string& executablePath, int32_t locale);

// Interface/Language as an integer, 0 when absent or unreadable.
int32_t ReadLanguageSetting(const TIniFile& ini);
// The same from the settings file beside the executable; read before any window exists.
int32_t ReadLanguageSetting();

}  // namespace quillon
