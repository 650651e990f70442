// The port component over the simulated line: errors, settings, time-out rules, links.
#include <gtest/gtest.h>

#include "link/com_port.h"
#include "link/serial_sim.h"
#include "link_fixture.h"
#include "read_rule_cases.h"

namespace quillon::test {
namespace {

TEST(EComPortTest, MessageCarriesSystemCodeOnlyWhenPositive) {
  EXPECT_STREQ(EComPort(1, 2).what(), "Unable to open com port (Error: 2)");
  EXPECT_STREQ(EComPort(3, 5).what(), "ReadFile function failed (Error: 5)");
  EXPECT_STREQ(EComPort(18).what(), "Link (un)registration failed");
  EXPECT_STREQ(EComPort(24, 0).what(), "Port Not Open");
  EXPECT_STREQ(EComPort(2, -7).what(), "WriteFile function failed");
  EXPECT_EQ(EComPort(8, 13).Number(), 8);
  EXPECT_EQ(EComPort(8, 13).SystemCode(), 13);
  EXPECT_EQ(EComPort::Text(10), "ClearCommError function failed");
  EXPECT_EQ(EComPort::Text(0), "");
  EXPECT_EQ(EComPort::Text(25), "");
}

TEST(ComPortTest, ApplyPortSettingsLooksNamesUpWithoutCase) {
  struct Case {
    int dataBits;
    const char* parity;
    const char* stopBits;
    TDataBits wantBits;
    TParityBits wantParity;
    TStopBits wantStop;
  };
  const Case cases[] = {
      {5, "none", "1", dbFive, prNone, sbOneStopBit},
      {7, "even", "1.5", dbSeven, prEven, sbOne5StopBits},
      {8, "EVEN", "2", dbEight, prEven, sbTwoStopBits},
      {6, "Odd", "3", dbSix, prOdd, sbOneStopBit},
      {9, "mArK", "", dbEight, prMark, sbOneStopBit},
      {4, "SPACE", "1,5", dbEight, prSpace, sbOneStopBit},
      {0, "whatever", "two", dbEight, prNone, sbOneStopBit},
  };
  for (const Case& c : cases) {
    TSettings s = DefaultLinkSettings();
    s.DataBits = c.dataBits;
    s.Parity = c.parity;
    s.StopBits = c.stopBits;
    TComPort port(std::make_shared<TSimulatedLine>());
    port.ApplyPortSettings(s);
    EXPECT_EQ(port.DataBits(), c.wantBits) << c.dataBits;
    EXPECT_EQ(port.Parity(), c.wantParity) << c.parity;
    EXPECT_EQ(port.StopBits(), c.wantStop) << c.stopBits;
  }
}

TEST(ComPortTest, ApplyPortSettingsCopiesNameRateAndTimeoutsAndClosesThePort) {
  auto line = std::make_shared<TSimulatedLine>();
  TComPort port(line);
  EXPECT_EQ(port.CustomBaudRate(), 9600);
  EXPECT_EQ(port.Timeouts(), (TComTimeouts{-1, 0, 0, 100, 1000}));
  port.Open();
  TSettings s = DefaultLinkSettings();
  s.COM = "ttyUSB3";
  s.Speed = 12345;
  s.Timeout = 700;
  s.TimeoutInterval = 40;
  port.ApplyPortSettings(s);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(port.Port(), "ttyUSB3");
  EXPECT_EQ(port.CustomBaudRate(), 12345);
  EXPECT_EQ(port.Timeouts(), (TComTimeouts{40, 0, 700, 0, 700}));
  port.Open();
  EXPECT_EQ(line->OpenedName(), "ttyUSB3");
  EXPECT_EQ(line->LineSettings().BaudRate, 12345);
  EXPECT_EQ(line->CurrentTimeouts(), port.Timeouts());
}

TEST(ComPortTest, OpenAndCloseAreIdempotentAndFailedOpenLeavesPortClosed) {
  auto line = std::make_shared<TSimulatedLine>();
  TComPort port(line);
  port.Close();
  port.Open();
  port.Open();
  EXPECT_EQ(line->OpenCount(), 1);
  port.SetConnected(false);
  port.SetConnected(false);
  EXPECT_FALSE(port.Connected());

  line->Unplug();
  try {
    port.Open();
    FAIL() << "open of a missing device succeeded";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 1);
    EXPECT_STREQ(e.what(), "Unable to open com port (Error: 2)");
  }
  EXPECT_FALSE(port.Connected());

