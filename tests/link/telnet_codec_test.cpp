// The telnet layer alone: what the client asks for, how it answers a server's offers (once,
// never in a loop), what makes it give up, and that data bytes survive escaping whatever they
// hold and however the stream is cut.
#include <gtest/gtest.h>

#include <string>

#include "link/telnet_codec.h"

namespace quillon::test {
namespace {

using namespace telnet;
using namespace std::string_literals;

std::string Cmd(uint8_t verb, uint8_t option) {
  return {static_cast<char>(kIAC), static_cast<char>(verb), static_cast<char>(option)};
}

struct Fed {
  std::string data, reply;
};

Fed Feed(TTelnetCodec& codec, const std::string& bytes) {
  Fed f;
  codec.Receive(bytes.data(), bytes.size(), f.data, f.reply);
  return f;
}

TEST(TelnetCodecTest, StartsAskingForBinaryBothWaysAndOfferingTheComPort) {
  TTelnetCodec codec(true);
  EXPECT_EQ(codec.Start(), Cmd(kWILL, kBinary) + Cmd(kDO, kBinary) + Cmd(kWILL, kComPort));
  TTelnetCodec raw(false);
  EXPECT_EQ(raw.Start(), Cmd(kWILL, kBinary) + Cmd(kDO, kBinary));
}

// What a gateway sends on its own when a client connects, answered option by option: go-ahead
// suppressed both ways, its echo refused, binary and COM-PORT taken as the answers to our own
// requests (no reply, or the two sides would answer each other for ever).
TEST(TelnetCodecTest, AnswersAGatewaysOpeningOnceAndBecomesReady) {
  TTelnetCodec codec(true);
  codec.Start();
  const Fed f = Feed(codec, Cmd(kWILL, kSuppressGoAhead) + Cmd(kDO, kSuppressGoAhead) +
                                Cmd(kWILL, kEcho) + Cmd(kDONT, kEcho) + Cmd(kDO, kBinary) +
                                Cmd(kWILL, kBinary) + Cmd(kDO, kComPort));
  EXPECT_EQ(f.reply, Cmd(kDO, kSuppressGoAhead) + Cmd(kWILL, kSuppressGoAhead) + Cmd(kDONT, kEcho));
  EXPECT_TRUE(f.data.empty());
  EXPECT_TRUE(codec.Ready());
  // The same offers again change nothing and are not answered.
  EXPECT_EQ(Feed(codec, Cmd(kWILL, kSuppressGoAhead) + Cmd(kDO, kBinary)).reply, "");
  // Unknown options are refused once each.
  EXPECT_EQ(Feed(codec, Cmd(kDO, 24) + Cmd(kWILL, 31)).reply, Cmd(kWONT, 24) + Cmd(kDONT, 31));
}

TEST(TelnetCodecTest, NotReadyUntilEveryOptionIsAgreed) {
  TTelnetCodec codec(true);
  codec.Start();
  Feed(codec, Cmd(kDO, kBinary) + Cmd(kWILL, kBinary));
  EXPECT_FALSE(codec.Ready());
  Feed(codec, Cmd(kDO, kComPort));
  EXPECT_TRUE(codec.Ready());
}

TEST(TelnetCodecTest, ADeclinedOptionTheLineNeedsIsAFault) {
  struct Case {
    const char* name;
    std::string server;
    TTelnetFault fault;
  } cases[] = {
      {"won't send binary", Cmd(kWONT, kBinary), TTelnetFault::BinaryRefused},
      {"won't take binary", Cmd(kDONT, kBinary), TTelnetFault::BinaryRefused},
      {"binary agreed, then dropped", Cmd(kWILL, kBinary) + Cmd(kWONT, kBinary),
       TTelnetFault::BinaryRefused},
      {"no COM-PORT", Cmd(kDONT, kComPort), TTelnetFault::ComPortRefused},
  };
  for (const Case& c : cases) {
    TTelnetCodec codec(true);
    codec.Start();
    Feed(codec, c.server);
    EXPECT_EQ(codec.Fault(), c.fault) << c.name;
    EXPECT_FALSE(codec.Ready()) << c.name;
  }
}

TEST(TelnetCodecTest, GarbageNegotiationBreaksTheExchangeAndStopsDecoding) {
  const std::string sb{static_cast<char>(kIAC), static_cast<char>(kSB),
                       static_cast<char>(kComPort)};
  struct Case {
    const char* name;
    std::string server;
  } cases[] = {
      {"endless subnegotiation", sb + std::string(TTelnetCodec::kMaxSubnegotiation + 5, 'x')},
      {"a command inside a subnegotiation", sb + "\x65" + Cmd(kWILL, kBinary)},
      {"an empty COM-PORT subnegotiation",
       sb + std::string{static_cast<char>(kIAC), static_cast<char>(kSE)}},
  };
  for (const Case& c : cases) {
    TTelnetCodec codec(true);
    codec.Start();
    const Fed f = Feed(codec, c.server + "after");
    EXPECT_EQ(codec.Fault(), TTelnetFault::Broken) << c.name;
    EXPECT_FALSE(codec.Detail().empty()) << c.name;
    EXPECT_EQ(f.data, "") << c.name;
  }
}

// Every byte value, CR, NUL and 0xFF among them, escaped and then read back cut at every
// place: the same bytes, and nothing else.
TEST(TelnetCodecTest, DataSurvivesEscapingCutAnywhere) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  all += "\r\xff\xff\r\0я\xff"s;
  const std::string wire = TTelnetCodec::EscapeData(all.data(), all.size());
  EXPECT_EQ(wire.size(), all.size() + 5);
  for (size_t cut = 0; cut <= wire.size(); ++cut) {
    TTelnetCodec codec(true);
    std::string data, reply;
    codec.Receive(wire.data(), cut, data, reply);
    codec.Receive(wire.data() + cut, wire.size() - cut, data, reply);
    ASSERT_EQ(data, all) << "cut at " << cut;
    EXPECT_EQ(reply, "");
  }
  // Commands a binary line has no use for are dropped from the data.
  TTelnetCodec codec(true);
  EXPECT_EQ(Feed(codec,
                 "a\xff\xf1"
                 "b\xff\xf9"
                 "c")
                .data,
            "abc");
}

TEST(TelnetCodecTest, ComPortAnswersAreReadUnescapedAndPlaced) {
  TTelnetCodec codec(true);
  codec.Start();
  // The rate 0x00FFFF00 holds two bytes that must be doubled on the wire.
  const std::string rate{0, '\xff', '\xff', 0};
  const std::string framed = TTelnetCodec::ComPortCommand(kSetBaudRate + kServerOffset, rate);
  EXPECT_EQ(framed, "\xff\xfa\x2c\x65\x00\xff\xff\xff\xff\x00\xff\xf0"s);
  const Fed f = Feed(codec, "ab" + framed + "c");
  EXPECT_EQ(f.data, "abc");
  const auto answers = codec.TakeAnswers();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].Command, kSetBaudRate);
  EXPECT_EQ(answers[0].Value, rate);
  EXPECT_EQ(answers[0].DataBefore, 2u);
  EXPECT_TRUE(codec.TakeAnswers().empty());
  // A client's command sent back and other options' subnegotiations are no answers.
  Feed(codec, TTelnetCodec::ComPortCommand(kSetBaudRate, rate) + "\xff\xfa\x18\x01\xff\xf0"s);
  EXPECT_TRUE(codec.TakeAnswers().empty());
}

}  // namespace
}  // namespace quillon::test
