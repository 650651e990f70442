// quillon-cli provision end to end: several simulated terminals provisioned at once from a
// template and UNITS.csv, what each terminal stored, the snapshots, the report; --watch picking
// up a terminal that appears later; and a bad UNITS.csv that opens no port.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "background_cli.h"
#include "configfiles/config_file.h"
#include "editor/headless_editor.h"
#include "profile/command_profile.h"
#include "sim/simulator_process.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace quillon::test {
namespace {

bool Has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

size_t CountOf(const std::string& text, const std::string& piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

// One simulated terminal with its own IMEI, keeping what +SAVE stores and tracing what it gets.
struct TUnit {
  std::string Imei, State, Trace;
  TSimulatorProcess Sim;

  bool Start(const TempDir& dir, const std::string& imei, std::vector<std::string> extra,
             std::string& error) {
    Imei = imei;
    State = dir.File("state-" + imei);
    Trace = dir.File("trace-" + imei);
    extra.insert(extra.end(), {"--imei", imei, "--state", State, "--trace"});
    Sim.SetErrorFile(Trace);
    return Sim.Start(extra, 5000, error);
  }
  // The requests the terminal received (its trace marks them "] << ").
  size_t Received() const { return CountOf(ReadFile(Trace), "] << "); }
};

class CliProvisionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_.LoadCommandProfile("cmdprofile.xml");
    ASSERT_FALSE(profile_.Pages.empty());
  }

  void Set(THeadlessEditor& editor, const char* command, int instance, int param,
           const std::string& value) {
    int page = -1, index = -1;
    ASSERT_TRUE(profile_.FindCommand(command, page, index)) << command;
    editor.SetInputText(page, index, instance, param, value);
  }

  // The template: the profile's defaults with a server, a time zone and an APN of the fleet.
  std::string Template() {
    THeadlessEditor editor(profile_);
    Set(editor, "+SSRV", 0, 0, "10.20.30.40");
    Set(editor, "+SSRV", 0, 1, "9000");
    Set(editor, "+STIM", 0, 0, "7");
    Set(editor, "+SGPR", 0, 1, "fleet.apn");
    const std::string path = dir_.File("template.zxml");
    TConfigMessages messages;
    EXPECT_TRUE(SaveConfigurationToFile(profile_, editor, path, messages));
    return path;
  }

  TProgramRun Provision(std::vector<std::string> args) {
    args.insert(args.begin(), {"provision", "--password", "1234", "--master-password", "5678"});
    // Run in the scratch folder: snapshots go to ./snapshots there.
    return RunProgram(std::filesystem::absolute("quillon-cli").string(), args,
                      {{}, dir_.path(), "", 120});
  }

  CommandProfile profile_;
  TempDir dir_;
};

// The run a line worker makes: four terminals, one template, one row each; the one that
// refuses every write fails with its reason, the other three hold the template and their row.
TEST_F(CliProvisionTest, FourTerminalsFromTemplateAndRows) {
  const std::vector<std::string> imeis = {"860000000000001", "860000000000002", "860000000000003",
                                          "860000000000004"};
  std::vector<std::unique_ptr<TUnit>> units;
  std::string ports, csv = "IMEI,+SNAM[0],+SSRV#2[0],+SSRV#2[1]\r\n";
  for (size_t i = 0; i < imeis.size(); ++i) {
    units.push_back(std::make_unique<TUnit>());
    std::string error;
    std::vector<std::string> extra;
    if (i == 3) extra = {"--refuse", "PASSWORD"};
    ASSERT_TRUE(units[i]->Start(dir_, imeis[i], extra, error)) << error;
    ports += (i ? "," : "") + units[i]->Sim.DevicePath();
    csv += imeis[i] + ",\"Truck " + std::to_string(i + 1) + "\",192.168.0." +
           std::to_string(i + 1) + ",700" + std::to_string(i + 1) + "\r\n";
  }
  const std::string unitsCsv = dir_.Write("units.csv", csv);
  const std::string report = dir_.File("report.csv");
  const TProgramRun run = Provision({"--config", Template(), "--units", unitsCsv, "--ports", ports,
                                     "--report", report, "--allow-defaults"});
  EXPECT_EQ(run.Code, 1) << run.Out << run.Err;

  const std::string rows = ReadFile(report);
  EXPECT_EQ(rows.rfind("port,imei,model,firmware,result,written,verified,differing,failed,"
                       "seconds,first_error\r\n",
                       0),
            0u)
      << rows;
  EXPECT_EQ(CountOf(rows, "\r\n"), 5u) << rows;
  for (size_t i = 0; i < units.size(); ++i) {
    const TUnit& unit = *units[i];
    const std::string state = ReadFile(unit.State);
    const std::string snapshots = dir_.File("snapshots/" + unit.Imei);
    if (i == 3) {
      // It refuses even the start of the status reports, so it is never identified: its row
      // has no IMEI, the reason is the terminal's, and nothing was written.
      const size_t at = rows.find(unit.Sim.DevicePath() + ",,");
      ASSERT_NE(at, std::string::npos) << rows;
      const std::string line = rows.substr(at, rows.find("\r\n", at) - at);
      EXPECT_TRUE(Has(line, ",failed,")) << line;
      EXPECT_TRUE(Has(line, "PASSWORD")) << line;
      EXPECT_FALSE(Has(state, "Truck")) << state;
      EXPECT_FALSE(std::filesystem::exists(snapshots));
      continue;
    }
    const std::string row = unit.Sim.DevicePath() + "," + unit.Imei + ",";
    const size_t at = rows.find(row);
    ASSERT_NE(at, std::string::npos) << row << "\n" << rows;
    const std::string line = rows.substr(at, rows.find("\r\n", at) - at);
    // A snapshot of what the terminal held before, per IMEI.
    ASSERT_TRUE(std::filesystem::is_directory(snapshots)) << snapshots;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(snapshots),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_TRUE(Has(line, ",passed,")) << line;
    EXPECT_TRUE(Has(state, "+SNAM=Truck " + std::to_string(i + 1) + ",")) << state;
    EXPECT_TRUE(Has(state, "+SSRV=10.20.30.40,9000,0,60,192.168.0." + std::to_string(i + 1) +
                               ",700" + std::to_string(i + 1) + ","))
        << state;
    EXPECT_TRUE(Has(state, "+STIM=7,")) << state;
    EXPECT_TRUE(Has(state, "+SGPR=1,fleet.apn,")) << state;
  }
  EXPECT_TRUE(Has(run.Out, "4 units: 3 passed, 1 failed")) << run.Out;
  // No password reaches the output or the report.
  for (const std::string& text : {run.Out, run.Err, rows}) {
    EXPECT_FALSE(Has(text, "1234")) << text;
    EXPECT_FALSE(Has(text, "5678")) << text;
  }
}

