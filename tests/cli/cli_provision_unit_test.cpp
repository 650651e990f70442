// quillon-cli provision-unit, the worker of provision, against quillon-sim on a pseudo-terminal
// as the parent runs it: the JSON lines it reports, its exit code, what the terminal received
// and stored, and the snapshot it leaves.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/json_value.h"
#include "cli/provision_worker.h"
#include "configfiles/config_file.h"
#include "editor/headless_editor.h"
#include "profile/command_profile.h"
#include "sim/simulator_process.h"
#include "support/config_file_bytes.h"
#include "support/run_program.h"
#include "support/sim_trace.h"
#include "support/temp_dir.h"
#include "support/utf8_literal.h"

namespace quillon::test {
namespace {

constexpr const char* kImei = "860000000000011";

bool Has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  while (from < text.size()) {
    const size_t end = text.find('\n', from);
    lines.push_back(text.substr(from, end - from));
    if (end == std::string::npos) break;
    from = end + 1;
  }
  return lines;
}

// Every line of the worker's output read as JSON; a line that is not an object fails the test.
std::vector<cli::TJsonValue> JsonLines(const std::string& out) {
  std::vector<cli::TJsonValue> values;
  for (const std::string& line : Lines(out)) {
    std::optional<cli::TJsonValue> value = cli::ParseJson(line);
    EXPECT_TRUE(value && value->Kind == cli::TJsonValue::jkObject) << line;
    if (value) values.push_back(*value);
  }
  return values;
}

// The "command" line of one command instance, or nullptr.
const cli::TJsonValue* CommandLine(const std::vector<cli::TJsonValue>& lines,
                                   const std::string& command, int instance) {
  for (const cli::TJsonValue& line : lines)
    if (line.Text("event") == "command" && line.Text("command") == command &&
        line.Num("instance") == instance)
      return &line;
  return nullptr;
}

class ProvisionUnitTest : public ::testing::Test {
 protected:
  // A fresh terminal that traces what it receives and keeps what +SAVE stores.
  void StartTerminal(std::vector<std::string> options = {}) {
    options.insert(options.end(), {"--trace", "--state", state_, "--password", "2468",
                                   "--master-password", "9753"});
    sim_.SetErrorFile(trace_);
    std::string error;
    ASSERT_TRUE(sim_.Start(options, 5000, error)) << error;
  }

  // The worker as the parent starts it, stdin given.
  TProgramRun Worker(const std::string& input, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"provision-unit", "--port",   sim_.DevicePath(),
                                     "--password",     "2468",     "--master-password",
                                     "9753",           "--config", template_,
                                     "--snapshots",    snapshots_, "--fast"};
    args.insert(args.end(), more.begin(), more.end());
    TRunOptions options;
    options.Input = input;
    return RunProgram("./quillon-cli", args, options);
  }

  // The requests the terminal received, in order, the access code included.
  std::vector<std::string> Received() const { return ReceivedRequests(trace_); }
  // Requests that write a setting: everything with a password but the status exchange and
  // leaving command mode.
  std::vector<std::string> Writes() const {
    std::vector<std::string> writes;
    for (const std::string& r : Received())
      if ((Has(r, "=9753,") || Has(r, "=2468,")) && r.rfind("AT+SDAD=", 0) != 0 &&
          r.rfind("AT+TEXT=", 0) != 0)
        writes.push_back(r);
    return writes;
  }

  TempDir dir_;
  std::string trace_ = dir_.File("trace");
  std::string state_ = dir_.File("state");
  std::string snapshots_ = dir_.File("snapshots");
  // The template: +STIM and +SNAM, and the second server of +SSRV.
  std::string template_ = dir_.Write(
      "template.zxml", ConfigFile(CommandXml("+STIM", {{{"0", "4"}, {"1\" enabled=\"1", "2"}}}) +
                                  CommandXml("+SNAM", {{{"0", "Truck"}}})));
  TSimulatorProcess sim_;
};

