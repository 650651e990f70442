// quillon-cli settings, run as the operator runs it, from the folder of the executables.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "profile/command_profile.h"
#include "profile/cp1251.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

CliRun RunCli(const std::string& args, const test::TempDir& dir) {
  std::string errPath = dir.path() + "/stderr.txt";
  CliRun run;
  FILE* pipe = popen(("./quillon-cli settings " + args + " 2>" + errPath).c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
  int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream in(errPath);
  std::stringstream ss;
  ss << in.rdbuf();
  run.err = ss.str();
  return run;
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
  test::TempDir dir_;
  std::string ini_;
};

TEST_F(CliSettings, PlainLinesAsTheProgramReadsThem) {
  CliRun run = RunCli("--ini " + ini_, dir_);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
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
                "TrueCustomer = true\n");
  EXPECT_EQ(run.out.find("1111"), std::string::npos);
}

TEST_F(CliSettings, JsonKeepsListItemsApart) {
  CliRun run = RunCli("--json --ini " + ini_, dir_);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.front(), '{');
  EXPECT_NE(run.out.find("\"EnabledPages\": [\"a,b\", \"" + Cp1251ToUtf8("Сервис") + "\"]"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"Password\": \"*\""), std::string::npos);
  EXPECT_NE(run.out.find("\"MasterPassword\": \"\""), std::string::npos);
  EXPECT_NE(run.out.find("\"Speed\": 115200"), std::string::npos);
  EXPECT_NE(run.out.find("\"MapHost\": \"maps.example.org\""), std::string::npos);
  EXPECT_NE(run.out.find("\"FastAnswer\": true"), std::string::npos);
  EXPECT_NE(run.out.find("\"SessionLog\": false"), std::string::npos);
  EXPECT_NE(run.out.find("\"TrueCustomer\": true\n}\n"), std::string::npos);
  EXPECT_EQ(run.out.find("1111"), std::string::npos);
}

TEST_F(CliSettings, StarListsThePagesOfTheProfileBesideIt) {
  std::ofstream(ini_, std::ios::binary) << "[Interface]\nEnabledPages=*\n";
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  std::string ids;
  for (size_t i = 0; i < profile.Pages.size(); ++i)
    ids += (i ? "," : "") + Cp1251ToUtf8(profile.Pages[i].Id);
  CliRun run = RunCli("--ini " + ini_, dir_);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\nEnabledPages = " + ids + "\n"), std::string::npos) << run.out;
}

TEST_F(CliSettings, MissingOrUnreadableExplicitFileFails) {
  std::string missing = dir_.path() + "/missing.ini";
  CliRun run = RunCli("--ini " + missing, dir_);
  EXPECT_NE(run.status, 0);
  EXPECT_TRUE(run.out.empty());
  EXPECT_NE(run.err.find(missing), std::string::npos) << run.err;

  CliRun folder = RunCli("--ini " + dir_.path(), dir_);
  EXPECT_NE(folder.status, 0);
  EXPECT_NE(folder.err.find(dir_.path()), std::string::npos) << folder.err;

  CliRun bad = RunCli("--bogus", dir_);
  EXPECT_NE(bad.status, 0);
  EXPECT_NE(bad.err.find("usage"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace quillon
