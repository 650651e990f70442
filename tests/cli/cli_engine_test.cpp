// quillon-cli poll and apply against the simulated terminal on a pseudo-terminal: exit codes,
// what reaches stdout and stderr, and that no password is printed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/simulator_process.h"
#include "support/run_program.h"
#include "support/utf8_literal.h"

namespace quillon::test {
namespace {

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
  TProgramRun Cli(std::vector<std::string> args) { return CliOn(sim_->DevicePath(), args); }

  // The same against another terminal. The test's own arguments come last, so that they
  // override the defaults.
  TProgramRun CliOn(const std::string& port, std::vector<std::string> args) {
    args.insert(args.begin() + 1,
                {"--port", port, "--password", "1234", "--master-password", "5678"});
    return RunProgram("./quillon-cli", args);
  }

  static TSimulatorProcess* sim_;
};

TSimulatorProcess* CliEngineTest::sim_ = nullptr;

TEST_F(CliEngineTest, ApplyThenPollRoundTrip) {
  TProgramRun apply = Cli({"apply", "--command", "+SSRV", "--instance", "2", "--set", "0=10.1.2.3",
                           "--set", "1=9000", "--set", "2=UDP", "--verbose"});
  ASSERT_EQ(apply.Code, 0) << apply.Err;
  EXPECT_NE(apply.Out.find("AT+SSRV=*,2,10.1.2.3,9000,1,60,"), std::string::npos) << apply.Out;
  // The terminal echoes the request with its password; the printed log must not show it.
  EXPECT_NE(apply.Err.find(">AT+SSRV=*,2,"), std::string::npos) << apply.Err;
  EXPECT_EQ(apply.Err.find("5678"), std::string::npos) << apply.Err;

  TProgramRun poll = Cli({"poll", "--command", "+SSRV", "--json"});
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
    TProgramRun r = Cli(args);
    EXPECT_EQ(r.Code, 2) << args[2] << " " << r.Err;
    EXPECT_TRUE(r.Out.empty()) << r.Out;
  }
}

TEST_F(CliEngineTest, RefusalAndNotSupportedExitNonZero) {
  TProgramRun wrong = Cli({"apply", "--command", "+SSRV", "--instance", "1", "--set", "1=80",
                           "--master-password", "9999"});
  EXPECT_EQ(wrong.Code, 6);
  // quillon-cli prints UTF-8.
  const std::string refused = U8(u8"+SSRV: Неверно задан пароль");
  EXPECT_NE(wrong.Err.find(refused), std::string::npos) << wrong.Err;
  EXPECT_EQ(wrong.Err.find("9999"), std::string::npos);

  TProgramRun unsupported = Cli({"poll", "--command", "+SPIN"});
  EXPECT_EQ(unsupported.Code, 7);
  EXPECT_NE(unsupported.Err.find("+SPIN: NOT SUPPORTED"), std::string::npos) << unsupported.Err;
}

// A command the profile marks "confirm" (the factory reset) goes out only with --yes; without it
// the question is told and nothing is sent, not even the access code.
TEST_F(CliEngineTest, ConfirmedCommandNeedsYes) {
  TProgramRun asked = Cli({"apply", "--command", "+SDEF", "--verbose"});
  EXPECT_EQ(asked.Code, 2);
  EXPECT_NE(asked.Err.find(U8(u8"+SDEF asks first: \"Сбросить все настройки терминала")),
            std::string::npos)
      << asked.Err;
  EXPECT_EQ(asked.Err.find("4817365"), std::string::npos) << asked.Err;

  TProgramRun yes = Cli({"apply", "--command", "+SDEF", "--yes", "--verbose"});
  EXPECT_EQ(yes.Code, 0) << yes.Err;
  EXPECT_NE(yes.Err.find(">AT+SDEF=*,"), std::string::npos) << yes.Err;

  TProgramRun help = Cli({"apply", "--help"});
  EXPECT_EQ(help.Code, 0);
  EXPECT_NE(help.Out.find("--yes"), std::string::npos);
}