// The whole road: identity, snapshot, the template with the unit's row over it written and
// verified, stored, command mode left; every line an object, the done line last.
TEST_F(ProvisionUnitTest, PassingUnitHoldsTemplateAndRow) {
  StartTerminal({"--imei", kImei});
  const std::string units = dir_.Write("units.csv", std::string("IMEI,+SNAM[0],+SSRV#2[0]\r\n") +
                                                        "111111111111111,Other,10.0.0.1\r\n" +
                                                        kImei + ",Unit 11,10.9.8.7\r\n");
  const TProgramRun run = Worker("go\n", {"--units", units});
  ASSERT_EQ(run.Code, 0) << run.Err << run.Out;
  const std::vector<cli::TJsonValue> lines = JsonLines(run.Out);
  ASSERT_GE(lines.size(), 3u) << run.Out;
  const cli::TJsonValue& done = lines.back();
  EXPECT_EQ(done.Text("event"), "done");
  EXPECT_EQ(done.Text("result"), "passed");
  EXPECT_EQ(done.Text("imei"), kImei);
  EXPECT_EQ(done.Text("model"), "VT-300");
  EXPECT_EQ(done.Text("firmware"), "2.14.0");
  EXPECT_EQ(done.Num("written"), 3);
  EXPECT_EQ(done.Num("verified"), 3);
  EXPECT_EQ(done.Num("differing"), 0);
  EXPECT_EQ(done.Num("failed"), 0);
  EXPECT_TRUE(done.Flag("stored"));
  EXPECT_EQ(done.Text("first_error", "<none>"), "");
  EXPECT_GT(done.Num("seconds"), 0);

  // The stages in their order, the identity before the snapshot.
  std::vector<std::string> events;
  for (const cli::TJsonValue& line : lines) {
    std::string event = line.Text("event") + " " + line.Text("stage");
    if (events.empty() || events.back() != event) events.push_back(event);
  }
  const std::vector<std::string> expected = {
      "stage connecting", "stage identifying", "identity ",     "stage snapshot",
      "stage writing",    "stage verifying",   "command ",      "stage writing",
      "stage verifying",  "command ",          "stage writing", "stage verifying",
      "command ",         "stage storing",     "stage leaving", "done "};
  EXPECT_EQ(events, expected);
  for (const cli::TJsonValue& line : lines)
    if (line.Text("event") == "identity") {
      EXPECT_EQ(line.Text("imei"), kImei);
      EXPECT_EQ(line.Text("model"), "VT-300");
      EXPECT_EQ(line.Text("firmware"), "2.14.0");
    }
  for (const auto& [command, instance] :
       std::vector<std::pair<std::string, int>>{{"+SSRV", 2}, {"+SNAM", 1}, {"+STIM", 1}}) {
    const cli::TJsonValue* line = CommandLine(lines, command, instance);
    ASSERT_NE(line, nullptr) << command;
    EXPECT_EQ(line->Text("result"), "verified") << command;
    ASSERT_NE(line->Find("differences"), nullptr);
    EXPECT_TRUE(line->Find("differences")->Items.empty());
  }
  EXPECT_FALSE(Has(run.Out, "9753")) << run.Out;

  // The flash holds the template with the row over it, and the terminal went back to work.
  const std::string state = ReadFile(state_);
  EXPECT_TRUE(Has(state, "+STIM=4,")) << state;
  EXPECT_TRUE(Has(state, "+SNAM=Unit 11")) << state;
  EXPECT_TRUE(Has(state, ",10.9.8.7,")) << state;
  EXPECT_TRUE(Received().back().rfind("AT+TEXT=", 0) == 0) << Received().back();
  // The exchange was started and stopped again.
  bool stopped = false;
  for (const std::string& r : Received()) stopped |= Has(r, "AT+SDAD=") && Has(r, ",,0,");
  EXPECT_TRUE(stopped);

  // The snapshot holds the terminal as it was before.
  const std::string file = done.Text("snapshot");
  EXPECT_EQ(std::filesystem::path(file).parent_path(), std::filesystem::path(snapshots_) / kImei);
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  THeadlessEditor editor(profile);
  TConfigMessages messages;
  ASSERT_EQ(LoadConfigurationFromFile(profile, editor, file, messages).Outcome, loLoaded);
  int page = -1, command = -1;
  ASSERT_TRUE(profile.FindCommand("+STIM", page, command));
  EXPECT_EQ(editor.InputText(page, command, 0, 0), "3");

  // A second run in the same second keeps the first snapshot.
  const std::string before = ReadFile(file);
  ASSERT_EQ(Worker("go\n", {"--units", units, "--no-store"}).Code, 0);
  EXPECT_EQ(ReadFile(file), before);
  size_t snapshots = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(snapshots_) / kImei)) {
    (void)entry;
    ++snapshots;
  }
  EXPECT_EQ(snapshots, 2u);
}

