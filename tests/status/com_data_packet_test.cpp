#include "status/com_data_packet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

struct FramerCase {
  const char* name;
  std::vector<std::string> chunks;
  std::vector<std::string> packets;
  std::string buffer;  // left waiting afterwards
};

// The status window's configuration: a carriage return ends every packet.
class StatusFramerTest : public ::testing::TestWithParam<FramerCase> {};

TEST_P(StatusFramerTest, DeliversPacketsAndKeepsTheRest) {
  const FramerCase& c = GetParam();
  TComDataPacket framer;
  framer.SetStopString("\r");
  std::vector<std::string> packets;
  framer.OnPacket = [&](const std::string& p) { packets.push_back(p); };
  for (const std::string& chunk : c.chunks) {
    framer.AddData(chunk);
    EXPECT_LT(framer.Buffer().size(), 1024u);
  }
  EXPECT_EQ(packets, c.packets);
  EXPECT_EQ(framer.Buffer(), c.buffer);
}

const std::string k1100(1100, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusFramerTest,
    ::testing::Values(
        // The report split in the middle of its kind; the line feed opens the next packet.
        FramerCase{"SplitInKind", {"+RESP:DP", "RM,a,b,c,d\r\n"}, {"+RESP:DPRM,a,b,c,d"}, "\n"},
        FramerCase{"LineFeedStartsNextPacket",
                   {"+RESP:A\r\n", "+RESP:B\r\n"},
                   {"+RESP:A", "\n+RESP:B"},
                   "\n"},
        FramerCase{"TwoCarriageReturnsTwoEmptyPackets", {"\r\r"}, {"", ""}, ""},
        FramerCase{"SeveralPacketsInOneChunk", {"a\rb\rc\rd"}, {"a", "b", "c"}, "d"},
        FramerCase{"NoCarriageReturnWaits", {"abc", "def"}, {}, "abcdef"},
        // 1100 characters without an end: all dropped once 1024 or more wait.
        FramerCase{"OverLimitDropped", {k1100}, {}, ""},
        FramerCase{"LimitReachedAcrossChunks",
                   {std::string(1000, 'y'), std::string(23, 'y'), "z"},
                   {},
                   ""},
        FramerCase{"JustBelowLimitKept", {std::string(1023, 'y')}, {}, std::string(1023, 'y')},
        // A carriage return at position 10 of 1100 characters: one packet, the rest dropped.
        FramerCase{"PacketThenOverLimitRest",
                   {std::string(9, 'p') + "\r" + std::string(1090, 'q')},
                   {std::string(9, 'p')},
                   ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ComDataPacketTest, WithoutEndConditionEveryChunkIsAPacket) {
  TComDataPacket framer;
  std::vector<std::string> packets;
  framer.OnPacket = [&](const std::string& p) { packets.push_back(p); };
  framer.AddData("ab\rc");
  framer.AddData("");
  EXPECT_EQ(packets, (std::vector<std::string>{"ab\rc", ""}));
  EXPECT_TRUE(framer.Buffer().empty());
}

TEST(ComDataPacketTest, StartAndStopMarkersCaseInsensitive) {
  TComDataPacket framer;
  framer.SetStartString("<s>");
  framer.SetStopString("</S>");
  framer.SetCaseInsensitive(true);
  std::vector<std::string> packets;
  framer.OnPacket = [&](const std::string& p) { packets.push_back(p); };
  framer.AddData("noise<S>one</s>junk<s>two");
  EXPECT_EQ(packets, (std::vector<std::string>{"one"}));
  EXPECT_TRUE(framer.InPacket());
  framer.AddData("</S>");
  EXPECT_EQ(packets, (std::vector<std::string>{"one", "two"}));

  framer.IncludeStrings = true;
  framer.AddData("<s>three</s>");
  EXPECT_EQ(packets.back(), "<s>three</s>");
}

// Markers cut by chunk boundaries anywhere are still found, also after searches that failed.
TEST(ComDataPacketTest, MarkersSplitAcrossChunks) {
  TComDataPacket framer;
  framer.SetStartString("<s>");
  framer.SetStopString("</S>");
  framer.SetCaseInsensitive(true);
  framer.MaxBufferSize = 0;
  std::vector<std::string> packets;
  framer.OnPacket = [&](const std::string& p) { packets.push_back(p); };
  const std::string stream = "xx<S>first</s>yy<s>" + std::string(5000, 'z') + "</S><s>a</s>";
  for (char c : stream) framer.AddData(std::string(1, c));
  EXPECT_EQ(packets, (std::vector<std::string>{"first", std::string(5000, 'z'), "a"}));
  packets.clear();
  for (size_t i = 0; i < stream.size(); i += 3) framer.AddData(stream.substr(i, 3));
  EXPECT_EQ(packets, (std::vector<std::string>{"first", std::string(5000, 'z'), "a"}));
  EXPECT_TRUE(framer.Buffer().empty());
}

TEST(ComDataPacketTest, StopSearchedAfterTheStartMarker) {
  // The stop marker inside the start marker does not end the packet.
  TComDataPacket framer;
  framer.SetStartString("AB");
  framer.SetStopString("B");
  std::vector<std::string> packets;
  framer.OnPacket = [&](const std::string& p) { packets.push_back(p); };
  framer.AddData("xABcdB");
  EXPECT_EQ(packets, (std::vector<std::string>{"cd"}));
}

TEST(ComDataPacketTest, FixedSizeCutsAndMarkerChangeResets) {
  TComDataPacket framer;
  framer.SetSize(3);
  std::vector<std::string> packets;
  framer.OnPacket = [&](const std::string& p) { packets.push_back(p); };
  framer.AddData("abcdefg");
  EXPECT_EQ(packets, (std::vector<std::string>{"abc", "def"}));
  EXPECT_EQ(framer.Buffer(), "g");
  framer.SetSize(3);  // same value: nothing reset
  EXPECT_EQ(framer.Buffer(), "g");
  framer.SetStopString("\n");
  EXPECT_TRUE(framer.Buffer().empty());
}

TEST(ComDataPacketTest, LimitHoldsWhenTheHandlerThrows) {
  TComDataPacket framer;
  framer.SetStopString("\r");
  framer.OnPacket = [](const std::string&) { throw std::runtime_error("handler"); };
  EXPECT_THROW(framer.AddData("a\r" + std::string(1100, 'b')), std::runtime_error);
  EXPECT_TRUE(framer.Buffer().empty());
  EXPECT_FALSE(framer.InPacket());
}

TEST(ComDataPacketTest, UnlimitedBufferKeepsEverything) {
  TComDataPacket framer;
  framer.SetStopString("\r");
  framer.MaxBufferSize = 0;
  framer.AddData(k1100);
  EXPECT_EQ(framer.Buffer().size(), 1100u);
}

}  // namespace
}  // namespace quillon
