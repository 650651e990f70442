// quillon-cli provision-unit, the worker of provision, against quillon-sim on a pseudo-terminal
// as the parent runs it: the JSON lines it reports, its exit code, what the terminal received
// and stored, and the snapshot it leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "configfiles/config_file.h"
#include "editor/headless_editor.h"
#include "profile/command_profile.h"
#include "sim/simulator_process.h"
#include "support/config_file_bytes.h"
#include "support/run_program.h"
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

// The raw JSON text of a member of a one-line object: a string with its quotes, a number,
// true or false.
std::string Member(const std::string& line, const std::string& key) {
  const std::string start = "\"" + key + "\": ";
  const size_t at = line.find(start);
  if (at == std::string::npos) return "<none>";
  const size_t from = at + start.size();
  if (line[from] != '"') return line.substr(from, line.find_first_of(",}", from) - from);
  size_t end = from + 1;
  while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
  return line.substr(from, end + 1 - from);
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
  std::vector<std::string> Received() const {
    std::vector<std::string> requests;
    const std::string trace = ReadFile(trace_);
    for (size_t at = trace.find("] << "); at != std::string::npos;
         at = trace.find("] << ", at + 1)) {
      const size_t from = at + 5;
      requests.push_back(trace.substr(from, trace.find('\n', from) - from));
    }
    return requests;
  }
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
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_GE(lines.size(), 3u) << run.Out;
  for (const std::string& line : lines) EXPECT_TRUE(line.front() == '{' && line.back() == '}');
  const std::string& done = lines.back();
  EXPECT_EQ(Member(done, "event"), "\"done\"") << done;
  EXPECT_EQ(Member(done, "result"), "\"passed\"") << done;
  EXPECT_EQ(Member(done, "imei"), std::string("\"") + kImei + "\"");
  EXPECT_EQ(Member(done, "model"), "\"VT-300\"");
  EXPECT_EQ(Member(done, "firmware"), "\"2.14.0\"");
  EXPECT_EQ(Member(done, "written"), "3") << done;
  EXPECT_EQ(Member(done, "verified"), "3") << done;
  EXPECT_EQ(Member(done, "failed"), "0") << done;
  EXPECT_EQ(Member(done, "stored"), "true") << done;
  EXPECT_EQ(Member(done, "first_error"), "\"\"") << done;
  EXPECT_TRUE(Has(run.Out,
                  "{\"event\": \"identity\", \"imei\": \"860000000000011\", \"model\": "
                  "\"VT-300\", \"firmware\": \"2.14.0\"}\n"))
      << run.Out;
  for (const char* line :
       {"{\"event\": \"command\", \"command\": \"+SSRV\", \"instance\": 2, \"result\": "
        "\"verified\", \"differences\": []}",
        "\"command\": \"+SNAM\", \"instance\": 1, \"result\": \"verified\"",
        "\"command\": \"+STIM\", \"instance\": 1, \"result\": \"verified\""})
    EXPECT_TRUE(Has(run.Out, line)) << line;
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
  const std::string path = Member(done, "snapshot");
  ASSERT_GT(path.size(), 2u);
  const std::string file = path.substr(1, path.size() - 2);
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

// Every way a unit ends short of passing: the done line says why, and nothing is written
// that should not be.
TEST_F(ProvisionUnitTest, UnitsThatDoNotPass) {
  struct TCase {
    const char* What;
    std::vector<std::string> Terminal;  // quillon-sim options
    std::string Input;                  // the parent's answer on stdin
    bool Units;                         // with a units file that lacks the terminal
    const char* Result;
    int Code;
    std::string FirstError;  // a part of it (UTF-8)
    bool Identified;         // an identity line came
    bool Snapshot;           // a snapshot was taken
  };
  const std::vector<TCase> cases = {
      {"refused password",
       {"--refuse", "PASSWORD"},
       "go\n",
       false,
       "failed",
       6,
       "ERROR,PASSWORD",
       false,
       false},
      {"invalid IMEI",
       {"--imei", "12345"},
       "go\n",
       false,
       "failed",
       1,
       "no valid identity",
       false,
       false},
      {"no row",
       {"--imei", kImei},
       "go\n",
       true,
       "failed",
       1,
       std::string("no row for IMEI ") + kImei,
       true,
       true},
      {"skip", {"--imei", kImei}, "skip\n", false, "skipped", 0, "", true, false},
      {"end of stdin", {"--imei", kImei}, "", false, "skipped", 0, "", true, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    std::filesystem::remove(trace_);
    StartTerminal(c.Terminal);
    const std::string units = dir_.Write("units.csv", "IMEI,+SNAM[0]\n111111111111111,Other\n");
    const TProgramRun run = Worker(
        c.Input, c.Units ? std::vector<std::string>{"--units", units} : std::vector<std::string>{});
    sim_.Stop();
    EXPECT_EQ(run.Code, c.Code) << run.Err;
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_FALSE(lines.empty());
    const std::string& done = lines.back();
    EXPECT_EQ(Member(done, "event"), "\"done\"") << done;
    EXPECT_EQ(Member(done, "result"), std::string("\"") + c.Result + "\"") << done;
    EXPECT_TRUE(Has(Member(done, "first_error"), c.FirstError)) << done;
    EXPECT_EQ(Has(run.Out, "\"event\": \"identity\""), c.Identified) << run.Out;
    const std::string snapshot = Member(done, "snapshot");
    EXPECT_EQ(snapshot != "\"\"", c.Snapshot) << done;
    if (c.Snapshot) {
      EXPECT_TRUE(std::filesystem::exists(snapshot.substr(1, snapshot.size() - 2)));
    }
    EXPECT_EQ(Member(done, "written"), "0");
    EXPECT_EQ(Member(done, "stored"), "false");
    EXPECT_TRUE(Writes().empty()) << Writes().front();
    EXPECT_FALSE(Has(run.Out, "9753") || Has(run.Out, "2468")) << run.Out;
    // Command mode is left, also after a failure.
    EXPECT_TRUE(Received().back().rfind("AT+TEXT=", 0) == 0) << Received().back();
  }
}

TEST(ProvisionUnitArgumentsTest, HiddenButHelpfulAndAlwaysEndsWithDone) {
  const TProgramRun help = RunProgram("./quillon-cli", {"provision-unit", "--help"});
  EXPECT_EQ(help.Code, 0);
  for (const char* field :
       {"stage", "identity", "command", "done", "first_error", "snapshot", "differing", "stored"})
    EXPECT_TRUE(Has(help.Out, field)) << field;
  EXPECT_FALSE(Has(RunProgram("./quillon-cli", {"--help"}).Out, "provision-unit"));

  // Without its template the worker still ends with its done line, for the parent to read.
  const TProgramRun bad = RunProgram("./quillon-cli", {"provision-unit", "--port", "/dev/null"});
  EXPECT_EQ(bad.Code, 2);
  EXPECT_EQ(Lines(bad.Out).size(), 1u) << bad.Out;
  EXPECT_EQ(Member(bad.Out, "result"), "\"failed\"");
  EXPECT_TRUE(Has(Member(bad.Out, "first_error"), "--config")) << bad.Out;
}

}  // namespace
}  // namespace quillon::test
