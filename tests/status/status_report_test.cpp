#include "status/status_report.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "status/status_exchange.h"

namespace quillon {
namespace {

// Texts by field, ticks by check box, and the other updates by name.
struct Shown {
  std::map<std::string, std::string> texts;
  std::map<std::string, bool> checks;
  std::vector<std::string> others;
};

Shown Apply(const std::vector<TStatusUpdate>& updates) {
  Shown shown;
  for (const TStatusUpdate& u : updates) {
    switch (u.Kind) {
      case TStatusUpdateKind::Text:
        shown.texts[u.Field] = u.Text;
        break;
      case TStatusUpdateKind::Check:
        shown.checks[u.Field] = u.Value;
        break;
      case TStatusUpdateKind::Overflow:
        shown.others.push_back(u.Field + (u.Value ? "=shown" : "=hidden"));
        break;
      case TStatusUpdateKind::SignalBar:
        shown.others.push_back(u.Field);
        break;
    }
  }
  return shown;
}

std::string Field(const std::string& line, const std::string& field) {
  const Shown shown = Apply(ParseStatusReport(line));
  const auto it = shown.texts.find(field);
  return it == shown.texts.end() ? "<none>" : it->second;
}

const std::string kSrep = "+RESP:SREP,1,2,3,4,5,";
const std::string kSrepTail = ",7,8,9,10,11,12,13,";
std::string Srep(const std::string& bits, const std::string& uptime = "0",
                 const std::string& flags = "1,1,1,1,1") {
  return kSrep + bits + kSrepTail + uptime + ",15," + flags;
}
std::string Sfpt(const std::string& rd, const std::string& wr, const std::string& size) {
  return "+RESP:SFPT," + rd + "," + wr + "," + size + ",4,5";
}
std::string Snav(const std::string& time, const std::string& lat, const std::string& lon,
                 const std::string& date, const std::string& h1, const std::string& h2) {
  return "+RESP:SNAV," + time + "," + lat + "," + lon + ",40.5,90," + date + ",3,9," + h1 + "," +
         h2;
}
std::string Sgsm(const std::string& reg, const std::string& gprs, const std::string& state) {
  return "+RESP:SGSM," + reg + "," + gprs + "," + state + ",x,Op,17,10.0.0.1,20100,apn,u,p";
}
std::string Trep(const std::string& flash, const std::string& sim) {
  return "+RESP:TREP,EF40," + flash + ",0,3,0," + sim;
}

struct FieldCase {
  const char* name;
  std::string line;
  std::string field;
  std::string text;  // "<none>": the report changes nothing
};

class StatusFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(StatusFieldTest, ShowsTheText) {
  EXPECT_EQ(Field(GetParam().line, GetParam().field), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusFieldTest,
    ::testing::Values(
        // Prefix, kind and item counts.
        FieldCase{"Dprm", "+RESP:DPRM,VT-300,417,861234050417369,2.14", "eIMEI", "861234050417369"},
        FieldCase{"DprmTooFewItems", "+RESP:DPRM,VT-300,417,861234050417369", "eDevName", "<none>"},
        FieldCase{"LowerCasePrefix", "+resp:DPRM,a,b,c,d", "eDevName", "<none>"},
        FieldCase{"LowerCaseKind", "+RESP:dprm,a,b,c,d", "eDevName", "<none>"},
        FieldCase{"UnknownKind", "+RESP:XXXX,a,b,c,d", "eDevName", "<none>"},
        FieldCase{"ShortLine", "+RESP:", "eDevName", "<none>"},
        FieldCase{"ExtraItemsIgnored", "+RESP:DPRM,a,b,c,d,e,f", "eFW_Ver", "d"},
        FieldCase{"QuotedItem", "+RESP:DPRM,\"VT,300\",b,c,d", "eDevName", "VT,300"},
        // Self-test and SIM states.
        FieldCase{"SelfTestOk", Trep(" 0 ", "1"), "eFlashStatus", "OK (0)"},
        FieldCase{"SelfTestError", Trep("3", "1"), "eFlashStatus", "Ошибка (3)"},
        FieldCase{"SelfTestZeroZero", Trep("00", "1"), "eFlashStatus", "Ошибка (00)"},
        FieldCase{"SimNotReady", Trep("0", "0"), "eSimStatus", "SIM не готова"},
        FieldCase{"SimOk", Trep("0", "1"), "eSimStatus", "OK"},
        FieldCase{"SimPin", Trep("0", "2"), "eSimStatus", "Требуется PIN"},
        FieldCase{"SimPuk", Trep("0", "3"), "eSimStatus", "Требуется PUK"},
        FieldCase{"SimError", Trep("0", "4"), "eSimStatus", "Ошибка SIM"},
        FieldCase{"SimOther", Trep("0", "7"), "eSimStatus", "7"},
        // Running time.
        FieldCase{"UptimeZero", Srep("0", "0"), "eUptime", "0s"},
        FieldCase{"UptimeSeconds", Srep("0", "59"), "eUptime", "59s"},
        FieldCase{"UptimeHour", Srep("0", "3600"), "eUptime", "1h 0m 0s"},
        FieldCase{"UptimeDay", Srep("0", "93784"), "eUptime", "1d 2h 3m 4s"},
        FieldCase{"UptimeNegative", Srep("0", "-61"), "eUptime", "-1s"},
        FieldCase{"UptimeUnreadable", Srep("0", "abc"), "eUptime", "0s"},
        FieldCase{"UptimeHex", Srep("0", "$3C"), "eUptime", "1m 0s"},
        // Relay bit and the exact "1" comparisons.
        FieldCase{"RelayOpen", Srep("136"), "eDRelay1", "Разомкнуто"},
        FieldCase{"RelayClosed", Srep("8"), "eDRelay1", "Замкнуто"},
        FieldCase{"RelayUnreadable", Srep("zz"), "eDRelay1", "Замкнуто"},
        FieldCase{"AccStopOne", Srep("0", "0", "1,1,1,1,1"), "eMODE_ACC_STOP", "Зафиксирована"},
        FieldCase{"AccStopZeroOne", Srep("0", "0", "01,1,1,1,1"), "eMODE_ACC_STOP", "В движении"},
        FieldCase{"IgnitionOff", Srep("0", "0", "1,0,1,1,1"), "eIgnition", "Выключено"},
        FieldCase{"FreezeByIgn", Srep("0", "0", "1,1,1,0,1"), "eFreezeCoordByIgn", "Неактивна"},
        FieldCase{"CoordFrozen", Srep("0", "0", "1,1,1,1,1"), "eCoordFrozen", "Заморожены"},
        FieldCase{"SrepTooFew", kSrep + "0" + kSrepTail + "0,15,1,1,1,1", "eDFreq1", "<none>"},
        // Memory.
        FieldCase{"MemorySize", Sfpt("1A000", "1C340", "400000"), "eFlashSize", "4194304"},
        FieldCase{"MemoryUsed", Sfpt("1A000", "1C340", "400000"), "eMemoryFree", "9024"},
        FieldCase{"MemoryNegative", Sfpt("10", "0", "100"), "eMemoryFree", "-16"},
        FieldCase{"MemoryPercent", Sfpt("0", "40", "100"), "eMemoryFreePercent", "25%"},
        // 50 x 100 / 200 = 25; 1 x 100 / 8 = 12.5 -> 12; 3 x 100 / 8 = 37.5 -> 38.
        FieldCase{"PercentHalfDown", Sfpt("0", "1", "8"), "eMemoryFreePercent", "12%"},
        FieldCase{"PercentHalfUp", Sfpt("0", "3", "8"), "eMemoryFreePercent", "38%"},
        FieldCase{"PercentNegativeHalf", Sfpt("3", "0", "8"), "eMemoryFreePercent", "-38%"},
        FieldCase{"PercentSizeZero", Sfpt("0", "5", "0"), "eMemoryFreePercent", "N/A"},
        FieldCase{"PercentUnreadableSize", Sfpt("0", "5", "xyz"), "eMemoryFreePercent", "N/A"},
        FieldCase{"PointersAsReceived", Sfpt("0001a000", "1C340", "400000"), "ePtrRead",
                  "0001a000"},
        // Pointers far apart do not wrap around in 32 bits.
        FieldCase{"PointersFarApart", Sfpt("80000000", "7FFFFFFF", "1"), "eMemoryFree",
                  "4294967295"},
        FieldCase{"SlotsSwapped", "+RESP:SFPT,0,0,1,28,32", "eSlotsTotal", "32"},
        // Navigation.
        FieldCase{"GpsTime", Snav("123456", "5545.1200N", "03737.0500E", "100126", "0", "0"),
                  "eGPSTime", "12:34:56"},
        FieldCase{"Latitude", Snav("1", "5545.1200N", "03737.0500E", "100126", "0", "0"), "eLat",
                  "55°45.1200'N"},
        FieldCase{"Longitude", Snav("1", "5545.1200N", "03737.0500E", "100126", "0", "0"), "eLon",
                  "037°37.0500'E"},
        FieldCase{"EmptyLatitude", Snav("1", "", "", "100126", "0", "0"), "eLat", "'°"},
        FieldCase{"EmptyLongitude", Snav("1", "", "", "100126", "0", "0"), "eLon", "'°"},
        FieldCase{"GpsDate", Snav("1", "", "", "100126", "0", "0"), "eGPSDate", "10.01.2026"},
        FieldCase{"ShortTime", Snav("12", "", "", "", "0", "0"), "eGPSTime", "12::"},
        FieldCase{"HeightSum", Snav("1", "", "", "", "150.5", "12"), "eAlt", "162.5"},
        FieldCase{"HeightUnreadable", Snav("1", "", "", "", "15O.5", "12"), "eAlt", "12"},
        FieldCase{"HeightNegative", Snav("1", "", "", "", "-0.25", "0"), "eAlt", "-0.25"},
        FieldCase{"HeightNoTrailingZeros", Snav("1", "", "", "", "1.10", "2.20"), "eAlt", "3.3"},
        FieldCase{"HeightInfinityUnread", Snav("1", "", "", "", "inf", "1"), "eAlt", "1"},
        // GSM.
        FieldCase{"RegHome", Sgsm("1", "1", "8"), "eGSMReg", "Домашняя сеть"},
        FieldCase{"RegRoaming", Sgsm("5", "1", "8"), "eGSMReg", "Роуминг"},
        FieldCase{"RegNone", Sgsm("0", "1", "8"), "eGSMReg", "Нет регистрации"},
        FieldCase{"GprsActive", Sgsm("1", "1", "8"), "eGPRS", "Активно"},
        FieldCase{"GprsInactive", Sgsm("1", "01", "8"), "eGPRS", "Не активно"},
        FieldCase{"ServerInit", Sgsm("1", "1", "0"), "eServerState", "init"},
        FieldCase{"ServerConnecting", Sgsm("1", "1", "6"), "eServerState", "Подключение"},
        FieldCase{"ServerClosing", Sgsm("1", "1", "7"), "eServerState", "Закрытие"},
        FieldCase{"ServerConnected", Sgsm("1", "1", "8"), "eServerState", "Подключено"},
        FieldCase{"ServerPdpDeact", Sgsm("1", "1", "9"), "eServerState", "pdp_deact"},
        FieldCase{"ServerHex", Sgsm("1", "1", "$5"), "eServerState", "status"},
        FieldCase{"ServerTwelve", Sgsm("1", "1", "12"), "eServerState", "N/A 12"},
        FieldCase{"ServerLetter", Sgsm("1", "1", "x"), "eServerState", "N/A x"},
        FieldCase{"ServerNegative", Sgsm("1", "1", "-1"), "eServerState", "N/A -1"},
        FieldCase{"Server", Sgsm("1", "1", "8"), "eServer", "10.0.0.1:20100"},
        FieldCase{"Apn", Sgsm("1", "1", "8"), "eAPN", "apn(u,p)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseStatusReportTest, DiscreteBitsTickTheirBoxesOnly) {
  struct {
    const char* bits;
    bool s1, s2, s3;
  } cases[] = {{"136", true, false, false},  {"14", true, true, true},
               {"4", false, true, false},    {"2", false, false, true},
               {"241", false, false, false}, {"x", false, false, false}};
  for (const auto& c : cases) {
    const Shown shown = Apply(ParseStatusReport(Srep(c.bits)));
    EXPECT_EQ(shown.checks.at("cDState1"), c.s1) << c.bits;
    EXPECT_EQ(shown.checks.at("cDState2"), c.s2) << c.bits;
    EXPECT_EQ(shown.checks.at("cDState3"), c.s3) << c.bits;
  }
}

TEST(ParseStatusReportTest, OverflowWarningFollowsSizeAndWritePointer) {
  struct {
    const char* wr;
    const char* size;
    bool shown;
  } cases[] = {{"10", "100", false}, {"100", "100", false}, {"101", "100", true},
               {"1", "0", true},     {"0", "0", false},     {"1", "FFFFFFFF", true}};
  for (const auto& c : cases) {
    const Shown shown = Apply(ParseStatusReport(Sfpt("0", c.wr, c.size)));
    ASSERT_EQ(shown.others.size(), 1u);
    EXPECT_EQ(shown.others[0], std::string("lMemoryOverflow=") + (c.shown ? "shown" : "hidden"))
        << c.wr << " " << c.size;
  }
}

TEST(ParseStatusReportTest, GsmAsksForTheSignalBarAfterItsText) {
  const std::vector<TStatusUpdate> updates = ParseStatusReport(Sgsm("1", "1", "8"));
  size_t text = 0, bar = 0;
  for (size_t i = 0; i < updates.size(); ++i) {
    if (updates[i].Field == "eGSMStrength") text = i;
    if (updates[i].Kind == TStatusUpdateKind::SignalBar) bar = i;
  }
  EXPECT_EQ(updates[text].Text, "17");
  EXPECT_GT(bar, text);
  EXPECT_EQ(updates[bar].Field, "pGSMStr");
}

TEST(ParseStatusReportTest, HeightInTheOperatorsLocale) {
  const TStatusTexts texts;
  const TGeneralNumberFormatter comma(",");
  const auto updates = ParseStatusReport(Snav("1", "", "", "", "150.5", "12"), texts, comma);
  EXPECT_EQ(Apply(updates).texts.at("eAlt"), "162,5");

  struct {
    double value;
    const char* text;
  } cases[] = {{0, "0"},           {-0.0, "0"},
               {162.5, "162.5"},   {1e20, "1E20"},
               {1.5e-7, "1.5E-7"}, {123456789012345678.0, "1.23456789012346E17"},
               {0.1 + 0.2, "0.3"}, {1234567.125, "1234567.125"}};
  const TGeneralNumberFormatter point;
  for (const auto& c : cases) EXPECT_EQ(point.FormatGeneral(c.value), c.text) << c.value;
}

TEST(ParseStatusReportTest, TranslatedTextsAreUsed) {
  TStatusTexts texts;
  texts.Translate([](const std::string& text) { return "[" + text + "]"; });
  EXPECT_EQ(texts.ServerStates[0], "init");
  EXPECT_EQ(texts.ServerStates[8], "[Подключено]");
  const TGeneralNumberFormatter point;
  const Shown shown = Apply(ParseStatusReport(Sgsm("5", "0", "8"), texts, point));
  EXPECT_EQ(shown.texts.at("eGSMReg"), "[Роуминг]");
  EXPECT_EQ(shown.texts.at("eGPRS"), "[Не активно]");
  EXPECT_EQ(shown.texts.at("eServerState"), "[Подключено]");
}

TEST(ParseStatusReportTest, EveryFieldOfEveryKindHasACaption) {
  const std::vector<std::string> lines = {"+RESP:DPRM,a,b,c,d",
                                          Trep("0", "1"),
                                          Srep("8"),
                                          Sfpt("0", "1", "2"),
                                          Snav("1", "", "", "", "1", "2"),
                                          Sgsm("1", "1", "8")};
  size_t fields = 0;
  for (const std::string& line : lines) {
    EXPECT_EQ(StatusReportKind(line), line.substr(6, 4));
    for (const TStatusUpdate& u : ParseStatusReport(line)) {
      if (u.Kind == TStatusUpdateKind::SignalBar) continue;
      EXPECT_FALSE(StatusFieldCaption(u.Field).empty()) << u.Field;
      ++fields;
    }
  }
  EXPECT_EQ(fields, StatusFields().size());
}

TEST(StatusRequestTest, StartAndStopRequests) {
  EXPECT_EQ(StartExchangeRequest("1234").Cmd, "AT+SDAD=1234,,3,,,,,,,,,,,");
  EXPECT_EQ(StartExchangeRequest("1234").LogText, "AT+SDAD=*,,3,,,,,,,,,,,");
  EXPECT_EQ(StopExchangeRequest("").Cmd, "AT+SDAD=,,0,,,,,,,,,,,");
  EXPECT_EQ(StopExchangeRequest("1234").LogText, "AT+SDAD=*,,0,,,,,,,,,,,");
}

TEST(InsertAtTest, PositionsBelowOneAndPastTheEnd) {
  EXPECT_EQ(InsertAt("abc", "-", 0), "-abc");
  EXPECT_EQ(InsertAt("abc", "-", 1), "-abc");
  EXPECT_EQ(InsertAt("abc", "-", 3), "ab-c");
  EXPECT_EQ(InsertAt("abc", "-", 4), "abc-");
  EXPECT_EQ(InsertAt("abc", "-", 99), "abc-");
}

}  // namespace
}  // namespace quillon
