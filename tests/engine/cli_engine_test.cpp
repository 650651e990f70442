// quillon-cli poll and apply against the simulated terminal on a pseudo-terminal: exit codes,
// what reaches stdout and stderr, and that no password is printed.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/simulator_process.h"

namespace quillon::test {
namespace {

struct TRunResult {
  int Code = -1;
  std::string Out;
  std::string Err;
};

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class CliEngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sim_ = new TSimulatorProcess;
    std::string error;
    ASSERT_TRUE(sim_->Start({"--unsupported", "+SPIN"}, 5000, error)) << error;
  }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }

  // Runs quillon-cli from the folder of the executables with the terminal's port and passwords.
  TRunResult Cli(std::vector<std::string> args) {
    char dir[] = "/tmp/quillon-cli-test-XXXXXX";
    EXPECT_NE(mkdtemp(dir), nullptr);
    const std::string out = std::string(dir) + "/out", err = std::string(dir) + "/err";
    // The test's own arguments come last, so that they override the defaults.
    std::string command = "./quillon-cli " + Quote(args[0]) + " --port " +
                          Quote(sim_->DevicePath()) + " --password 1234 --master-password 5678";
    for (size_t i = 1; i < args.size(); ++i) command += " " + Quote(args[i]);
    command += " >" + out + " 2>" + err;
    TRunResult result;
    const int status = std::system(command.c_str());
    result.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Out = ReadFile(out);
    result.Err = ReadFile(err);
    std::remove(out.c_str());
    std::remove(err.c_str());
    rmdir(dir);
    return result;
  }

  static TSimulatorProcess* sim_;
};

TSimulatorProcess* CliEngineTest::sim_ = nullptr;

TEST_F(CliEngineTest, ApplyThenPollRoundTrip) {
  TRunResult apply = Cli({"apply", "--command", "+SSRV", "--instance", "2", "--set", "0=10.1.2.3",
                          "--set", "1=9000", "--set", "2=UDP", "--verbose"});
  ASSERT_EQ(apply.Code, 0) << apply.Err;
  EXPECT_NE(apply.Out.find("AT+SSRV=*,2,10.1.2.3,9000,1,60,"), std::string::npos) << apply.Out;
  // The terminal echoes the request with its password; the printed log must not show it.
  EXPECT_NE(apply.Err.find(">AT+SSRV=*,2,"), std::string::npos) << apply.Err;
  EXPECT_EQ(apply.Err.find("5678"), std::string::npos) << apply.Err;

  TRunResult poll = Cli({"poll", "--command", "+SSRV", "--json"});
  ASSERT_EQ(poll.Code, 0) << poll.Err;
  EXPECT_NE(poll.Out.find("{\"instance\": 2, \"parameters\": [{\"index\": 0, \"description\": "),
            std::string::npos);
  EXPECT_NE(poll.Out.find("\"value\": \"10.1.2.3\""), std::string::npos) << poll.Out;
  EXPECT_NE(poll.Out.find("\"value\": \"1\", \"text\": \"UDP\""), std::string::npos) << poll.Out;
}

TEST_F(CliEngineTest, BadInputIsRefusedBeforeAnythingIsSent) {
  const std::vector<std::vector<std::string>> cases = {
      {"apply", "--command", "+SSRV", "--instance", "1", "--set", "1=70000"},  // out of range
      {"apply", "--command", "+SSRV", "--set", "1=80"},                        // no instance
      {"apply", "--command", "+SSRV", "--instance", "4", "--set", "1=80"},     // no such instance
      {"apply", "--command", "+SSRV", "--instance", "1", "--set", "0=1,2"},    // comma
      {"apply", "--command", "+SSRV", "--instance", "1", "--set", "9=1"},      // no parameter 9
      {"apply", "--command", "+SSRV", "--instance", "1", "--set", "2=SCTP"},   // no such option
      {"apply", "--command", "+SGPR", "--unset", "0"},                         // not optional
      {"apply", "--command", "+NONE"},
      {"poll", "--page", "99"},
  };
  for (const auto& args : cases) {
    TRunResult r = Cli(args);
    EXPECT_EQ(r.Code, 2) << args[2] << " " << r.Err;
    EXPECT_TRUE(r.Out.empty()) << r.Out;
  }
}

TEST_F(CliEngineTest, RefusalAndNotSupportedExitNonZero) {
  TRunResult wrong = Cli({"apply", "--command", "+SSRV", "--instance", "1", "--set", "1=80",
                          "--master-password", "9999"});
  EXPECT_EQ(wrong.Code, 6);
  // quillon-cli prints UTF-8.
  const std::string refused = reinterpret_cast<const char*>(u8"+SSRV: Неверно задан пароль");
  EXPECT_NE(wrong.Err.find(refused), std::string::npos) << wrong.Err;
  EXPECT_EQ(wrong.Err.find("9999"), std::string::npos);

  TRunResult unsupported = Cli({"poll", "--command", "+SPIN"});
  EXPECT_EQ(unsupported.Code, 7);
  EXPECT_NE(unsupported.Err.find("+SPIN: NOT SUPPORTED"), std::string::npos) << unsupported.Err;
}

TEST_F(CliEngineTest, PortThatCannotBeOpened) {
  char command[] =
      "./quillon-cli poll --command +SSRV --port /nonexistent/tty --connect-tries 1 "
      ">/dev/null 2>&1";
  const int status = std::system(command);
  EXPECT_EQ(WEXITSTATUS(status), 3);
}

}  // namespace
}  // namespace quillon::test
