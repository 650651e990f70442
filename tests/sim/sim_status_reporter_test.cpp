// The formats of the simulated status reports, as the status window reads them.
#include "sim/sim_status_reporter.h"

#include <gtest/gtest.h>

#include <regex>

#include "profile/text_utils.h"

namespace quillon {
namespace {

TEST(SimStatusReporterTest, FieldsHaveTheFormatsTheStatusWindowReads) {
  // 2023-11-14 22:13:20 UTC
  TSimStatusReporter reporter(1700000000, 1);
  std::string previousLat, previousLon;
  for (int64_t ms : {0, 1000, 61000}) {
    std::vector<std::string> lines = reporter.Reports(ms);
    ASSERT_EQ(lines.size(), 6u);
    std::vector<std::string> srep = SplitCsv(lines[2]);
    ASSERT_EQ(srep.size(), 21u);
    EXPECT_EQ(srep[14], std::to_string(ms / 1000)) << "uptime in seconds";
    int bits = std::stoi(srep[6]);
    EXPECT_EQ(bits & ~(128 | 8 | 4 | 2), 0);

    std::vector<std::string> sfpt = SplitCsv(lines[3]);
    ASSERT_EQ(sfpt.size(), 6u);
    for (int i = 1; i <= 3; ++i) EXPECT_TRUE(std::regex_match(sfpt[i], std::regex("[0-9A-F]{8}")));

    std::vector<std::string> snav = SplitCsv(lines[4]);
    ASSERT_EQ(snav.size(), 11u);
    EXPECT_TRUE(std::regex_match(snav[1], std::regex("\\d{6}"))) << snav[1];
    EXPECT_TRUE(std::regex_match(snav[2], std::regex("\\d{4}\\.\\d{4}[NS]"))) << snav[2];
    EXPECT_TRUE(std::regex_match(snav[3], std::regex("\\d{5}\\.\\d{4}[EW]"))) << snav[3];
    EXPECT_TRUE(std::regex_match(snav[6], std::regex("\\d{6}"))) << snav[6];
    EXPECT_NE(snav[3], previousLon) << "the vehicle moves";
    previousLon = snav[3];
    if (ms == 0) {
      EXPECT_EQ(snav[1], "221320");
      EXPECT_EQ(snav[6], "141123");
    }

    std::vector<std::string> sgsm = SplitCsv(lines[5]);
    ASSERT_EQ(sgsm.size(), 12u);
    int signal = std::stoi(sgsm[6]);
    EXPECT_GE(signal, 0);
    EXPECT_LE(signal, 31);

    EXPECT_GE(SplitCsv(lines[0]).size(), 5u);
    EXPECT_EQ(SplitCsv(lines[1]).size(), 7u);
    for (const std::string& line : lines) EXPECT_EQ(line.rfind("+RESP:", 0), 0u) << line;
  }
}

// The identity report's IMEI: 15 digits whose last is the Luhn check digit of the others.
TEST(SimStatusReporterTest, ImeiPassesTheLuhnCheck) {
  TSimStatusReporter reporter(1700000000, 1);
  const std::vector<std::string> dprm = SplitCsv(reporter.Reports(0)[0]);
  ASSERT_GE(dprm.size(), 5u);
  const std::string& imei = dprm[3];
  ASSERT_TRUE(std::regex_match(imei, std::regex("\\d{15}"))) << imei;
  int sum = 0;
  for (size_t i = 0; i < imei.size(); ++i) {
    int digit = imei[imei.size() - 1 - i] - '0';
    if (i % 2 == 1) digit = digit * 2 > 9 ? digit * 2 - 9 : digit * 2;
    sum += digit;
  }
  EXPECT_EQ(sum % 10, 0) << imei;
}

}  // namespace
}  // namespace quillon
