// quillon-sim as a program: started as a child, driven over its pseudo-terminal with plain
// termios, as Quillon's serial port drives a real terminal.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <regex>

#include "profile/text_utils.h"
#include "settings/program_paths.h"
#include "sim/pty_client.h"
#include "sim/sim_fixture_profile.h"
#include "sim/simulator_process.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

const std::string kEntry = "\r4817365";

class SimEndToEndTest : public ::testing::Test {
 protected:
  SimEndToEndTest() { InitProgramPaths(nullptr); }

  // Starts the simulator on the fixture profile and opens its device.
  void Start(std::vector<std::string> arguments = {}) {
    arguments.insert(arguments.begin(), {"--profile", SimFixtureProfileFile()});
    std::string error;
    ASSERT_TRUE(sim_.Start(arguments, 5000, error)) << error;
    ASSERT_TRUE(client_.Open(sim_.DevicePath())) << sim_.DevicePath();
  }

  // Command mode as the entry window sees it: an answer that ends with the prompt.
  void Enter() {
    std::string answer = client_.Request(kEntry);
    ASSERT_GE(answer.size(), 2u);
    ASSERT_EQ(answer.substr(answer.size() - 2), "\n>") << answer;
  }

  // The answer after the echo.
  std::string Ask(const std::string& request) {
    std::string answer = client_.Request(request);
    std::string echo = request + "\r";
    EXPECT_EQ(answer.substr(0, echo.size()), echo);
    return answer.size() > echo.size() ? answer.substr(echo.size()) : "";
  }

  std::string TempPath(const std::string& name) const { return dir_.File(name); }

  test::TempDir dir_;
  TSimulatorProcess sim_;
  TPtyClient client_;
};

TEST_F(SimEndToEndTest, EntryAndPollsOfPlainIndexedAndTableCommands) {
  Start({"--table-rows", "2"});
  EXPECT_EQ(client_.Request("AT+ABCD=?", 300), "AT+ABCD=?\r") << "before entry: echo only";
  EXPECT_EQ(client_.Request(kEntry), kEntry + "\r\r\n>");
  EXPECT_EQ(client_.Request(kEntry), kEntry + "\r\r\n>") << "the prompt again";
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\n+RESP:ABCD,abc,5\r\n>");
  EXPECT_EQ(Ask("AT+IDX=?"), "\r\n+RESP:IDX,1,00FF,1,00FF\r\n>");
  EXPECT_EQ(Ask("AT+LOG=?"),
            "\r\n#01+RESP:LOG,1,R1C2,R1C3\r\n#02+RESP:LOG,2,R2C2,R2C3\r\n+RESP:LOG,2\r\n>");
  // The client closes and reopens the port: no hang-up, still in command mode.
  client_.Close();
  ASSERT_TRUE(client_.Open(sim_.DevicePath()));
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\n+RESP:ABCD,abc,5\r\n>");
}

TEST_F(SimEndToEndTest, AppliesAreCheckedAndStored) {
  Start({"--password", "1111", "--master-password", "2222"});
  Enter();
  const std::pair<const char*, const char*> cases[] = {
      {"AT+ABCD=1111,xyz,42,", "+RESP:ABCD,xyz,42"},
      {"AT+ABCD=1234,xyz,42,", "+RESP:ABCD,ERROR,PASSWORD"},
      {"AT+ADM=1111,3,", "+RESP:ADM,ERROR,PERMISSION"},
      {"AT+ADM=2222,3,", "+RESP:ADM,3"},
      {"AT+ABCD=1111,xyz,101,", "+RESP:ABCD,ERROR,COMMAND"},
      {"AT+ABCD=1111,XYZ,1,", "+RESP:ABCD,ERROR,COMMAND"},
      {"AT+IDX=1111,2,9,0100,", "+RESP:IDX,ERROR,COMMAND"},
      {"AT+IDX=1111,2,7,100,", "+RESP:IDX,1,00FF,7,0100"},
  };
  for (const auto& [request, line] : cases) {
    EXPECT_EQ(Ask(request), std::string("\r\n") + line + "\r\n>") << request;
  }
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\n+RESP:ABCD,xyz,42\r\n>");
}

TEST_F(SimEndToEndTest, UnsupportedCommands) {
  Start({"--unsupported", "+ABCD,IDX"});
  Enter();
  EXPECT_EQ(Ask("AT+NOPE=?"), "\r\nNOT SUPPORTED\r\n>");
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\nNOT SUPPORTED\r\n>");
  EXPECT_EQ(Ask("AT+IDX=1234,1,1,00FF,"), "\r\nNOT SUPPORTED\r\n>");
  EXPECT_EQ(Ask("AT+ADM=?"), "\r\n+RESP:ADM,1\r\n>");
}