// Every way a unit ends short of passing: the done line says why, nothing is written that
// should not be, nothing unverified is stored, and command mode is left wherever it was entered.
TEST_F(ProvisionUnitTest, UnitsThatDoNotPass) {
  struct TCase {
    const char* What;
    std::vector<std::string> Terminal;  // quillon-sim options
    std::string Input;                  // the parent's answer on stdin
    std::vector<std::string> Args;      // more worker arguments ("UNITS": the units file)
    const char* Result;
    int Code;
    std::string FirstError;  // a part of it (UTF-8)
    bool Identified;         // an identity line came
    bool Snapshot;           // a snapshot was taken
    int Written;
  };
  const std::string badTemplate = dir_.Write("bad.zxml", "not zlib at all");
  const std::string units = dir_.Write("units.csv", "IMEI,+SNAM[0]\n111111111111111,Other\n");
  const std::string apnTemplate =
      dir_.Write("apn.zxml", ConfigFile(CommandXml("+SGPR", {{{"1", "internet"}}})));
  // clang-format off
  const std::vector<TCase> cases = {
      {"refused password", {"--refuse", "PASSWORD"}, "go\n", {},
       "failed", 6, "ERROR,PASSWORD", false, false, 0},
      {"invalid IMEI", {"--imei", "12345"}, "go\n", {},
       "failed", 1, "no valid identity", false, false, 0},
      {"no row", {"--imei", kImei}, "go\n", {"--units", units},
       "failed", 1, std::string("no row for IMEI ") + kImei + " in " + units, true, true, 0},
      {"skip", {"--imei", kImei}, "skip\n", {},
       "skipped", 0, "", true, false, 0},
      {"end of stdin", {"--imei", kImei}, "", {},
       "skipped", 0, "", true, false, 0},
      // The terminal falls silent during the snapshot: no backup, so nothing is written.
      {"snapshot fails", {"--imei", kImei, "--silent-after", "6"}, "go\n", {},
       "failed", 8, "snapshot: +SPIN: no answer", true, false, 0},
      {"snapshot folder", {"--imei", kImei}, "go\n", {"--snapshots", badTemplate},
       "failed", 1, "snapshot: ", true, false, 0},
      // A write the terminal ignores: not verified, so the settings are not stored.
      {"differs", {"--imei", kImei, "--ignore-set", "+SNAM"}, "go\n", {},
       "failed", 9, "+SNAM: differs ([0] sent \"Truck\", read \"", true, true, 2},
      {"bad template", {"--imei", kImei}, "go\n", {"--config", badTemplate},
       "failed", 1, badTemplate + ": Error", false, false, 0},
      // The APN password is never read back: without --allow-defaults it is not written.
      {"unreadable parameter", {"--imei", kImei}, "go\n", {"--config", apnTemplate},
       "failed", 2, "+SGPR[3]", true, true, 0},
  };
  // clang-format on
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    std::filesystem::remove(trace_);
    StartTerminal(c.Terminal);
    const TProgramRun run = Worker(c.Input, c.Args);
    sim_.Stop();
    EXPECT_EQ(run.Code, c.Code) << run.Err;
    const std::vector<cli::TJsonValue> lines = JsonLines(run.Out);
    ASSERT_FALSE(lines.empty());
    const cli::TJsonValue& done = lines.back();
    EXPECT_EQ(done.Text("event"), "done");
    EXPECT_EQ(done.Text("result"), c.Result) << run.Out;
    EXPECT_TRUE(Has(done.Text("first_error"), c.FirstError)) << run.Out;
    bool identified = false;
    for (const cli::TJsonValue& line : lines) identified |= line.Text("event") == "identity";
    EXPECT_EQ(identified, c.Identified) << run.Out;
    const std::string snapshot = done.Text("snapshot");
    EXPECT_EQ(!snapshot.empty(), c.Snapshot) << run.Out;
    if (c.Snapshot) {
      EXPECT_TRUE(std::filesystem::exists(snapshot));
    }
    EXPECT_EQ(done.Num("written"), c.Written);
    EXPECT_EQ(Writes().size(), static_cast<size_t>(c.Written)) << ReadFile(trace_);
    EXPECT_FALSE(done.Flag("stored"));
    for (const std::string& r : Received()) EXPECT_NE(r.rfind("AT+SAVE", 0), 0u) << r;
    EXPECT_FALSE(Has(run.Out, "9753") || Has(run.Out, "2468")) << run.Out;
    // Command mode is left wherever it was entered and the terminal still listens.
    if (c.Code != 8 && !Received().empty()) {
      EXPECT_TRUE(Received().back().rfind("AT+TEXT=", 0) == 0) << Received().back();
    }
  }
}

