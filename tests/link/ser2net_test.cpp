// quillon-cli through Debian's ser2net, started here in front of quillon-sim's pseudo-terminals
// with one raw (tcp) and one telnet (rfc2217) accepter: the same values and the same requests
// at the terminal as over the local pseudo-terminal, the line settings reaching the terminal's
// port, provisioning across local and network ports, and the gateway stopping, refusing or
// staying silent.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "configfiles/config_file.h"
#include "editor/headless_editor.h"
#include "link/com_port.h"
#include "profile/command_profile.h"
#include "settings/settings.h"
#include "sim/simulator_process.h"
#include "support/free_port.h"
#include "support/rfc2217_peer.h"
#include "support/run_program.h"
#include "support/ser2net_process.h"
#include "support/sim_trace.h"
#include "support/temp_dir.h"
#include "support/utf8_literal.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool Has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// One simulated terminal tracing what it receives and keeping what +SAVE stores.
struct TTerminal {
  std::string Trace, State;
  TSimulatorProcess Sim;

  void Start(const TempDir& dir, const std::string& name, const std::string& imei) {
    Trace = dir.File("trace-" + name);
    State = dir.File("state-" + name);
    Sim.SetErrorFile(Trace);
    std::string error;
    ASSERT_TRUE(
        Sim.Start({"--trace", "--state", State, "--imei", imei, "--seed", "7"}, 5000, error))
        << error;
  }
  std::vector<std::string> Requests() const { return ReceivedRequests(Trace); }
  // The line settings the terminal's port saw, in order ("line 19200 8N2").
  std::vector<std::string> LineSettings() const {
    std::vector<std::string> seen;
    for (const std::string& line : Lines(ReadFile(Trace)))
      if (Has(line, "] line ")) seen.push_back(line.substr(line.find("] line ") + 2));
    return seen;
  }
};

class Ser2netTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (TSer2net::Executable().empty())
      GTEST_SKIP() << "ser2net is not installed (scripts/setup installs it)";
  }

  // ser2net with a raw and a telnet accepter, in front of the given terminals.
  void StartGateway(TTerminal& raw, TTerminal& telnet) {
    connections_ = {{TSer2net::Raw, raw.Sim.DevicePath()},
                    {TSer2net::Telnet, telnet.Sim.DevicePath()}};
    std::string error;
    ASSERT_TRUE(ser2net_.Start(connections_, error)) << error;
  }
  std::string RawUrl() const { return connections_[0].Url(); }
  std::string TelnetUrl() const { return connections_[1].Url(); }

  static TProgramRun Cli(std::vector<std::string> args, const std::string& port,
                         int timeoutSeconds = 120) {
    const size_t at = args[0] == "config" ? 2 : 1;
    args.insert(args.begin() + static_cast<long>(at), {"--port", port, "--password", "1234"});
    if (args[0] != "connect") args.insert(args.end(), {"--master-password", "5678"});
    return RunProgram("./quillon-cli", args, {{}, "", "", timeoutSeconds});
  }

  TempDir dir_;
  TSer2net ser2net_;
  std::vector<TSer2net::TConnection> connections_;
};