TEST_F(SimEndToEndTest, TextLeavesCommandMode) {
  Start();
  Enter();
  EXPECT_EQ(Ask("AT+TEXT=1234,"), "\r\n+RESP:TEXT,OK\r\n>");
  EXPECT_EQ(client_.Request("AT+ABCD=?", 300), "AT+ABCD=?\r");
  Enter();
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\n+RESP:ABCD,abc,5\r\n>");
}

TEST_F(SimEndToEndTest, SaveKeepsValuesAcrossRuns) {
  std::string state = TempPath("state");
  unlink(state.c_str());
  Start({"--state", state});
  Enter();
  EXPECT_EQ(Ask("AT+ABCD=1234,kept,77,"), "\r\n+RESP:ABCD,kept,77\r\n>");
  EXPECT_EQ(Ask("AT+IDX=5678,2,0,0ABC,"), "\r\n+RESP:IDX,1,00FF,0,0ABC\r\n>");
  EXPECT_EQ(Ask("AT+SAVE=5678,"), "\r\n+RESP:SAVE,OK\r\n>");
  EXPECT_EQ(Ask("AT+ABCD=1234,notkept,1,"), "\r\n+RESP:ABCD,notkept,1\r\n>");
  sim_.Stop();

  Start({"--state", state});
  Enter();
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\n+RESP:ABCD,kept,77\r\n>");
  EXPECT_EQ(Ask("AT+IDX=?"), "\r\n+RESP:IDX,1,00FF,0,0ABC\r\n>");
  unlink(state.c_str());
}

TEST_F(SimEndToEndTest, LongAnswerInParts) {
  Start({"--part-size", "64", "--table-rows", "10"});
  Enter();
  std::string answer = Ask("AT+LOG=?");
  std::regex marker("\r\n%(\\d+)/(\\d+)\\+RECP:\r\n");
  auto markers = std::distance(std::sregex_iterator(answer.begin(), answer.end(), marker),
                               std::sregex_iterator());
  EXPECT_GE(markers, 2);
  EXPECT_NE(answer.find("#0A+RESP:LOG,10,R10C2,R10C3\r\n"), std::string::npos);
  EXPECT_NE(answer.find("\r\n+RESP:LOG,10\r\n>"), std::string::npos);
}

TEST_F(SimEndToEndTest, StatusReportsStartAndStop) {
  Start();
  Enter();
  // The reports follow the answer at once.
  client_.Write("AT+SDAD=1234,,3,,,,,,,,,,,\r");
  std::string reports = client_.ReadUntil("never", 1300);
  EXPECT_NE(reports.find("\r\n+RESP:SDAD,3\r\n>"), std::string::npos);
  std::map<std::string, size_t> fields;
  std::string line;
  while (ExtractLine(reports, line)) {
    if (line.rfind("+RESP:", 0) == 0) fields[line.substr(6, 4)] = SplitCsv(line).size();
  }
  const std::map<std::string, size_t> expected = {
      {"DPRM", 5}, {"TREP", 7}, {"SREP", 21}, {"SFPT", 6}, {"SNAV", 11}, {"SGSM", 12}, {"SDAD", 2}};
  EXPECT_EQ(fields, expected);
  client_.Write("AT+SDAD=1234,,0,,,,,,,,,,,\r");
  client_.ReadUntil("+RESP:SDAD,0\r\n>", 1500);
  EXPECT_EQ(client_.ReadQuiet(1200, 1200), "") << "no report after the stop";
}

TEST_F(SimEndToEndTest, EchoFaults) {
  Start({"--no-echo"});
  EXPECT_EQ(client_.Request(kEntry), "\r\n>");
  EXPECT_EQ(client_.Request("AT+ABCD=?"), "\r\n+RESP:ABCD,abc,5\r\n>");
  sim_.Stop();
  Start({"--bad-echo"});
  EXPECT_EQ(client_.Request(kEntry), "\r5928476\r\r\n>");
  EXPECT_EQ(client_.Request("AT+ABCD=?"), "at+abcd=?\r\r\n+RESP:ABCD,abc,5\r\n>");
}

TEST_F(SimEndToEndTest, NoPrompt) {
  Start({"--no-prompt"});
  Enter();
  client_.Write("AT+ABCD=?\r");
  EXPECT_EQ(client_.ReadQuiet(300, 2000), "AT+ABCD=?\r\r\n+RESP:ABCD,abc,5\r\n");
}