// The terminal echoes every request with its password; with --verbose the whole protocol log
// goes to stderr, and neither password may show in it, whichever password a command takes.
TEST_F(CliEngineTest, VerboseLogNeverShowsAPassword) {
  struct TCase {
    std::vector<std::string> Args;
    std::string Sent;  // a request line the log must show
  };
  const std::vector<TCase> cases = {
      {{"poll", "--page", "2", "--verbose"}, ">AT+STRK=?"},
      // admin: the master password
      {{"apply", "--command", "+SSRV", "--instance", "3", "--set", "1=20200", "--verbose"},
       ">AT+SSRV=*,3,"},
      // user: the user password
      {{"apply", "--command", "+SGRD", "--set", "1=45", "--verbose"}, ">AT+SGRD=*,"},
      // a value read first, then written back
      {{"apply", "--command", "+STIM", "--poll-first", "--set", "0=2", "--verbose"},
       ">AT+STIM=*,2,"},
  };
  for (const TCase& c : cases) {
    TProgramRun r = Cli(c.Args);
    EXPECT_EQ(r.Code, 0) << c.Args[0] << " " << c.Args[2] << ": " << r.Err;
    EXPECT_NE(r.Err.find(c.Sent), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("<+RESP:"), std::string::npos) << r.Err;
    for (const char* password : {"1234", "5678"}) {
      EXPECT_EQ(r.Err.find(password), std::string::npos) << c.Args[2] << ": " << r.Err;
      EXPECT_EQ(r.Out.find(password), std::string::npos) << c.Args[2] << ": " << r.Out;
    }
  }
}

// The adapter is pulled out in the middle of a run: the program says so, exits with a failure
// and does not wait for a device that will not come back.
TEST_F(CliEngineTest, HangUpMidRun) {
  struct TCase {
    const char* HangUpAfter;  // bytes the terminal takes before it vanishes
    std::vector<std::string> Args;
    int Code;
    std::vector<std::string> Messages;  // UTF-8
  };
  const std::string failed = U8(u8"Ошибка чтения, исключение=");
  // Entry takes 9 bytes ("\r4817365\r"), each poll of the first page 10.
  const std::vector<TCase> cases = {
      {"25",
       {"poll", "--page", "1"},
       5,
       {failed, U8(u8"Процесс прерван на команде +SSRV"), "stopped by a failed request"}},
      {"12",
       {"apply", "--command", "+SGPR", "--set", "1=apn.example", "--unset", "3", "--no-poll-first"},
       5,
       {failed, "the request failed"}},
      // Gone during entry: the port it went with cannot be opened again.
      {"4", {"poll", "--command", "+SGPR"}, 3, {"cannot open port"}},
  };
  for (const TCase& c : cases) {
    TSimulatorProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start({"--hangup-after", c.HangUpAfter}, 5000, error)) << error;
    TProgramRun r = CliOn(sim.DevicePath(), c.Args);
    EXPECT_EQ(r.Code, c.Code) << c.HangUpAfter << ": " << r.Err;
    for (const std::string& message : c.Messages)
      EXPECT_NE(r.Err.find(message), std::string::npos) << c.HangUpAfter << ": " << r.Err;
    // No values of a run that broke off are passed off as the terminal's.
    EXPECT_EQ(r.Out.find("+SSRV"), std::string::npos) << r.Out;
  }
}

