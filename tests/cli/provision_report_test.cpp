// What the provisioning parent reads from its workers and writes for the operator: the JSON
// lines, the report's RFC 4180 fields, the summary, and the live view in both of its forms.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "cli/json_value.h"
#include "cli/provision_live.h"
#include "cli/provision_report.h"

namespace quillon::cli {
namespace {

TEST(ProvisionJson, ReadsWorkerLinesAndRefusesBrokenOnes) {
  const auto done =
      ParseJson(R"( {"event":"done","result":"failed","written":3,"seconds":1.25,"stored":false,)"
                R"("first_error":"\"+SSRV#2\" \u043e\u0442\u043a\u0430\u0437\ud83d\ude00\n",)"
                R"("differences":[{"index":0,"sent":"a","read":null}]} )");
  ASSERT_TRUE(done);
  EXPECT_EQ(done->Text("event"), "done");
  EXPECT_EQ(done->Num("written"), 3);
  EXPECT_EQ(done->Num("seconds"), 1.25);
  EXPECT_FALSE(done->Flag("stored", true));
  EXPECT_EQ(done->Text("first_error"),
            "\"+SSRV#2\" \xD0\xBE\xD1\x82\xD0\xBA\xD0\xB0\xD0\xB7"
            "\xF0\x9F\x98\x80\n");
  ASSERT_TRUE(done->Find("differences"));
  EXPECT_EQ(done->Find("differences")->Items.at(0).Text("sent"), "a");
  // A missing or differently typed member takes the fallback.
  EXPECT_EQ(done->Text("written", "none"), "none");
  EXPECT_EQ(done->Num("imei", -1), -1);