// The parent's second stop signal reaches a worker waiting for its answer: it ends at once,
// leaves command mode and still says so in its done line.
TEST_F(ProvisionUnitTest, StopSignalEndsTheUnitCleanly) {
  StartTerminal({"--imei", kImei});
  cli::TProvisionWorker worker;
  std::string error;
  ASSERT_TRUE(worker.Start(
      "./quillon-cli",
      {"./quillon-cli", "provision-unit", "--port", sim_.DevicePath(), "--password", "2468",
       "--master-password", "9753", "--config", template_, "--snapshots", snapshots_, "--fast"},
      error))
      << error;
  std::vector<std::string> lines;
  bool identified = false;
  for (int i = 0; i < 1000 && !worker.OutputsClosed(); ++i) {
    pollfd fds[2] = {{worker.OutFd(), POLLIN, 0}, {worker.ErrFd(), POLLIN, 0}};
    poll(fds, 2, 20);
    worker.ReadOut();
    worker.ReadErr();
    while (worker.NextErrLine()) {
    }
    while (std::optional<std::string> line = worker.NextOutLine()) {
      lines.push_back(*line);
      if (!identified && Has(*line, "\"identity\"")) {
        identified = true;
        worker.Terminate();
      }
    }
  }
  ASSERT_TRUE(identified);
  std::optional<int> status;
  for (int i = 0; i < 500 && !status; ++i, usleep(10000)) status = worker.TryReap();
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  const std::vector<cli::TJsonValue> parsed = JsonLines(out);
  ASSERT_FALSE(parsed.empty());
  EXPECT_EQ(parsed.back().Text("result"), "failed") << out;
  EXPECT_EQ(parsed.back().Text("first_error"), "stopped by signal 15") << out;
  EXPECT_TRUE(Writes().empty());
  EXPECT_TRUE(Received().back().rfind("AT+TEXT=", 0) == 0) << Received().back();
}

TEST(ProvisionUnitArgumentsTest, HiddenButHelpfulAndAlwaysEndsWithDone) {
  const TProgramRun help = RunProgram("./quillon-cli", {"provision-unit", "--help"});
  EXPECT_EQ(help.Code, 0);
  for (const char* field : {"stage", "identity", "command", "done", "first_error", "snapshot",
                            "differing", "stored", "--fast"})
    EXPECT_TRUE(Has(help.Out, field)) << field;
  EXPECT_FALSE(Has(RunProgram("./quillon-cli", {"--help"}).Out, "provision-unit"));

  // Without its template the worker still ends with its done line, for the parent to read.
  const TProgramRun bad = RunProgram("./quillon-cli", {"provision-unit", "--port", "/dev/null"});
  EXPECT_EQ(bad.Code, 2);
  const std::vector<cli::TJsonValue> lines = JsonLines(bad.Out);
  ASSERT_EQ(lines.size(), 1u) << bad.Out;
  EXPECT_EQ(lines[0].Text("event"), "done");
  EXPECT_EQ(lines[0].Text("result"), "failed");
  EXPECT_TRUE(Has(lines[0].Text("first_error"), "--config")) << bad.Out;
}

}  // namespace
}  // namespace quillon::test
