#include "sim/sim_status_reporter.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <utility>

namespace quillon {

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

// Degrees and minutes as DDMM.MMMM (width 2) or DDDMM.MMMM (width 3).
std::string DegreesMinutes(double degrees, int width, char hemisphere) {
  int whole = static_cast<int>(degrees);
  double minutes = (degrees - whole) * 60.0;
  if (minutes >= 59.99995) {
    ++whole;
    minutes = 0;
  }
  return Format("%0*d%07.4f%c", width, whole, minutes, hemisphere);
}

}  // namespace

TSimStatusReporter::TSimStatusReporter(int64_t startUtc, uint32_t seed, std::string imei)
    : startUtc_(startUtc), imei_(std::move(imei)), random_(seed) {}

std::vector<std::string> TSimStatusReporter::Reports(int64_t uptimeMs) {
  int64_t seconds = uptimeMs / 1000;
  return {Identity(),      SelfTest(),          Sensors(seconds),
          Memory(seconds), Navigation(seconds), Gsm(seconds)};
}

std::string TSimStatusReporter::Identity() const {
  return std::string("+RESP:DPRM,") + kSimModel + "," + kSimTrackerId + "," + imei_ + "," +
         kSimFirmware;
}

std::string TSimStatusReporter::SelfTest() const {
  return "+RESP:TREP,EF4017,0,0,0,0,1";
}

std::string TSimStatusReporter::Sensors(int64_t seconds) {
  // Input 1 follows the ignition (on), the relay opens and closes every ten seconds.
  int bits = 8 | ((seconds / 10) % 2 ? 128 : 0);
  std::uniform_int_distribution<int> jitter(-12, 12);
  long long count = static_cast<long long>(seconds);
  return Format("+RESP:SREP,%d,%lld,%d,%lld,%lld,%d,%d,%.2f,%.2f,%d,%d,%d,%d,%lld,%lld,0,1,0,1,0",
                50 + jitter(random_) / 4, count * 3, 0, count / 7, count / 60, bits,
                4200 + jitter(random_), 12.6 + jitter(random_) / 100.0,
                4.1 + jitter(random_) / 1000.0, static_cast<int>(23 + (seconds / 120) % 3),
                jitter(random_), jitter(random_), 1000 + jitter(random_), count, 300 - count % 301);
}

std::string TSimStatusReporter::Memory(int64_t seconds) const {
  const unsigned size = 0x400000;
  unsigned read = 0x1A000 + static_cast<unsigned>(seconds / 30) * 0x400;
  unsigned write = 0x1C340 + static_cast<unsigned>(seconds) * 0x40;
  int slotsFree = 28 + static_cast<int>(seconds % 5);
  return Format("+RESP:SFPT,%08X,%08X,%08X,%d,32", read, write, size, slotsFree);
}

std::string TSimStatusReporter::Navigation(int64_t seconds) {
  std::time_t now = static_cast<std::time_t>(startUtc_ + seconds);
  std::tm utc{};
  gmtime_r(&now, &utc);
  // About 40 km/h to the east, with a slow sway to the north and south.
  double t = static_cast<double>(seconds);
  double latitude = 55.752 + 0.002 * std::sin(t / 90.0);
  double longitude = 37.6175 + t * 0.000177;
  std::uniform_int_distribution<int> step(-1, 1);
  satellites_ += step(random_);
  if (satellites_ < 5) satellites_ = 5;
  if (satellites_ > 14) satellites_ = 14;
  double speed = 40.0 + 5.0 * std::sin(t / 20.0);
  int azimuth = static_cast<int>(90 + 10 * std::cos(t / 90.0));
  return Format("+RESP:SNAV,%02d%02d%02d,%s,%s,%.1f,%d,%02d%02d%02d,3,%d,%.1f,14.2", utc.tm_hour,
                utc.tm_min, utc.tm_sec, DegreesMinutes(latitude, 2, 'N').c_str(),
                DegreesMinutes(longitude, 3, 'E').c_str(), speed, azimuth, utc.tm_mday,
                utc.tm_mon + 1, utc.tm_year % 100, satellites_, 150.5 + t / 100.0);
}

std::string TSimStatusReporter::Gsm(int64_t seconds) {
  std::uniform_int_distribution<int> step(-2, 2);
  signal_ += step(random_);
  if (signal_ < 8) signal_ = 8;
  if (signal_ > 31) signal_ = 31;
  // Connecting for the first seconds, then connected.
  int serverState = seconds < 3 ? 6 : 8;
  return Format("+RESP:SGSM,1,1,%d,25001,Veltra GSM,%d,193.0.2.10,20100,internet,gdata,gdata",
                serverState, signal_);
}

}  // namespace quillon
