// The simulated terminal's protocol, driven without a pseudo-terminal.
#include "sim/sim_protocol_engine.h"
#include "sim/sim_options.h"

#include <gtest/gtest.h>

#include <regex>

#include "profile/text_utils.h"
#include "sim/sim_fixture_profile.h"

namespace quillon {
namespace {

const std::string kEntry = "\r4817365\r";

class SimProtocolEngineTest : public ::testing::Test {
 protected:
  SimProtocolEngineTest() { profile_.LoadCommandProfileFromBuffer(SimFixtureProfileXml()); }

  TSimProtocolEngine& Engine() {
    if (!engine_) {
      options_.Seed = 7;
      engine_ = std::make_unique<TSimProtocolEngine>(profile_, options_, 0, 1700000000);
    }
    return *engine_;
  }

  // Everything the terminal sends in answer to the bytes.
  std::string Send(const std::string& bytes, int64_t nowMs = 0) {
    Engine().Receive(bytes, nowMs);
    return Drain();
  }

  std::string Drain() {
    std::string out;
    TSimProtocolEngine::TChunk chunk;
    while (Engine().TakeChunk(chunk)) out += chunk.Bytes;
    return out;
  }

  // The answer after the echo of request + CR, in command mode.
  std::string Ask(const std::string& request) {
    if (!Engine().InCommandMode()) Send(kEntry);
    std::string out = Send(request + "\r");
    std::string echo = request + "\r";
    EXPECT_EQ(out.substr(0, echo.size()), echo);
    return out.substr(echo.size() < out.size() ? echo.size() : out.size());
  }

