// quillon-cli status: its arguments in process, and the program against quillon-sim on a
// pseudo-terminal as a script or an operator at a terminal would run it: a count of reports,
// Ctrl+C, a reader that goes away, an adapter pulled out, and never a password in the output.
#include "cli/cli_status.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sim/simulator_process.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/utf8_literal.h"

namespace quillon::test {
namespace {

using cli::ParseStatusArgs;
using cli::TStatusArgs;

TEST(StatusArgumentsTest, TableOfArguments) {
  struct TCase {
    std::vector<std::string> Args;
    bool Ok;
    std::string Error;  // a part of the message
  } cases[] = {
      {{"--port", "/dev/x", "--json", "--count", "6"}, true, ""},
      {{"--port", "/dev/x", "--seconds", "2.5"}, true, ""},
      {{"--port", "/dev/x"}, true, ""},
      {{"--count", "0"}, false, "--count"},
      {{"--count", "x"}, false, "--count"},
      {{"--count"}, false, "missing value after --count"},
      {{"--seconds", "-1"}, false, "--seconds"},
      {{"--seconds", "0"}, false, "--seconds"},
      {{"--count", "2", "--seconds", "3"}, false, "exclude each other"},
      {{"--port"}, false, "missing value after --port"},
      {{"--speed", "fast"}, false, "--speed"},
      {{"--bogus"}, false, "unexpected argument '--bogus'"},
      {{"extra"}, false, "unexpected argument 'extra'"},
  };
  for (const TCase& c : cases) {
    TStatusArgs parsed;
    const std::string error = ParseStatusArgs(c.Args, parsed);
    std::string joined;
    for (const std::string& a : c.Args) joined += a + " ";
    EXPECT_EQ(error.empty(), c.Ok) << joined << error;
    EXPECT_NE(error.find(c.Error), std::string::npos) << error;
  }

  TStatusArgs parsed;
  ASSERT_EQ(ParseStatusArgs({"--port", "/dev/x", "--json", "--count", "6", "--verbose",
                             "--password", "1111", "--master-password", "2222"},
                            parsed),
            "");
  EXPECT_EQ(parsed.Link.Port, "/dev/x");
  EXPECT_TRUE(parsed.Json);
  EXPECT_EQ(parsed.Count, 6);
  EXPECT_FALSE(parsed.Seconds);
  EXPECT_TRUE(parsed.Link.Verbose);
  EXPECT_EQ(parsed.Link.Password, "1111");
  EXPECT_EQ(parsed.MasterPassword, "2222");
}

TEST(StatusArgumentsTest, HelpListsTheJsonFieldsAndExitsZero) {
  const TProgramRun run = RunProgram("./quillon-cli", {"status", "--help"});
  EXPECT_EQ(run.Code, 0);
  for (const char* field : {"time", "kind", "items", "fields", "checks", "lMemoryOverflow"})
    EXPECT_NE(run.Out.find(field), std::string::npos) << field;
  const TProgramRun bad = RunProgram("./quillon-cli", {"status", "--count", "0"});
  EXPECT_EQ(bad.Code, 2);
  EXPECT_TRUE(bad.Out.empty());
}

int64_t NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// quillon-cli running beside the test: its stdout read line by line as it comes, its stderr
// collected in a file, signals sent at chosen moments.
class TStreamingCli {
 public:
  TStreamingCli(const std::vector<std::string>& args, const std::string& errFile) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    signal(SIGPIPE, SIG_IGN);
    pid_ = fork();
    if (pid_ == 0) {
      const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out[1], STDOUT_FILENO);
      dup2(err, STDERR_FILENO);
      std::vector<char*> argv{const_cast<char*>("./quillon-cli")};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    out_ = out[0];
  }
  ~TStreamingCli() {
    if (out_ >= 0) close(out_);
    if (pid_ > 0 && code_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  // The next line of stdout, or nothing when none came within the time.
  std::optional<std::string> ReadLine(int timeoutMs) {
    const int64_t deadline = NowMs() + timeoutMs;
    for (;;) {
      const size_t eol = pending_.find('\n');
      if (eol != std::string::npos) {
        std::string line = pending_.substr(0, eol);
        pending_.erase(0, eol + 1);
        return line;
      }
      const int64_t left = deadline - NowMs();
      if (left <= 0 || out_ < 0) return std::nullopt;
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char buffer[4096];
      const ssize_t n = read(out_, buffer, sizeof buffer);
      if (n <= 0) {
        close(out_);
        out_ = -1;
        continue;
      }
      pending_.append(buffer, static_cast<size_t>(n));
    }
  }

  // Like `| head -1`: the reader goes away.
  void CloseStdout() {
    if (out_ >= 0) close(out_);
    out_ = -1;
  }

  void Signal(int signal) { kill(pid_, signal); }

  // The exit code, or -1 when it did not end within the time.
  int Wait(int timeoutMs) {
    const int64_t deadline = NowMs() + timeoutMs;
    while (code_ < 0 && NowMs() < deadline) {
      if (out_ >= 0) ReadLine(10);  // keep the pipe drained
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_)
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      else
        usleep(10000);
    }
    return code_;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int code_ = -1;
  std::string pending_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string KindOf(const std::string& jsonLine) {
  const std::string key = "\"kind\": \"";
  const size_t at = jsonLine.find(key);
  return at == std::string::npos ? std::string() : jsonLine.substr(at + key.size(), 4);
}

class CliStatusTest : public ::testing::Test {
 protected:
  void StartSim(const std::vector<std::string>& args = {}) {
    std::string error;
    ASSERT_TRUE(sim_.Start(args, 5000, error)) << error;
  }

  std::vector<std::string> StatusArgs(std::vector<std::string> more) {
    std::vector<std::string> args = {"status", "--port", sim_.DevicePath(), "--password", "1234"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  // Whether the terminal still sends reports: it answers its status request with the mode.
  std::string ReportMode() {
    const TProgramRun run = RunProgram(
        "./quillon-cli", {"send", "--port", sim_.DevicePath(), "--password", "1234", "AT+SDAD=?"});
    EXPECT_EQ(run.Code, 0) << run.Err;
    const size_t at = run.Out.find("+RESP:SDAD,");
    return at == std::string::npos ? run.Out : run.Out.substr(at + 11, 1);
  }

  TSimulatorProcess sim_;
  TempDir dir_;
};

TEST_F(CliStatusTest, CountSixJsonPrintsEveryKindAndStopsTheReports) {
  StartSim();
  const TProgramRun run =
      RunProgram("./quillon-cli", StatusArgs({"--json", "--count", "6", "--verbose"}));
  ASSERT_EQ(run.Code, 0) << run.Err;
  std::vector<std::string> lines;
  std::istringstream out(run.Out);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 6u) << run.Out;
  std::set<std::string> kinds;
  for (const std::string& line : lines) {
    kinds.insert(KindOf(line));
    EXPECT_EQ(line.rfind("{\"time\": \"", 0), 0u) << line;
    EXPECT_NE(line.find("Z\", \"kind\": "), std::string::npos) << line;
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"DPRM", "TREP", "SREP", "SFPT", "SNAV", "SGSM"}));
  for (const std::string& line : lines) {
    if (KindOf(line) == "DPRM") {
      EXPECT_NE(line.find("\"items\": [\"VT-300\", \"000417\", \"860417050417364\", \"2.14.0\"], "
                          "\"fields\": {\"eDevName\": \"VT-300\""),
                std::string::npos)
          << line;
    }
    if (KindOf(line) == "SREP") {
      EXPECT_NE(line.find("\"checks\": {\"cDState1\": true, "), std::string::npos) << line;
    }
    if (KindOf(line) == "SFPT")
      EXPECT_NE(line.find("\"lMemoryOverflow\": false}"), std::string::npos) << line;
    else
      EXPECT_EQ(line.find("lMemoryOverflow"), std::string::npos) << line;
  }
  // The listener was attached before the start request: its echo arrived as a packet.
  EXPECT_NE(run.Err.find("<AT+SDAD=*,,3,,,,,,,,,,,"), std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find(">AT+SDAD=*,,0,,,,,,,,,,,"), std::string::npos) << run.Err;
  EXPECT_EQ(ReportMode(), "0");
}

TEST_F(CliStatusTest, TextOutputShowsCaptionsAndValues) {
  StartSim();
  const TProgramRun run = RunProgram("./quillon-cli", StatusArgs({"--count", "6"}),
                                     TRunOptions{{"LC_ALL=C"}, "", "", 60});
  ASSERT_EQ(run.Code, 0) << run.Err;
  for (const std::string& text :
       {U8(u8" DPRM\n  Модель: VT-300\n"), U8(u8"  IMEI: 860417050417364\n"),
        U8(u8"  Дискретный 1: yes\n"), U8(u8"  Регистрация в сети: Домашняя сеть\n"),
        U8(u8"  Высота: ")})
    EXPECT_NE(run.Out.find(text), std::string::npos) << text << "\n" << run.Out;
  EXPECT_EQ(run.Err, "");
}

// Units of one production line differ by identity: the one given to the simulator is read.
TEST_F(CliStatusTest, IdentityIsTheSimulatorsImei) {
  StartSim({"--imei", "356938035643809"});
  const TProgramRun run = RunProgram("./quillon-cli", StatusArgs({"--json", "--count", "6"}));
  ASSERT_EQ(run.Code, 0) << run.Err;
  EXPECT_NE(run.Out.find("\"items\": [\"VT-300\", \"000417\", \"356938035643809\", \"2.14.0\"]"),
            std::string::npos)
      << run.Out;
  EXPECT_EQ(run.Out.find("860417050417364"), std::string::npos) << run.Out;
}

TEST_F(CliStatusTest, SecondsEndTheStreamWithTheStopRequest) {
  StartSim();
  const TProgramRun run =
      RunProgram("./quillon-cli", StatusArgs({"--json", "--seconds", "2.5", "--verbose"}));
  ASSERT_EQ(run.Code, 0) << run.Err;
  // Reports come once a second, six at a time: at least the first round is in.
  const size_t lines = static_cast<size_t>(std::count(run.Out.begin(), run.Out.end(), '\n'));
  EXPECT_GE(lines, 6u) << run.Out;
  EXPECT_NE(run.Err.find(">AT+SDAD=*,,0,"), std::string::npos) << run.Err;
  EXPECT_EQ(ReportMode(), "0");
}

TEST_F(CliStatusTest, SignalsStillSendTheStopRequest) {
  StartSim();
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    const std::string err = dir_.File("err" + std::to_string(sig));
    TStreamingCli cli(StatusArgs({"--json", "--verbose"}), err);
    const std::optional<std::string> first = cli.ReadLine(10000);
    ASSERT_TRUE(first) << ReadFile(err);
    // A second report line: the stream runs.
    ASSERT_TRUE(cli.ReadLine(5000)) << ReadFile(err);
    cli.Signal(sig);
    EXPECT_EQ(cli.Wait(10000), 0) << sig << ReadFile(err);
    EXPECT_NE(ReadFile(err).find(">AT+SDAD=*,,0,"), std::string::npos) << ReadFile(err);
    EXPECT_EQ(ReportMode(), "0") << sig;
  }
}

TEST_F(CliStatusTest, ReaderGoingAwayStopsLikeAnInterrupt) {
  StartSim();
  const std::string err = dir_.File("err");
  TStreamingCli cli(StatusArgs({"--json", "--verbose"}), err);
  ASSERT_TRUE(cli.ReadLine(10000)) << ReadFile(err);
  cli.CloseStdout();
  EXPECT_EQ(cli.Wait(15000), 0) << ReadFile(err);
  EXPECT_NE(ReadFile(err).find(">AT+SDAD=*,,0,"), std::string::npos) << ReadFile(err);
  EXPECT_EQ(ReportMode(), "0");
}

TEST_F(CliStatusTest, HangUpMidStreamExitsFive) {
  StartSim();
  const std::string err = dir_.File("err");
  TStreamingCli cli(StatusArgs({"--json"}), err);
  ASSERT_TRUE(cli.ReadLine(10000)) << ReadFile(err);
  sim_.Stop();  // the adapter is pulled out: the device side closes
  EXPECT_EQ(cli.Wait(10000), 5) << ReadFile(err);
  EXPECT_NE(ReadFile(err).find("the terminal vanished"), std::string::npos) << ReadFile(err);
}

TEST_F(CliStatusTest, NoSessionGivesThreeOrFour) {
  const TProgramRun noPort =
      RunProgram("./quillon-cli", {"status", "--port", dir_.File("absent"), "--count", "1"});
  EXPECT_EQ(noPort.Code, 3) << noPort.Err;
  EXPECT_TRUE(noPort.Out.empty());

  // A line where nothing answers: the port opens, command mode never comes.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const TProgramRun mute =
      RunProgram("./quillon-cli", {"status", "--port", ptsname(master), "--count", "1",
                                   "--connect-tries", "1", "--timeout", "300"});
  close(master);
  EXPECT_EQ(mute.Code, 4) << mute.Err;
  EXPECT_TRUE(mute.Out.empty());
}

// Reports flow while the start and the stop requests are sent (13 stops in the middle of a
// round of six, so the rest of it arrives with the stop request); the terminal echoes the
// requests with the letters of the password in the other case. No output shows a password in
// any letter case.
TEST_F(CliStatusTest, NoPasswordInAnyOutput) {
  StartSim({"--password", "Qz7kW", "--master-password", "mAsT9r", "--swapped-case-echo"});
  for (const std::vector<std::string>& extra : std::vector<std::vector<std::string>>{
           {"--json", "--count", "13", "--verbose"}, {"--count", "13", "--verbose"}}) {
    std::vector<std::string> args = {"status",     "--port", sim_.DevicePath(),
                                     "--password", "Qz7kW",  "--master-password",
                                     "mAsT9r"};
    args.insert(args.end(), extra.begin(), extra.end());
    const TProgramRun run = RunProgram("./quillon-cli", args);
    ASSERT_EQ(run.Code, 0) << run.Err;
    // The echo of the start request came back as a packet, in the other case.
    EXPECT_NE(run.Err.find("<at+sdad=*,,3,,,,,,,,,,,"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find(">AT+SDAD=*,,0,,,,,,,,,,,"), std::string::npos) << run.Err;
    for (const char* password : {"qz7kw", "mast9r"}) {
      EXPECT_EQ(Lower(run.Err).find(password), std::string::npos) << run.Err;
      EXPECT_EQ(Lower(run.Out).find(password), std::string::npos) << run.Out;
    }
  }
}

// connect and send with --verbose against a slow terminal (a pause before every answer and
// between its lines) that echoes the letters of a request in the other case: the log on stderr
// and the printed answer show no password.
TEST_F(CliStatusTest, ConnectAndSendVerboseOnASlowTerminalShowNoPassword) {
  StartSim({"--password", "Qz7kW", "--swapped-case-echo", "--delay", "150", "--gap", "60"});
  const std::vector<std::vector<std::string>> cases = {
      {"connect", "--verbose"},
      {"send", "--verbose", "AT+SAVE=Qz7kW,"},
      {"send", "--verbose", "--no-wait", "AT+SDAD=Qz7kW,,0,,,,,,,,,,,"},
      {"send", "--verbose", "AT+SDAD=qZ7Kw,,0,,,,,,,,,,,"},
  };
  for (const std::vector<std::string>& c : cases) {
    std::vector<std::string> args = {
        c[0], "--port", sim_.DevicePath(), "--password", "Qz7kW", "--timeout", "1500"};
    args.insert(args.end(), c.begin() + 1, c.end());
    const TProgramRun run = RunProgram("./quillon-cli", args);
    EXPECT_EQ(run.Code, 0) << c.back() << run.Err;
    EXPECT_NE(run.Err.find(">"), std::string::npos) << run.Err;
    EXPECT_EQ(Lower(run.Err).find("qz7kw"), std::string::npos) << run.Err;
    EXPECT_EQ(Lower(run.Out).find("qz7kw"), std::string::npos) << run.Out;
  }
}

}  // namespace
}  // namespace quillon::test