// What a technician does with a terminal, over the local port and over each URL: every page
// polled, a value with "я" (the byte telnet escapes) written and read back, a backup saved
// and restored, six status reports. Same output, same requests at the terminal.
TEST_F(Ser2netTest, EveryUrlGivesTheValuesAndTheRequestsOfTheLocalPort) {
  TTerminal local, raw, telnet;
  local.Start(dir_, "local", "860000000000011");
  raw.Start(dir_, "raw", "860000000000011");
  telnet.Start(dir_, "telnet", "860000000000011");
  StartGateway(raw, telnet);

  struct TRun {
    std::vector<std::string> outputs;
  };
  const auto runAll = [&](const std::string& port, const std::string& name) {
    TRun run;
    const std::string backup = dir_.File(name + ".zxml");
    const std::vector<std::vector<std::string>> steps = {
        {"poll", "--json", "--fast"},
        {"apply", "--command", "+SNAM", "--set", U8(u8"0=Тягач-я 1"), "--fast"},
        {"poll", "--command", "+SNAM", "--fast"},
        {"config", "save", backup, "--fast"},
        {"config", "load", backup, "--allow-defaults", "--fast"},
        {"poll", "--json"},
    };
    for (const auto& step : steps) {
      const TProgramRun r = Cli(step, port);
      EXPECT_EQ(r.Code, 0) << name << " " << step[0] << ": " << r.Err;
      std::string out = r.Out;
      // The backup's own name differs from run to run.
      for (size_t at = out.find(backup); at != std::string::npos; at = out.find(backup))
        out.replace(at, backup.size(), "BACKUP");
      run.outputs.push_back(out);
    }
    const TProgramRun status = Cli({"status", "--json", "--count", "6"}, port);
    EXPECT_EQ(status.Code, 0) << name << ": " << status.Err;
    std::set<std::string> kinds;
    for (const std::string& line : Lines(status.Out))
      kinds.insert(line.substr(line.find("\"kind\": "), 15));
    run.outputs.push_back(std::to_string(Lines(status.Out).size()) + " reports of " +
                          std::to_string(kinds.size()) + " kinds");
    return run;
  };
  const TRun overPty = runAll(local.Sim.DevicePath(), "local");
  const TRun overTcp = runAll(RawUrl(), "tcp");
  const TRun overRfc2217 = runAll(TelnetUrl(), "rfc2217");
  ASSERT_EQ(overPty.outputs.size(), 7u);
  EXPECT_TRUE(Has(overPty.outputs[2], U8(u8"Тягач-я 1"))) << overPty.outputs[2];
  EXPECT_EQ(overPty.outputs.back(), "6 reports of 6 kinds");
  for (size_t i = 0; i < overPty.outputs.size(); ++i) {
    EXPECT_EQ(overTcp.outputs[i], overPty.outputs[i]) << "step " << i;
    EXPECT_EQ(overRfc2217.outputs[i], overPty.outputs[i]) << "step " << i;
  }
  EXPECT_EQ(ReadFile(dir_.File("tcp.zxml")), ReadFile(dir_.File("local.zxml")));
  EXPECT_EQ(ReadFile(dir_.File("rfc2217.zxml")), ReadFile(dir_.File("local.zxml")));
  const std::vector<std::string> requests = local.Requests();
  EXPECT_GT(requests.size(), 50u);
  EXPECT_EQ(raw.Requests(), requests);
  EXPECT_EQ(telnet.Requests(), requests);
}

// The settings file's line settings reach the terminal's port through rfc2217://, not through
// tcp://, where ser2net's own settings stay. A pseudo-terminal keeps the rate and the stop bits
// (it forces 8 bits without parity), so the character size and parity are seen accepted by the
// gateway's answers: the connection opens, and a refusal would have failed it.
TEST_F(Ser2netTest, LineSettingsReachTheTerminalsPortOverRfc2217Only) {
  TTerminal raw, telnet;
  raw.Start(dir_, "raw", "860000000000012");
  telnet.Start(dir_, "telnet", "860000000000012");
  StartGateway(raw, telnet);
  // A program folder of its own, whose settings file says how the line is set.
  const std::string folder = dir_.File("program");
  fs::create_directories(folder);
  fs::copy_file("quillon-cli", folder + "/quillon-cli");
  fs::copy_file("cmdprofile.xml", folder + "/cmdprofile.xml");
  const auto connect = [&](const std::string& url, const std::string& line) {
    dir_.Write("program/Quillon.ini",
               "[Connection]\r\nCOM=" + url + "\r\n" + line + "\r\n[Device]\r\nPassword=1234\r\n");
    const TProgramRun run = RunProgram(folder + "/quillon-cli", {"connect"});
    EXPECT_EQ(run.Code, 0) << url << ": " << run.Err;
  };
  connect(TelnetUrl(), "Speed=19200\r\nDataBits=7\r\nParity=Even\r\nStopBits=2");
  connect(TelnetUrl(), "Speed=57600\r\nDataBits=8\r\nParity=None\r\nStopBits=1");
  connect(RawUrl(), "Speed=19200\r\nDataBits=7\r\nParity=Even\r\nStopBits=2");
  EXPECT_EQ(telnet.LineSettings(), (std::vector<std::string>{"line 19200 8N2", "line 57600 8N1"}));
  EXPECT_EQ(raw.LineSettings(), (std::vector<std::string>{"line 115200 8N1"}));
}

// A lone CR (the end of every request), NUL (the idle watch) and 0xFF ("я", telnet's escape)
// cross ser2net both ways: the terminal echoes each byte as it came.
TEST_F(Ser2netTest, CrNulAndTheEscapeByteCrossTheGatewayUnharmed) {
  TTerminal raw, telnet;
  raw.Start(dir_, "raw", "860000000000013");
  telnet.Start(dir_, "telnet", "860000000000013");
  StartGateway(raw, telnet);
  for (const std::string& url : {RawUrl(), TelnetUrl()}) {
    TSettings settings;
    settings.COM = url;
    settings.Speed = 115200;
    settings.Timeout = settings.TimeoutInterval = settings.TimeoutEcho = 300;
    TComPort port;
    port.ApplyPortSettings(settings);
    port.Open();
    const std::string bytes = std::string("\0я\xff", 3) + "\r";
    ASSERT_EQ(port.WriteBytes(bytes), 4) << url;
    EXPECT_EQ(port.ReadText(4), bytes) << url;
  }
}