  // A step after the device opened fails: the device is released again.
  line->Replug();
  line->FailOn(TSimOp::SetLineSettings, 1, 22);
  EXPECT_THROW(port.Open(), EComPort);
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(line->IsOpen());
}

TEST(ComPortTest, IoOnClosedPortRaisesPortNotOpen) {
  TComPort port(std::make_shared<TSimulatedLine>());
  for (auto op : {0, 1, 2}) {
    try {
      if (op == 0) port.WriteBytes("x");
      if (op == 1) port.ReadText(5);
      if (op == 2) port.PurgeBuffers(true, true);
      FAIL() << "no error for operation " << op;
    } catch (const EComPort& e) {
      EXPECT_EQ(e.Number(), 24);
      EXPECT_STREQ(e.what(), "Port Not Open");
    }
  }
}

TEST(ComPortTest, TimeoutReachesDriverOnlyWhenChangedAndGovernsNextRead) {
  auto line = std::make_shared<TSimulatedLine>();
  TComPort port(line);
  port.ApplyPortSettings(DefaultLinkSettings());
  port.Open();
  const int changes = line->TimeoutChanges();
  port.SetReadTotalConstant(250);
  EXPECT_EQ(line->TimeoutChanges(), changes);
  port.SetReadTotalConstant(900);
  EXPECT_EQ(line->TimeoutChanges(), changes + 1);
  EXPECT_EQ(port.ReadText(10), "");
  EXPECT_EQ(line->Now(), 900);
  // While closed the value is only stored, and the next open passes it on.
  port.Close();
  port.SetReadTotalConstant(30);
  port.Open();
  EXPECT_EQ(line->CurrentTimeouts().ReadTotalConstant, 30);
}

// The read rules on the virtual clock: total, gap, count, and the immediate read.
TEST(ComPortTest, ReadFollowsTheTimeoutRules) {
  for (const TReadRuleCase& c : ReadRuleCases()) {
    auto line = std::make_shared<TSimulatedLine>();
    TComPort port(line);
    port.Open();
    port.SetTimeouts(c.timeouts);
    for (const auto& [t, bytes] : c.arrivals) line->At(t, bytes);
    EXPECT_EQ(port.ReadText(c.count), c.want) << c.name;
    EXPECT_EQ(line->Now(), c.wantEnd) << c.name;
  }
}

TEST(ComPortTest, ReadOfZeroBytesReturnsAtOnce) {
  auto line = std::make_shared<TSimulatedLine>();
  TComPort port(line);
  port.Open();
  line->At(0, "queued");
  EXPECT_EQ(port.ReadText(0), "");
  EXPECT_EQ(port.QueuedInputCount(), 6);
}

class RecordingLink : public TComLink {
 public:
  bool wants = true;
  std::string received;
  bool WantsRxData() const override { return wants; }
  void RxData(const std::string& data) override { received += data; }
};

TEST(ComPortTest, LinksRegisterOnceAndStrangersCannotDetach) {
  TComPort port(std::make_shared<TSimulatedLine>());
  RecordingLink a, b;
  port.AttachLink(&a);
  try {
    port.AttachLink(&a);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 18);
    EXPECT_STREQ(e.what(), "Link (un)registration failed");
  }
  EXPECT_THROW(port.DetachLink(&b), EComPort);
  port.DetachLink(&a);
  EXPECT_FALSE(port.HasLink(&a));
  EXPECT_THROW(port.DetachLink(&a), EComPort);
}

TEST(ComPortTest, DispatchFeedsLinksThatWantDataAndOtherwiseLeavesBytesQueued) {
  auto line = std::make_shared<TSimulatedLine>();
  TComPort port(line);
  port.ApplyPortSettings(DefaultLinkSettings());
  port.Open();
  RecordingLink framer, idle;
  idle.wants = false;
  port.AttachLink(&idle);
  line->At(10, "+RESP:SNAV,1\r");
  line->Advance(20);
  EXPECT_FALSE(port.WantsReadNotifications());
  port.DispatchEvents();
  EXPECT_EQ(port.QueuedInputCount(), 13);  // left for the next transaction

  port.AttachLink(&framer);
  EXPECT_TRUE(port.WantsReadNotifications());
  port.DispatchEvents();
  EXPECT_EQ(framer.received, "+RESP:SNAV,1\r");
  EXPECT_EQ(idle.received, "");
  EXPECT_EQ(port.QueuedInputCount(), 0);
  EXPECT_EQ(port.ReadText(5), "");  // consumed: a later read never sees it

  port.Close();
  EXPECT_FALSE(port.WantsReadNotifications());
  EXPECT_EQ(port.ReadinessHandle(), -1);
}

}  // namespace
}  // namespace quillon::test
