// The status reports of the simulated terminal: one line of each kind ("DPRM", "TREP", "SREP",
// "SFPT", "SNAV", "SGSM") for a moment of its run, plausible and changing from second to second
// (uptime counting, a vehicle moving east, satellites and signal drifting).
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quillon {

// Who the simulated terminal is: its identity report and its "+SVER" answer tell the same. The
// IMEI ends in a valid Luhn check digit.
inline constexpr const char* kSimModel = "VT-300";
inline constexpr const char* kSimTrackerId = "000417";
inline constexpr const char* kSimImei = "860417050417364";
inline constexpr const char* kSimFirmware = "2.14.0";

class TSimStatusReporter {
 public:
  // startUtc: the wall-clock time (seconds since 1970, UTC) at which the terminal started.
  TSimStatusReporter(int64_t startUtc, uint32_t seed, std::string imei = kSimImei);

  // The six lines, without line ends, for the moment uptimeMs after the start.
  std::vector<std::string> Reports(int64_t uptimeMs);

 private:
  std::string Identity() const;
  std::string SelfTest() const;
  std::string Sensors(int64_t seconds);
  std::string Memory(int64_t seconds) const;
  std::string Navigation(int64_t seconds);
  std::string Gsm(int64_t seconds);

  int64_t startUtc_;
  std::string imei_;
  std::mt19937 random_;
  int satellites_ = 8;
  int signal_ = 18;
};

}  // namespace quillon