// A template written to three terminals at once, one on the local port and one behind each
// accepter: each identified by its IMEI, the report naming its port as given.
TEST_F(Ser2netTest, ProvisioningMixesLocalAndNetworkPorts) {
  TTerminal local, raw, telnet;
  local.Start(dir_, "local", "860000000000021");
  raw.Start(dir_, "raw", "860000000000022");
  telnet.Start(dir_, "telnet", "860000000000023");
  StartGateway(raw, telnet);
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  THeadlessEditor editor(profile);
  int page = -1, command = -1;
  ASSERT_TRUE(profile.FindCommand("+STIM", page, command));
  editor.SetInputText(page, command, 0, 0, "7");
  TConfigMessages messages;
  const std::string templateFile = dir_.File("template.zxml");
  ASSERT_TRUE(SaveConfigurationToFile(profile, editor, templateFile, messages));
  const std::string report = dir_.File("report.csv");
  const TProgramRun run = RunProgram(
      fs::absolute("quillon-cli").string(),
      {"provision", "--password", "1234", "--master-password", "5678", "--config", templateFile,
       "--ports", local.Sim.DevicePath() + "," + RawUrl() + "," + TelnetUrl(), "--report", report,
       "--allow-defaults", "--fast"},
      {{}, dir_.path(), "", 120});
  EXPECT_EQ(run.Code, 0) << run.Out << run.Err;
  EXPECT_TRUE(Has(run.Out, "3 units: 3 passed")) << run.Out;
  const std::string rows = ReadFile(report);
  for (const auto& [port, imei] :
       {std::pair{local.Sim.DevicePath(), "860000000000021"},
        std::pair{RawUrl(), "860000000000022"}, std::pair{TelnetUrl(), "860000000000023"}})
    EXPECT_TRUE(Has(rows, port + "," + imei + ",VT-300,2.14.0,passed,")) << rows;
  for (const TTerminal* t : {&local, &raw, &telnet})
    EXPECT_TRUE(Has(ReadFile(t->State), "+STIM=7,")) << t->State;
}

// The gateway stopped in the middle of a poll is a device that went away: exit 5.
TEST_F(Ser2netTest, GatewayStoppedMidPollIsATransferError) {
  TTerminal raw, telnet;
  raw.Start(dir_, "raw", "860000000000031");
  telnet.Start(dir_, "telnet", "860000000000031");
  StartGateway(raw, telnet);
  TProgramRun run;
  std::thread poll([&] { run = Cli({"poll"}, TelnetUrl()); });
  // Past command-mode entry, well before the last page.
  for (int waited = 0; waited < 10000 && telnet.Requests().size() < 4; waited += 20)
    std::this_thread::sleep_for(20ms);
  ser2net_.Stop();
  poll.join();
  EXPECT_EQ(run.Code, 5) << run.Out << run.Err;
  EXPECT_TRUE(Has(run.Err, TelnetUrl().substr(10))) << run.Err;
}

// Nothing listening: exit 3, as for a port that cannot be opened, the address named. A server
// that accepts and stays silent ends in the time-outs, never a hang: over tcp:// the terminal
// does not answer (exit 4); rfc2217:// gives up at the negotiation (exit 3).
TEST_F(Ser2netTest, RefusedAndSilentServersEndWithTheirExitCodes) {
  const std::string refused = "rfc2217://127.0.0.1:" + std::to_string(FreePort());
  const TProgramRun r = Cli({"connect"}, refused);
  EXPECT_EQ(r.Code, 3) << r.Err;
  EXPECT_TRUE(Has(r.Err, refused)) << r.Err;

  TRfc2217Peer::TScript script;
  script.Silent = true;
  TRfc2217Peer silent(script);
  const std::string port = std::to_string(silent.Port());
  const auto start = std::chrono::steady_clock::now();
  const TProgramRun tcp =
      Cli({"connect", "--connect-tries", "2", "--timeout", "100"}, "tcp://127.0.0.1:" + port);
  EXPECT_EQ(tcp.Code, 4) << tcp.Err;
  const TProgramRun rfc = Cli({"connect", "--timeout", "100"}, "rfc2217://127.0.0.1:" + port);
  EXPECT_EQ(rfc.Code, 3) << rfc.Err;
  EXPECT_TRUE(Has(rfc.Err, "127.0.0.1:" + port)) << rfc.Err;
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
}

}  // namespace
}  // namespace quillon::test
