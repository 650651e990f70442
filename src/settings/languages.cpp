#include "settings/languages.h"

#include <algorithm>
#include <iterator>

#include "settings/ini_file.h"
#include "settings/settings.h"

namespace quillon {

namespace {

struct LocaleName {
  int32_t locale;
  const char* abbreviation;
};

// Abbreviated language names (two letters of language, one of sub-language) as the Windows
// national-language tables give them, sorted by identifier.
constexpr LocaleName kLocaleNames[] = {
    {1025, "ARA"}, {1026, "BGR"}, {1027, "CAT"}, {1028, "CHT"}, {1029, "CSY"}, {1030, "DAN"},
    {1031, "DEU"}, {1032, "ELL"}, {1033, "ENU"}, {1034, "ESP"}, {1035, "FIN"}, {1036, "FRA"},
    {1037, "HEB"}, {1038, "HUN"}, {1039, "ISL"}, {1040, "ITA"}, {1041, "JPN"}, {1042, "KOR"},
    {1043, "NLD"}, {1044, "NOR"}, {1045, "PLK"}, {1046, "PTB"}, {1048, "ROM"}, {1049, "RUS"},
    {1050, "HRV"}, {1051, "SKY"}, {1052, "SQI"}, {1053, "SVE"}, {1054, "THA"}, {1055, "TRK"},
    {1056, "URD"}, {1057, "IND"}, {1058, "UKR"}, {1059, "BEL"}, {1060, "SLV"}, {1061, "ETI"},
    {1062, "LVI"}, {1063, "LTH"}, {1064, "TAJ"}, {1065, "FAR"}, {1066, "VIT"}, {1067, "HYE"},
    {1068, "AZE"}, {1069, "EUQ"}, {1071, "MKI"}, {1078, "AFK"}, {1079, "KAT"}, {1080, "FOS"},
    {1081, "HIN"}, {1086, "MSL"}, {1087, "KKZ"}, {1088, "KYR"}, {1089, "SWK"}, {1090, "TUK"},
    {1091, "UZB"}, {1092, "TTT"}, {1104, "MON"}, {1110, "GLC"}, {2049, "ARI"}, {2052, "CHS"},
    {2055, "DES"}, {2057, "ENG"}, {2058, "ESM"}, {2060, "FRB"}, {2064, "ITS"}, {2067, "NLB"},
    {2068, "NON"}, {2070, "PTG"}, {2077, "SVF"}, {3073, "ARE"}, {3076, "ZHH"}, {3079, "DEA"},
    {3081, "ENA"}, {3082, "ESN"}, {3084, "FRC"}, {4100, "ZHI"}, {4103, "DEL"}, {4105, "ENC"},
    {4108, "FRS"}, {5127, "DEC"}, {5129, "ENZ"}, {5132, "FRL"}, {6153, "ENI"}, {7177, "ENS"},
};
static_assert(std::is_sorted(std::begin(kLocaleNames), std::end(kLocaleNames),
                             [](const LocaleName& a, const LocaleName& b) {
                               return a.locale < b.locale;
                             }));

}  // namespace

std::string LocaleAbbreviation(int32_t locale) {
  auto it = std::lower_bound(std::begin(kLocaleNames), std::end(kLocaleNames), locale,
                             [](const LocaleName& n, int32_t id) { return n.locale < id; });
  if (it == std::end(kLocaleNames) || it->locale != locale) return "";
  return it->abbreviation;
}

std::vector<std::string> LanguageFileCandidates(const std::string& base, int32_t locale) {
  std::string abbreviation = LocaleAbbreviation(locale);
  if (abbreviation.empty() || base.empty()) return {};
  return {base + "." + abbreviation + ".qm", base + "." + abbreviation.substr(0, 2) + ".qm"};
}

int32_t ReadLanguageSetting(const TIniFile& ini) {
  return ini.ReadInteger("Interface", "Language", 0);
}

int32_t ReadLanguageSetting() {
  return ReadLanguageSetting(*OpenSettingsFile());
}

}  // namespace quillon
