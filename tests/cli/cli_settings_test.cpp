// quillon-cli settings, run as the operator runs it, from the folder of the executables.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "profile/command_profile.h"
#include "profile/cp1251.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace quillon::test {
namespace {

TProgramRun RunCli(std::vector<std::string> args) {
  args.insert(args.begin(), "settings");
  return RunProgram("./quillon-cli", args);
}

class CliSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::ifstream("quillon-cli")) GTEST_SKIP() << "quillon-cli not built beside the tests";
    ini_ = dir_.path() + "/fixture.ini";
    std::ofstream(ini_, std::ios::binary) << "[Connection]\r\n"
                                             "COM=/dev/ttyUSB0\r\n"
                                             "Speed=0x1C200\r\n"
                                             "Timeout=$FA\r\n"
                                             "Parity=\"Even\"\r\n"
                                             "FastAnswer=1\r\n"
                                             "RecentPorts=rfc2217://gw:4001,tcp://[::1]:2000\r\n"
                                             "[Device]\r\n"
                                             "Password=1111\r\n"
                                             "RetryCount=0\r\n"
                                             "ConnectMethod=7\r\n"
                                             "PortPoll=1\r\n"
                                             "[Interface]\r\n"
                                             "EnabledPages=\"a,b\",Сервис\r\n"
                                             "TrueCustomer=1\r\n"
                                             "Language=1033\r\n"
                                             "MapHost=maps.example.org\r\n";
  }
  TempDir dir_;
  std::string ini_;
};

TEST_F(CliSettings, PlainLinesAsTheProgramReadsThem) {
  TProgramRun run = RunCli({"--ini", ini_});
  EXPECT_EQ(run.Code, 0) << run.Err;
  EXPECT_EQ(run.Out,
            "COM = /dev/ttyUSB0\n"
            "Speed = 115200\n"
            "DataBits = 8\n"
            "Parity = Even\n"
            "StopBits = 1\n"
            "Timeout = 250\n"
            "TimeoutInterval = 250\n"
            "TimeoutEcho = 250\n"
            "EffectivePassword = *\n"
            "Password = *\n"
            "MasterPassword = \n"
            "EnabledPages = a,b," +
                Cp1251ToUtf8("Сервис") +
                "\n"
                "ReadColorText = 0\n"
                "WriteColorText = 0\n"
                "ReadErrorColorText = 255\n"
                "WriteErrorColorText = 255\n"
                "GeneralErrorColorText = 8421504\n"
                "RetryCount = 1\n"
                "ConnectMethod = 1\n"
                "Debug = false\n"
                "Language = 1033\n"
                "PortPoll = true\n"
                "MapHost = maps.example.org\n"
                "FastAnswer = true\n"
                "SessionLog = false\n"
                "RecentPorts = rfc2217://gw:4001,tcp://[::1]:2000\n"
                "TrueCustomer = true\n");
  EXPECT_EQ(run.Out.find("1111"), std::string::npos);
}

TEST_F(CliSettings, JsonKeepsListItemsApart) {
  TProgramRun run = RunCli({"--json", "--ini", ini_});
  EXPECT_EQ(run.Code, 0) << run.Err;
  EXPECT_EQ(run.Out.front(), '{');
  EXPECT_NE(run.Out.find("\"EnabledPages\": [\"a,b\", \"" + Cp1251ToUtf8("Сервис") + "\"]"),
            std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find("\"Password\": \"*\""), std::string::npos);
  EXPECT_NE(run.Out.find("\"MasterPassword\": \"\""), std::string::npos);
  EXPECT_NE(run.Out.find("\"Speed\": 115200"), std::string::npos);
  EXPECT_NE(run.Out.find("\"MapHost\": \"maps.example.org\""), std::string::npos);
  EXPECT_NE(run.Out.find("\"FastAnswer\": true"), std::string::npos);
  EXPECT_NE(run.Out.find("\"SessionLog\": false"), std::string::npos);
  EXPECT_NE(run.Out.find("\"RecentPorts\": [\"rfc2217://gw:4001\", \"tcp://[::1]:2000\"]"),
            std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find("\"TrueCustomer\": true\n}\n"), std::string::npos);
  EXPECT_EQ(run.Out.find("1111"), std::string::npos);
}

TEST_F(CliSettings, StarListsThePagesOfTheProfileBesideIt) {
  std::ofstream(ini_, std::ios::binary) << "[Interface]\nEnabledPages=*\n";
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  std::string ids;
  for (size_t i = 0; i < profile.Pages.size(); ++i)
    ids += (i ? "," : "") + Cp1251ToUtf8(profile.Pages[i].Id);
  TProgramRun run = RunCli({"--ini", ini_});
  EXPECT_EQ(run.Code, 0) << run.Err;
  EXPECT_NE(run.Out.find("\nEnabledPages = " + ids + "\n"), std::string::npos) << run.Out;
}

TEST_F(CliSettings, MissingOrUnreadableExplicitFileFails) {
  std::string missing = dir_.path() + "/missing.ini";
  TProgramRun run = RunCli({"--ini", missing});
  EXPECT_NE(run.Code, 0);
  EXPECT_TRUE(run.Out.empty());
  EXPECT_NE(run.Err.find(missing), std::string::npos) << run.Err;

  TProgramRun folder = RunCli({"--ini", dir_.path()});
  EXPECT_NE(folder.Code, 0);
  EXPECT_NE(folder.Err.find(dir_.path()), std::string::npos) << folder.Err;

  TProgramRun bad = RunCli({"--bogus"});
  EXPECT_NE(bad.Code, 0);
  EXPECT_NE(bad.Err.find("usage"), std::string::npos) << bad.Err;
}

}  // namespace
}  // namespace quillon::test