// A terminal plugged in after the start is provisioned; plugged in again, it is not written
// again; the operator's Ctrl+C ends the run with the report and the summary.
TEST_F(CliProvisionTest, WatchPicksUpATerminalOnceUntilStopped) {
  const std::string report = dir_.File("report.csv");
  TBackgroundCli watch(
      dir_, {"provision", "--config", Template(), "--ports", dir_.File("line*"), "--watch",
             "--report", report, "--snapshots", dir_.File("snapshots"), "--password", "1234",
             "--master-password", "5678", "--allow-defaults"});
  ASSERT_TRUE(watch.Started());
  ASSERT_TRUE(watch.WaitFor("watching", 10)) << watch.Out() << watch.Err();
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // a scan or two with no port
  std::string error;
  const std::string link = dir_.File("line1");
  {
    TUnit unit;
    ASSERT_TRUE(unit.Start(dir_, "860000000000009", {"--link", link}, error)) << error;
    ASSERT_TRUE(watch.WaitFor(link + ": IMEI 860000000000009 passed", 60))
        << watch.Out() << watch.Err();
    EXPECT_TRUE(Has(ReadFile(unit.State), "+STIM=7,"));
  }
  // Unplugged and plugged in again: a new appearance, but the same terminal.
  TUnit again;
  ASSERT_TRUE(again.Start(dir_, "860000000000009", {"--link", link}, error)) << error;
  ASSERT_TRUE(watch.WaitFor("skipped: already provisioned in this run", 60))
      << watch.Out() << watch.Err();
  EXPECT_FALSE(Has(ReadFile(again.Trace), "AT+SSRV=")) << ReadFile(again.Trace);

  watch.Signal(SIGINT);
  EXPECT_EQ(watch.Wait(30), 0) << watch.Out() << watch.Err();
  EXPECT_TRUE(Has(watch.Out(), "1 unit: 1 passed, 0 failed, 1 skipped")) << watch.Out();
  EXPECT_EQ(CountOf(ReadFile(report), "\r\n"), 2u) << ReadFile(report);
}

// UNITS.csv is checked whole before any port is opened: the terminal receives nothing.
TEST_F(CliProvisionTest, BadUnitsOpenNoPort) {
  TUnit unit;
  std::string error;
  ASSERT_TRUE(unit.Start(dir_, "860000000000001", {}, error)) << error;
  const std::string tmpl = Template();
  const struct {
    const char* name;
    const char* csv;
    const char* message;
  } cases[] = {
      {"address.csv", "IMEI,+SNAM[0],+SNOPE#1[0]\n860000000000001,a,1\n", "line 1: "},
      {"twice.csv", "IMEI,+SNAM[0]\n860000000000001,a\n860000000000001,b\n",
       "row 3: IMEI 860000000000001 has a row already"},
  };
  for (const auto& c : cases) {
    const TProgramRun run = Provision({"--config", tmpl, "--units", dir_.Write(c.name, c.csv),
                                       "--ports", unit.Sim.DevicePath(), "--allow-defaults"});
    EXPECT_EQ(run.Code, 2) << c.name << "\n" << run.Err;
    EXPECT_TRUE(Has(run.Err, c.message)) << run.Err;
    EXPECT_TRUE(Has(run.Err, "nothing was sent")) << run.Err;
  }
  EXPECT_EQ(unit.Received(), 0u) << ReadFile(unit.Trace);
}

}  // namespace
}  // namespace quillon::test