  CommandProfile profile_;
  TSimOptions options_;
  std::unique_ptr<TSimProtocolEngine> engine_;
};

TEST_F(SimProtocolEngineTest, EntersCommandModeOnlyOnTheAccessCode) {
  EXPECT_EQ(Send("AT+ABCD=?\r"), "AT+ABCD=?\r") << "outside command mode only the echo";
  EXPECT_EQ(Send("x4817365\r"), "x4817365\r");
  EXPECT_FALSE(Engine().InCommandMode());
  EXPECT_EQ(Send(kEntry), kEntry + "\r\n>");
  EXPECT_TRUE(Engine().InCommandMode());
  EXPECT_EQ(Send(kEntry), kEntry + "\r\n>") << "the prompt again while in command mode";
}

TEST_F(SimProtocolEngineTest, PollAnswersAllInstancesThenThePrompt) {
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\n+RESP:ABCD,abc,5\r\n>");
  // Option by value, hex padded to its width, every instance in one line.
  EXPECT_EQ(Ask("AT+IDX=?"), "\r\n+RESP:IDX,1,00FF,1,00FF\r\n>");
  EXPECT_EQ(Ask("at+abcd=?"), "\r\n+RESP:ABCD,abc,5\r\n>") << "names ignore letter case";
  EXPECT_EQ(Ask("AT+BYE=?"), "\r\n+RESP:BYE,OK\r\n>");
  EXPECT_TRUE(Engine().InCommandMode()) << "a poll of an exit command leaves nothing";
}

TEST_F(SimProtocolEngineTest, TableCommandAnswersRecordsAndAClosingLine) {
  options_.TableRows = 3;
  std::string answer = Ask("AT+LOG=?");
  EXPECT_EQ(answer,
            "\r\n#01+RESP:LOG,1,R1C2,R1C3\r\n#02+RESP:LOG,2,R2C2,R2C3\r\n"
            "#03+RESP:LOG,3,R3C2,R3C3\r\n+RESP:LOG,3\r\n>");
}

struct ApplyCase {
  const char* Request;
  const char* Answer;  // the line after the echo
};

TEST_F(SimProtocolEngineTest, ApplyChecksPasswordPermissionAndValues) {
  const ApplyCase cases[] = {
      // Passwords by mode: master opens all, user all but admin.
      {"AT+ABCD=1234,xyz,42,", "+RESP:ABCD,xyz,42"},
      {"AT+ABCD=5678,xyz,43,", "+RESP:ABCD,xyz,43"},
      {"AT+ABCD=9999,xyz,42,", "+RESP:ABCD,ERROR,PASSWORD"},
      {"AT+ABCD=,xyz,42,", "+RESP:ABCD,ERROR,PASSWORD"},
      {"AT+ADM=1234,3,", "+RESP:ADM,ERROR,PERMISSION"},
      {"AT+ADM=5678,3,", "+RESP:ADM,3"},
      {"AT+USR=1234,4,", "+RESP:USR,4"},
      {"AT+USR=5678,5,", "+RESP:USR,5"},
      // Values: limits, type, mask, length, count.
      {"AT+ABCD=1234,xyz,101,", "+RESP:ABCD,ERROR,COMMAND"},
      {"AT+ABCD=1234,xyz,0,", "+RESP:ABCD,ERROR,COMMAND"},
      {"AT+ABCD=1234,xyz,4x,", "+RESP:ABCD,ERROR,COMMAND"},
      {"AT+ABCD=1234,XYZ,42,", "+RESP:ABCD,ERROR,COMMAND"},
      {"AT+ABCD=1234,abcdefghi,42,", "+RESP:ABCD,ERROR,COMMAND"},
      {"AT+ABCD=1234,xyz,", "+RESP:ABCD,ERROR,COMMAND"},
      {"AT+ABCD=1234,xyz,42,1,", "+RESP:ABCD,ERROR,COMMAND"},
      // An empty value keeps what is held.
      {"AT+ABCD=1234,,7,", "+RESP:ABCD,xyz,7"},
      {"AT+ABCD=1234,q,,", "+RESP:ABCD,q,7"},
      // Indexed: instance from 1, options by value, hex width and range.
      {"AT+IDX=1234,2,7,abc,", "+RESP:IDX,1,00FF,7,0ABC"},
      {"AT+IDX=1234,1,0,00123,", "+RESP:IDX,0,0123,7,0ABC"},
      {"AT+IDX=1234,1,9,0100,", "+RESP:IDX,ERROR,COMMAND"},
      {"AT+IDX=1234,1,0,F,", "+RESP:IDX,ERROR,COMMAND"},
      {"AT+IDX=1234,1,0,1000,", "+RESP:IDX,ERROR,COMMAND"},
      {"AT+IDX=1234,1,0,12345,", "+RESP:IDX,ERROR,COMMAND"},
      {"AT+IDX=1234,1,0,00g0,", "+RESP:IDX,ERROR,COMMAND"},
      {"AT+IDX=1234,3,0,0100,", "+RESP:IDX,ERROR,COMMAND"},
      {"AT+IDX=1234,0,0,0100,", "+RESP:IDX,ERROR,COMMAND"},
      {"AT+IDX=1234,0,0100,", "+RESP:IDX,ERROR,COMMAND"},
      // Read-only commands cannot be written.
      {"AT+RO=5678,x,", "+RESP:RO,ERROR,COMMAND"},
      // Cyrillic ranges take ё as well.
      {"AT+NAM=1234,Ёлка ёж,", "+RESP:NAM,Ёлка ёж"},
      {"AT+NAM=1234,Tree,", "+RESP:NAM,ERROR,COMMAND"},
  };
  for (const ApplyCase& c : cases) {
    EXPECT_EQ(Ask(c.Request), std::string("\r\n") + c.Answer + "\r\n>") << c.Request;
  }
  // A refused write changes nothing.
  EXPECT_EQ(Ask("AT+ABCD=1234,good,500,"), "\r\n+RESP:ABCD,ERROR,COMMAND\r\n>");
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\n+RESP:ABCD,q,7\r\n>");
}

TEST_F(SimProtocolEngineTest, ValuesWithCommasComeBackQuoted) {
  profile_.LoadCommandProfileFromBuffer(
      R"(<application><page id="1" name="p"><command command="+STR" polldata="1">
         <parameter type="string"/><parameter type="string"/></command></page></application>)");
  EXPECT_EQ(Ask("AT+STR=1234,\"a,b\",c,"), "\r\n+RESP:STR,\"a,b\",c\r\n>");
  EXPECT_EQ(SplitCsv("+RESP:STR,\"a,b\",c"), (std::vector<std::string>{"+RESP:STR", "a,b", "c"}));
}

TEST_F(SimProtocolEngineTest, EmptyLastValueStillCountsAsAnItem) {
  profile_.LoadCommandProfileFromBuffer(
      R"(<application><page id="1" name="p"><command command="+STR" polldata="1">
         <parameter type="string" defaultvalue="a"/><parameter type="string"/>
         <parameter type="string"/></command></page></application>)");
  std::string answer = Ask("AT+STR=?");
  EXPECT_EQ(answer, "\r\n+RESP:STR,a,,\"\"\r\n>");
  std::string line = answer.substr(2, answer.find('\r', 2) - 2);
  EXPECT_EQ(SplitCsv(line), (std::vector<std::string>{"+RESP:STR", "a", "", ""}));
}

TEST_F(SimProtocolEngineTest, UnknownAndUnsupportedCommands) {
  options_.Unsupported = {"IDX", "+ADM"};
  EXPECT_EQ(Ask("AT+NOPE=?"), "\r\nNOT SUPPORTED\r\n>");
  EXPECT_EQ(Ask("AT+IDX=?"), "\r\nNOT SUPPORTED\r\n>");
  EXPECT_EQ(Ask("AT+ADM=5678,1,"), "\r\nNOT SUPPORTED\r\n>");
  EXPECT_EQ(Ask("HELLO"), "\r\nERROR\r\n>");
  EXPECT_EQ(Ask("AT+ABCD"), "\r\nERROR\r\n>");
}

TEST_F(SimProtocolEngineTest, ExitCommandsLeaveCommandModeAfterAnswering) {
  for (const char* request : {"AT+TEXT=1234,", "AT+SRBT=5678,", "AT+BYE=1234,"}) {
    std::string answer = Ask(request);
    EXPECT_NE(answer.find("+RESP:"), std::string::npos) << request;
    EXPECT_EQ(answer.back(), '>') << request;
    EXPECT_FALSE(Engine().InCommandMode()) << request;
    EXPECT_EQ(Send("AT+ABCD=?\r"), "AT+ABCD=?\r") << "only the echo after " << request;
  }
  EXPECT_EQ(Ask("AT+TEXT=0000,"), "\r\n+RESP:TEXT,ERROR,PASSWORD\r\n>");
  EXPECT_TRUE(Engine().InCommandMode()) << "a refused exit stays";
}

TEST_F(SimProtocolEngineTest, NulAndCloseRequestAreEchoedButNoRequest) {
  Send(kEntry);
  EXPECT_EQ(Send(std::string(1, '\0')), std::string(1, '\0'));
  EXPECT_EQ(Send("!"), "!");
  // "!" voids an unfinished line (a remote-control command sent without CR).
  EXPECT_EQ(Send("AT+OUT=1!AT+ABCD=?\r"), "AT+OUT=1!AT+ABCD=?\r\r\n+RESP:ABCD,abc,5\r\n>");
  std::string withNul = std::string("AT+AB\0CD=?\r", 11);
  EXPECT_EQ(Send(withNul), withNul + "\r\n+RESP:ABCD,abc,5\r\n>");
}

TEST_F(SimProtocolEngineTest, LongAnswersComeInMarkedParts) {
  options_.PartSize = 64;
  options_.TableRows = 10;
  std::string answer = Ask("AT+LOG=?");
  std::vector<std::string> lines;
  std::string rest = answer.substr(2), line;
  while (ExtractLine(rest, line)) lines.push_back(line);
  EXPECT_EQ(rest, ">");
  std::regex marker("%(\\d+)/(\\d+)\\+RECP:");
  std::vector<std::string> records;
  int markers = 0, parts = 0;
  size_t partBytes = 0;
  for (const std::string& l : lines) {
    std::smatch m;
    if (std::regex_match(l, m, marker)) {
      ++markers;
      EXPECT_EQ(std::stoi(m[1]), markers + 1) << "a marker names the part that follows";
      parts = std::stoi(m[2]);
      EXPECT_LE(partBytes, 64u);
      partBytes = 0;
    } else {
      records.push_back(l);
      partBytes += l.size() + 2;
    }
  }
  EXPECT_GE(markers, 2);
  EXPECT_EQ(markers, parts - 1) << "markers stand between the parts";
  ASSERT_EQ(records.size(), 11u);
  EXPECT_EQ(records.front(), "#01+RESP:LOG,1,R1C2,R1C3");
  EXPECT_EQ(records[9], "#0A+RESP:LOG,10,R10C2,R10C3");
  EXPECT_EQ(records.back(), "+RESP:LOG,10");
}

TEST_F(SimProtocolEngineTest, StatusReportsStartEverySecondAndStop) {
  Send(kEntry);
  EXPECT_EQ(Ask("AT+SDAD=0000,,3,,,,,,,,,,,"), "\r\n+RESP:SDAD,ERROR,PASSWORD\r\n>");
  EXPECT_FALSE(Engine().ReportsRunning());
  EXPECT_EQ(Ask("AT+SDAD=1234,,3,,,,,,,,,,,"), "\r\n+RESP:SDAD,3\r\n>");
  const std::map<std::string, size_t> minimum = {{"DPRM", 5}, {"TREP", 7},  {"SREP", 21},
                                                 {"SFPT", 6}, {"SNAV", 11}, {"SGSM", 12}};
  std::vector<std::string> uptimes;
  for (int64_t now : {0, 400, 1000, 2000}) {
    Engine().Tick(now);
    std::string reports = Drain();
    // After the prompt a report starts a new line, or the status window would not see it.
    if (now == 0) {
      EXPECT_EQ(reports.substr(0, 12), "\r\n+RESP:DPRM") << reports;
    } else if (now == 1000) {
      EXPECT_EQ(reports.substr(0, 11), "+RESP:DPRM,") << reports;
    }
    if (now == 400) {
      EXPECT_EQ(reports, "") << "one set a second";
      continue;
    }
    std::set<std::string> kinds;
    std::string line;
    while (ExtractLine(reports, line)) {
      if (line.empty()) continue;
      std::vector<std::string> items = SplitCsv(line);
      std::string kind = line.substr(6, 4);
      ASSERT_TRUE(minimum.count(kind)) << line;
      EXPECT_GE(items.size(), minimum.at(kind)) << line;
      kinds.insert(kind);
      if (kind == "SREP") uptimes.push_back(items[14]);
    }
    EXPECT_EQ(kinds.size(), 6u);
  }
  EXPECT_EQ(uptimes, (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_EQ(Engine().NextTickMs(), 3000);
  EXPECT_EQ(Ask("AT+SDAD=1234,,0,,,,,,,,,,,"), "\r\n+RESP:SDAD,0\r\n>");
  Engine().Tick(5000);
  EXPECT_EQ(Drain(), "");
}

TEST_F(SimProtocolEngineTest, EchoFaults) {
  options_.NoEcho = true;
  EXPECT_EQ(Send(kEntry), "\r\n>");
  engine_.reset();
  options_.NoEcho = false;
  options_.BadEcho = true;
  EXPECT_EQ(Send(kEntry), "\r5928476\r\r\n>");
  EXPECT_EQ(Send("AT+ABCD=?\r"), "at+abcd=?\r\r\n+RESP:ABCD,abc,5\r\n>");
  engine_.reset();
  options_.BadEcho = false;
  options_.SwappedCaseEcho = true;
  EXPECT_EQ(Send(kEntry), kEntry + "\r\n>");
  EXPECT_EQ(Send("AT+ABCD=aB1,,\r").substr(0, 14), "at+abcd=Ab1,,\r");
}

// The version request tells the identity the identity report tells, not the profile's defaults.
TEST(SimVersionTest, SverAnswersTheTerminalsIdentity) {
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  TSimOptions options;
  TSimProtocolEngine engine(profile, options, 0, 1700000000);
  engine.Receive(kEntry + "AT+SVER=?\r", 0);
  std::string out;
  TSimProtocolEngine::TChunk chunk;
  while (engine.TakeChunk(chunk)) out += chunk.Bytes;
  EXPECT_NE(out.find("\r\n+RESP:SVER,VT-300,2.14.0,860417050417364\r\n>"), std::string::npos)
      << out;
}

// Several simulated units differ by --imei; the identity report and +SVER tell the same one.
TEST(SimVersionTest, ImeiOptionSetsBothIdentityAnswers) {
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  const char* argv[] = {"quillon-sim", "--imei", "356938035643809"};
  TSimOptions options;
  std::string error;
  ASSERT_TRUE(ParseSimOptions(3, argv, options, error)) << error;
  TSimProtocolEngine engine(profile, options, 0, 1700000000);
  engine.Receive(kEntry + "AT+SVER=?\r", 0);
  engine.Receive("AT+SDAD=1234,,3,,,,,,,,,,,\r", 0);
  engine.Tick(0);
  std::string out;
  TSimProtocolEngine::TChunk chunk;
  while (engine.TakeChunk(chunk)) out += chunk.Bytes;
  EXPECT_NE(out.find("+RESP:SVER,VT-300,2.14.0,356938035643809\r\n"), std::string::npos) << out;
  EXPECT_NE(out.find("+RESP:DPRM,VT-300,000417,356938035643809,2.14.0\r\n"), std::string::npos)
      << out;
  for (const char* bad : {"", "1,2", "12\"3"}) {
    const char* badArgv[] = {"quillon-sim", "--imei", bad};
    TSimOptions rejected;
    EXPECT_FALSE(ParseSimOptions(3, badArgv, rejected, error)) << bad;
  }
}

TEST_F(SimProtocolEngineTest, NoPromptKeepsTheEntryPrompt) {
  options_.NoPrompt = true;
  EXPECT_EQ(Send(kEntry), kEntry + "\r\n>");
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\n+RESP:ABCD,abc,5\r\n");
}

TEST_F(SimProtocolEngineTest, DelayAndGapSetTheTimingOfAnswers) {
  options_.DelayMs = 300;
  options_.GapMs = 50;
  Engine().Receive(kEntry, 1000);
  Drain();
  Engine().Receive("AT+ABCD=?\r", 2000);
  std::vector<TSimProtocolEngine::TChunk> chunks;
  TSimProtocolEngine::TChunk chunk;
  while (Engine().TakeChunk(chunk)) chunks.push_back(chunk);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].Bytes, "AT+ABCD=?\r");
  EXPECT_EQ(chunks[0].DueMs, 2000);
  EXPECT_EQ(chunks[1].Bytes, "\r\n+RESP:ABCD,abc,5");
  EXPECT_EQ(chunks[1].DueMs, 2300);
  EXPECT_EQ(chunks[1].PauseMs, 0);
  EXPECT_EQ(chunks[2].Bytes, "\r\n>");
  EXPECT_EQ(chunks[2].PauseMs, 50);
}

TEST_F(SimProtocolEngineTest, GarbageLinesPrecedeAnAnswerThatStillReads) {
  options_.Garbage = true;
  std::string answer = Ask("AT+ABCD=?");
  std::string line, last;
  int lines = 0;
  bool found = false;
  while (ExtractLine(answer, line)) {
    if (line.empty()) continue;
    ++lines;
    found = found || line == "+RESP:ABCD,abc,5";
    EXPECT_EQ(line.find('>'), std::string::npos);
  }
  EXPECT_TRUE(found);
  EXPECT_GE(lines, 2);
  EXPECT_EQ(answer, ">");
}

TEST_F(SimProtocolEngineTest, SilentAfterNRequests) {
  options_.SilentAfter = 2;
  Send(kEntry);
  EXPECT_NE(Send("AT+ABCD=?\r"), "");
  EXPECT_EQ(Send("AT+ABCD=?\r"), "") << "neither echo nor answer";
  EXPECT_EQ(Send(kEntry), "");
}

TEST_F(SimProtocolEngineTest, HangUpAfterNBytes) {
  options_.HangUpAfter = 5;
  EXPECT_EQ(Send("AT+ABCD=?\r"), "AT+AB");
  EXPECT_TRUE(Engine().HangUpRequested());
}

TEST_F(SimProtocolEngineTest, RefuseEveryWrite) {
  options_.Refuse = "PERMISSION";
  EXPECT_EQ(Ask("AT+ABCD=5678,xyz,42,"), "\r\n+RESP:ABCD,ERROR,PERMISSION\r\n>");
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\n+RESP:ABCD,abc,5\r\n>") << "polls still answer";
}

}  // namespace
}  // namespace quillon