// apply reads the command first, so that what is not given keeps the terminal's value; with
// --no-poll-first the profile's values go out instead, each named on stderr.
TEST_F(CliEngineTest, ApplyChangesOnlyWhatIsGiven) {
  TSimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({}, 5000, error)) << error;
  const TProgramRun all = CliOn(
      sim.DevicePath(), {"apply", "--command", "+SSRV", "--instance", "1", "--set", "0=10.0.0.7",
                         "--set", "1=9001", "--set", "2=UDP", "--set", "3=120"});
  ASSERT_EQ(all.Code, 0) << all.Err;

  const TProgramRun port = CliOn(
      sim.DevicePath(), {"apply", "--command", "+SSRV", "--instance", "1", "--set", "1=9100"});
  ASSERT_EQ(port.Code, 0) << port.Err;
  EXPECT_NE(port.Out.find("AT+SSRV=*,1,10.0.0.7,9100,1,120,"), std::string::npos) << port.Out;
  EXPECT_EQ(port.Err.find("profile's value"), std::string::npos) << port.Err;

  const TProgramRun reset = CliOn(sim.DevicePath(), {"apply", "--command", "+SSRV", "--instance",
                                                     "1", "--set", "1=9200", "--no-poll-first"});
  ASSERT_EQ(reset.Code, 0) << reset.Err;
  EXPECT_NE(reset.Out.find("AT+SSRV=*,1,0.0.0.0,9200,0,60,"), std::string::npos) << reset.Out;
  for (const char* named : {"+SSRV#1[0]", "+SSRV#1[2]", "+SSRV#1[3]"})
    EXPECT_NE(reset.Err.find(std::string(named) + " ("), std::string::npos) << reset.Err;
  EXPECT_EQ(reset.Err.find("+SSRV#1[1]"), std::string::npos) << reset.Err;

  // A command that cannot be read is written as before, and what it sends unasked is named.
  const TProgramRun unread =
      CliOn(sim.DevicePath(), {"apply", "--command", "+SPAS", "--allow-defaults"});
  EXPECT_EQ(unread.Code, 0) << unread.Err;
  EXPECT_NE(unread.Err.find("+SPAS[0] ("), std::string::npos) << unread.Err;
  EXPECT_NE(unread.Err.find("profile's value \"0000\""), std::string::npos) << unread.Err;
}

// A table whose records come with pauses longer than TimeoutInterval loses its closing line:
// the poll says the table is incomplete and exits 10; with pauses shorter than the interval it
// is whole.
TEST_F(CliEngineTest, TableWithoutItsClosingLineIsIncomplete) {
  struct TCase {
    const char* Gap;
    const char* Interval;
    int Code;
  };
  for (const TCase& c : {TCase{"600", "200", 10}, TCase{"100", "400", 0}}) {
    TSimulatorProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start({"--gap", c.Gap, "--table-rows", "4"}, 5000, error)) << error;
    const TProgramRun r = CliOn(sim.DevicePath(), {"poll", "--command", "+SLOG", "--timeout",
                                                   "3000", "--timeout-interval", c.Interval});
    EXPECT_EQ(r.Code, c.Code) << c.Gap << ": " << r.Err;
    const bool told = r.Err.find("+SLOG: table incomplete") != std::string::npos &&
                      r.Err.find(U8(u8"Таблица получена не полностью")) != std::string::npos;
    EXPECT_EQ(told, c.Code == 10) << c.Gap << ": " << r.Err;
  }
}

// Answers that end at the prompt carry the same values: every page polled both ways, the table
// command's answer coming in marked parts.
TEST_F(CliEngineTest, FastPollReadsTheSameValues) {
  TSimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--part-size", "128", "--table-rows", "12"}, 5000, error)) << error;
  const TProgramRun plain = CliOn(sim.DevicePath(), {"poll", "--json"});
  const TProgramRun fast = CliOn(sim.DevicePath(), {"poll", "--json", "--fast", "--verbose"});
  ASSERT_EQ(plain.Code, 0) << plain.Err;
  ASSERT_EQ(fast.Code, 0) << fast.Err;
  EXPECT_NE(fast.Err.find("+RECP:"), std::string::npos) << "an answer came in parts";
  EXPECT_NE(plain.Out.find("\"value\": "), std::string::npos) << plain.Out;
  EXPECT_EQ(fast.Out, plain.Out);
}

TEST_F(CliEngineTest, PortThatCannotBeOpened) {
  const TProgramRun r = RunProgram("./quillon-cli", {"poll", "--command", "+SSRV", "--port",
                                                     "/nonexistent/tty", "--connect-tries", "1"});
  EXPECT_EQ(r.Code, 3) << r.Err;
}

}  // namespace
}  // namespace quillon::test