  for (const char* broken :
       {"", "{", "{\"a\":}", "{\"a\":1,}", "{\"a\" 1}", "[1 2]", "{\"a\":\"x\ny\"}",
        "{\"a\":\"\\q\"}", "{\"a\":\"\\u12\"}", "{} {}", "nul", "{\"a\":1}x", "\"open"})
    EXPECT_FALSE(ParseJson(broken)) << broken;
  // Nesting is bounded: a hostile line cannot exhaust the stack.
  EXPECT_FALSE(ParseJson(std::string(100000, '[')));
  EXPECT_TRUE(ParseJson(std::string(50, '[') + std::string(50, ']')));
}

TEST(ProvisionReport, FieldsQuotedAsRfc4180) {
  const struct {
    const char* text;
    const char* field;
  } cases[] = {
      {"plain", "plain"},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"say \"no\"", "\"say \"\"no\"\"\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {"lf\nonly", "\"lf\nonly\""},
  };
  for (const auto& c : cases) EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

TEST(ProvisionReport, RowsOfProvisionedUnitsOnly) {
  TUnitOutcome passed;
  passed.Port = "/dev/ttyUSB0";
  passed.Imei = "860417050417364";
  passed.Model = "VT-1";
  passed.Firmware = "2.1, beta";
  passed.Result = "passed";
  passed.Written = passed.Verified = 14;
  passed.Seconds = 12.345;
  TUnitOutcome failed;
  failed.Port = "/dev/ttyUSB1";
  failed.Written = 3;
  failed.Failed = 1;
  failed.FirstError = "+SSRV#2: refused (\"PASSWORD\")";
  TUnitOutcome skipped = passed;
  skipped.Port = "/dev/serial/by-id/usb-x";
  skipped.Result = "skipped";

  EXPECT_EQ(ReportCsv({passed, failed, skipped}),
            std::string(kReportHeader) +
                "\r\n"
                "/dev/ttyUSB0,860417050417364,VT-1,\"2.1, beta\",passed,14,14,0,0,12.3,\r\n"
                "/dev/ttyUSB1,,,,failed,3,0,0,1,0.0,\"+SSRV#2: refused (\"\"PASSWORD\"\")\"\r\n");
  EXPECT_EQ(std::string(kReportHeader),
            "port,imei,model,firmware,result,written,verified,differing,failed,seconds,"
            "first_error");

  const std::string summary = SummaryTable({passed, failed, skipped});
  EXPECT_NE(summary.find("/dev/ttyUSB1  -                failed  3"), std::string::npos) << summary;
  EXPECT_NE(summary.find("2 units: 1 passed, 1 failed, 1 skipped (IMEI already provisioned in "
                         "this run)\n"),
            std::string::npos)
      << summary;
  EXPECT_EQ(SummaryTable({}), std::string("port  imei  result  written  verified  differing  "
                                          "failed  seconds  first error\n0 units: 0 passed, 0 "
                                          "failed\n"));
}

TEST(ProvisionReport, OutcomeOfDoneLineAndOfAWorkerThatDied) {
  const auto done = ParseJson(
      R"({"event":"done","result":"weird","imei":"860417050417364","written":-4,)"
      R"("verified":"7","seconds":1e308,"first_error":"","snapshot":"s/x.zxml","stored":true})");
  ASSERT_TRUE(done);
  const TUnitOutcome o = OutcomeFromDone("/dev/ttyACM0", *done);
  EXPECT_EQ(o.Port, "/dev/ttyACM0");
  EXPECT_EQ(o.Result, "failed");  // anything but passed or skipped is a failure
  EXPECT_EQ(o.FirstError, "failed without a reason");
  EXPECT_EQ(o.Written, 0);
  EXPECT_EQ(o.Verified, 0);
  EXPECT_EQ(o.Snapshot, "s/x.zxml");
  EXPECT_TRUE(o.Stored);

  for (const auto& [how, text] :
       std::vector<std::pair<int, std::string>>{{-SIGKILL, "worker ended unexpectedly (signal 9)"},
                                                {3, "worker ended unexpectedly (exit 3)"},
                                                {0, "worker ended unexpectedly (exit 0)"}}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (how < 0) raise(-how);
      _exit(how);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(UnexpectedEnd(status), text);
  }
}

std::string Drawn(bool terminal, void (*draw)(TProvisionLive&)) {
  char* buffer = nullptr;
  size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  {
    TProvisionLive live(out, terminal, 30);
    draw(live);
  }
  std::fclose(out);
  std::string text(buffer, size);
  free(buffer);
  return text;
}

void TwoPorts(TProvisionLive& live) {
  live.Stage("/dev/A", "connecting", "");
  live.Stage("/dev/B", "connecting", "");
  live.Refresh(true);
  live.Identity("/dev/A", "860417050417364", "VT-1", "");
  live.Stage("/dev/A", "writing", "+SSRV#1 1/3");
  live.Stage("/dev/A", "writing", "+SSRV#2 2/3");         // same stage: the terminal's line only
  live.Stage("/dev/B", "storing", "storing into flash");  // the text names its stage already
  live.Finish("/dev/A", "passed in 1.0 s");
  live.Refresh(true);
}

TEST(ProvisionLive, OneLinePerChangeOffATerminal) {
  EXPECT_EQ(Drawn(false, TwoPorts),
            "/dev/A: connecting\n"
            "/dev/B: connecting\n"
            "/dev/A: IMEI 860417050417364, VT-1\n"
            "/dev/A: writing +SSRV#1 1/3\n"
            "/dev/B: storing into flash\n"
            "/dev/A: passed in 1.0 s\n");
}

TEST(ProvisionLive, RedrawsInPlaceOnATerminal) {
  // Lines cut to the width (30 columns) so that none wraps; a finished line stays above.
  EXPECT_EQ(
      Drawn(true, TwoPorts),
      "\r\x1b[J/dev/A  -  connecting\n/dev/B  -  connecting\n"
      "\x1b[2A\r\x1b[J/dev/A  860417050417364  passed in 1.0 s\n/dev/B  -  storing into flash\n");
}

}  // namespace
}  // namespace quillon::cli