TEST_F(SimEndToEndTest, DelayBeforeAnswersAndGapBetweenLines) {
  Start({"--delay", "300", "--gap", "200"});
  Enter();
  client_.Write("AT+ABCD=?\r");
  int64_t start = MonotonicMs();
  EXPECT_EQ(client_.ReadUntil("AT+ABCD=?\r", 2000), "AT+ABCD=?\r");
  EXPECT_EQ(client_.ReadUntil("\r\n+RESP:ABCD,abc,5", 2000), "\r\n+RESP:ABCD,abc,5");
  int64_t line = MonotonicMs();
  EXPECT_GE(line - start, 280);
  EXPECT_EQ(client_.ReadUntil(">", 2000), "\r\n>");
  EXPECT_GE(MonotonicMs() - line, 180);
}

TEST_F(SimEndToEndTest, GarbageBeforeAnswers) {
  Start({"--garbage"});
  Enter();
  std::string answer = Ask("AT+ABCD=?");
  std::vector<std::string> lines;
  std::string line;
  while (ExtractLine(answer, line)) {
    if (!line.empty()) lines.push_back(line);
  }
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), "+RESP:ABCD,abc,5");
  EXPECT_EQ(answer, ">");
}

TEST_F(SimEndToEndTest, SilentAfterRequests) {
  Start({"--silent-after", "2"});
  Enter();
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\n+RESP:ABCD,abc,5\r\n>");
  EXPECT_EQ(client_.Request("AT+ABCD=?", 400), "");
}

TEST_F(SimEndToEndTest, HangUpAfterBytesLikeAnUnpluggedAdapter) {
  std::string link = TempPath("hangup_link");
  Start({"--hangup-after", "20", "--link", link});
  Enter();                                                   // 9 bytes
  EXPECT_EQ(Ask("AT+ABCD=?"), "\r\n+RESP:ABCD,abc,5\r\n>");  // 19 bytes
  client_.Write("A");
  client_.ReadUntil("never", 2000);
  EXPECT_TRUE(client_.HungUp()) << "end of file or EIO on reading";
  EXPECT_FALSE(client_.Write("B"));
  EXPECT_EQ(client_.LastError(), EIO);
  int64_t deadline = MonotonicMs() + 2000;
  while (sim_.Running() && MonotonicMs() < deadline) usleep(10000);
  EXPECT_FALSE(sim_.Running()) << "the simulator ends after the hang-up";
  struct stat info {};
  EXPECT_NE(lstat(link.c_str(), &info), 0) << "its link is gone";
}

TEST_F(SimEndToEndTest, RefuseEveryWrite) {
  for (const char* kind : {"PASSWORD", "PERMISSION", "COMMAND"}) {
    Start({"--refuse", kind});
    Enter();
    EXPECT_EQ(Ask("AT+ABCD=5678,xyz,42,"), std::string("\r\n+RESP:ABCD,ERROR,") + kind + "\r\n>");
    sim_.Stop();
  }
}

TEST_F(SimEndToEndTest, LinkIsMadeReplacedAndRemoved) {
  std::string link = TempPath("link");
  unlink(link.c_str());
  ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);
  Start({"--link", link});
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), sim_.DevicePath());
  TPtyClient viaLink;
  ASSERT_TRUE(viaLink.Open(link));
  EXPECT_EQ(viaLink.Request(kEntry), kEntry + "\r\r\n>");
  sim_.Stop();
  struct stat info {};
  EXPECT_NE(lstat(link.c_str(), &info), 0);

  // Anything but a link is left alone, and the simulator does not start.
  std::ofstream(link) << "precious";
  std::string error;
  EXPECT_FALSE(sim_.Start({"--profile", SimFixtureProfileFile(), "--link", link}, 5000, error));
  std::ifstream kept(link);
  std::string content;
  kept >> content;
  EXPECT_EQ(content, "precious");
  unlink(link.c_str());
}

TEST_F(SimEndToEndTest, OutputIsPacedAtTheBaudRate) {
  Start({"--baud", "2400"});
  int64_t start = MonotonicMs();
  // 8 bytes of echo and 3 of answer: 11 bytes of 10 bits at 2400 baud take 45 ms; the table
  // answer below some 380 bytes, about 1.6 s.
  Enter();
  client_.Write("AT+LOG=?\r");
  std::string answer = client_.ReadUntil(">", 5000);
  EXPECT_EQ(answer.back(), '>');
  EXPECT_GE(MonotonicMs() - start, static_cast<int64_t>(answer.size()) * 10 * 1000 / 2400 - 50);
}

TEST(SimProgramTest, HelpAndBadOptions) {
  InitProgramPaths(nullptr);
  std::string sim = TSimulatorProcess::DefaultExecutable();
  EXPECT_EQ(system((sim + " --help > /dev/null").c_str()), 0);
  EXPECT_EQ(WEXITSTATUS(system((sim + " --bogus 2> /dev/null").c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(system((sim + " --refuse MAYBE 2> /dev/null").c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(system((sim + " --profile /nonexistent.xml 2> /dev/null").c_str())), 1);
}

}  // namespace
}  // namespace quillon
