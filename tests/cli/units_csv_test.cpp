// UNITS.csv: the records as RFC 4180 splits them, and the whole file checked against the
// program's profile before provisioning opens any port.
#include "cli/units_csv.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(UnitsCsv, SplitsRecordsAsRfc4180) {
  using Records = std::vector<std::vector<std::string>>;
  struct Case {
    const char* text;
    Records records;
    const char* error;
  } cases[] = {
      {"a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}, ""},
      {"a,b\n1,2", {{"a", "b"}, {"1", "2"}}, ""},                 // LF and no final line end
      {"a,\"x,\"\"y\"\"\r\nz\"\n", {{"a", "x,\"y\"\r\nz"}}, ""},  // comma, quote, line break
      {"a,,\n", {{"a", "", ""}}, ""},
      {"\"\",b\n", {{"", "b"}}, ""},
      {"", {}, ""},
      {"a,b\"c\n", {}, "line 1: stray quote"},
      {"a\n\"b\"c\n", {}, "line 2: text after a closing quote"},
      {"a\n\"b\n", {}, "line 3: a quoted field is not closed"},
  };
  for (const Case& c : cases) {
    Records records;
    EXPECT_EQ(cli::SplitCsvRecords(c.text, records), c.error) << c.text;
    if (!*c.error) {
      EXPECT_EQ(records, c.records) << c.text;
    }
  }
}

class UnitsCsvCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_.LoadCommandProfile("cmdprofile.xml");
    ASSERT_FALSE(profile_.Pages.empty());
  }
  std::string Read(const std::string& text) { return cli::ReadUnitsCsv(profile_, text, table_); }
  CommandProfile profile_;
  cli::TUnitsTable table_;
};

TEST_F(UnitsCsvCheck, RowsResolveToTheirParameters) {
  ASSERT_EQ(Read("\xEF\xBB\xBFIMEI,+SSRV#2[0],+STIM[0]\r\n"
                 "356938035643809,10.0.0.7,3\r\n"
                 "860417050417364,,-2\r\n"),
            "");
  ASSERT_EQ(table_.Rows.size(), 2u);
  const auto& first = table_.Rows.at("356938035643809");
  ASSERT_EQ(first.size(), 2u);
  int page = 0, command = 0;
  ASSERT_TRUE(profile_.FindCommand("+SSRV", page, command));
  EXPECT_EQ(first[0].Page, page);
  EXPECT_EQ(first[0].Command, command);
  EXPECT_EQ(first[0].Instance, 1);
  EXPECT_EQ(first[0].Param, 0);
  EXPECT_EQ(first[0].Value, "10.0.0.7");
  // An empty cell keeps the template's value: no entry for it.
  ASSERT_EQ(table_.Rows.at("860417050417364").size(), 1u);
  EXPECT_EQ(table_.Rows.at("860417050417364")[0].Value, "-2");
}

TEST_F(UnitsCsvCheck, EveryFaultIsFoundBeforeAnyPortOpens) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "no header row"},
      {"+STIM[0]\n3\n", "line 1: the IMEI column is required"},
      {"IMEI,IMEI\n", "line 1: IMEI is named twice"},
      {"IMEI,+NOPE[0]\n", "line 1: '+NOPE[0]': no command +NOPE in the profile"},
      {"IMEI,+STIM\n", "line 1: '+STIM' is no address NAME[P] or NAME#K[P]"},
      {"IMEI,+STIM[99]\n", "line 1: '+STIM[99]': no parameter 99"},
      {"IMEI,+SSRV[0]\n", "line 1: '+SSRV[0]': the command is indexed, give #K"},
      {"IMEI,+STIM#2[0]\n", "line 1: '+STIM#2[0]': +STIM is not indexed; --instance can only be 1"},
      {"IMEI,+STIM[0],+STIM[0]\n", "line 1: '+STIM[0]' is named twice"},
      {"IMEI,+STIM[0]\n356938035643809\n", "row 2: 1 fields, the header has 2"},
      {"IMEI,+STIM[0]\n35693803564380,1\n", "row 2: IMEI '35693803564380' is not 15 digits"},
      {"IMEI,+STIM[0]\n356938035643809,1\n356938035643809,2\n",
       "row 3: IMEI 356938035643809 has a row already"},
      {"IMEI,+STIM[0]\n356938035643809,x\n", "row 2, +STIM[0]: not a decimal integer"},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.text), c.error) << c.text;
}

}  // namespace
}  // namespace quillon
