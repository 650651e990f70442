// quillon-cli config save, config load, store, leave and apply --store against the simulated
// terminal: exit codes, the report lines, and what the terminal received (its trace), so that a
// refused or partly invalid restore is seen to send nothing it should not.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "configfiles/config_file.h"
#include "editor/headless_editor.h"
#include "engine/recording_editor.h"
#include "profile/command_profile.h"
#include "sim/simulator_process.h"
#include "support/config_file_bytes.h"
#include "support/run_program.h"
#include "support/sim_trace.h"
#include "support/temp_dir.h"
#include "support/utf8_literal.h"

namespace quillon::test {
namespace {

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

bool Has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

class CliConfigTest : public ::testing::Test {
 protected:
  // A fresh terminal that traces what it receives and keeps what +SAVE stores.
  void StartTerminal(std::vector<std::string> options = {}) {
    options.insert(options.end(), {"--trace", "--state", state_});
    sim_.SetErrorFile(trace_);
    std::string error;
    ASSERT_TRUE(sim_.Start(options, 5000, error)) << error;
  }

  TProgramRun Cli(std::vector<std::string> args) {
    size_t at = args[0] == "config" ? 2 : 1;
    args.insert(args.begin() + static_cast<long>(at),
                {"--port", sim_.DevicePath(), "--password", "1234", "--master-password", "5678"});
    return RunProgram("./quillon-cli", args);
  }

  // The requests the terminal received, in order, the access code included.
  std::vector<std::string> Received() const { return ReceivedRequests(trace_); }
  bool ReceivedAny(const std::string& prefix) const {
    for (const std::string& r : Received())
      if (r.rfind(prefix, 0) == 0) return true;
    return false;
  }

  TempDir dir_;
  std::string trace_ = dir_.File("trace");
  std::string state_ = dir_.File("state");
  TSimulatorProcess sim_;
};

// The round trip an engineer relies on: back up, the terminal changes, restore, verified and
// stored, and the terminal holds the backed-up values again.
TEST_F(CliConfigTest, BackupChangeRestoreVerified) {
  StartTerminal();
  ASSERT_EQ(Cli({"apply", "--command", "+SSRV", "--instance", "2", "--set", "0=10.1.2.3", "--set",
                 "1=9000"})
                .Code,
            0);
  const std::string backup = dir_.File("backup.zxml");
  const TProgramRun save = Cli({"config", "save", backup});
  ASSERT_EQ(save.Code, 0) << save.Err;
  EXPECT_TRUE(Has(save.Out, "saved 14 commands to " + backup)) << save.Out;
  // The APN password is never reported by the terminal: named, and not in the file.
  EXPECT_TRUE(Has(save.Err, "+SGPR[3]") && Has(save.Err, "left out of the file")) << save.Err;
  const std::string bytes = ReadFile(backup);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\x78\xDA");
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  THeadlessEditor editor(profile);
  TRecordingEditor recorder(editor);
  TConfigMessages messages;
  EXPECT_EQ(LoadConfigurationFromFile(profile, recorder, backup, messages).Outcome, loLoaded);
  int page = -1, command = -1;
  ASSERT_TRUE(profile.FindCommand("+SGPR", page, command));
  EXPECT_TRUE(recorder.ValueSet(page, command, 0, 1));
  EXPECT_FALSE(recorder.Given(page, command, 0, 3));
  ASSERT_TRUE(profile.FindCommand("+SSRV", page, command));
  EXPECT_EQ(editor.InputText(page, command, 1, 0), "10.1.2.3");

  // The terminal changes.
  for (const std::vector<std::string>& change :
       {std::vector<std::string>{"apply", "--command", "+SSRV", "--instance", "2", "--set",
                                 "0=192.168.0.1", "--set", "2=UDP"},
        {"apply", "--command", "+STIM", "--set", "0=-5"},
        {"apply", "--command", "+SCAN", "--set", "1=1ABC"}})
    ASSERT_EQ(Cli(change).Code, 0) << change[2];

  // Without --allow-defaults the APN password would be written with the profile's value:
  // refused before the port is even opened.
  const size_t before = Received().size();
  const TProgramRun refused = Cli({"config", "load", backup});
  EXPECT_EQ(refused.Code, 2) << refused.Err;
  EXPECT_TRUE(Has(refused.Err, "+SGPR[3]")) << refused.Err;
  EXPECT_TRUE(refused.Out.empty()) << refused.Out;
  EXPECT_EQ(Received().size(), before);

  const TProgramRun load = Cli({"config", "load", backup, "--allow-defaults"});
  ASSERT_EQ(load.Code, 0) << load.Err;
  for (const char* line : {"+SGPR: verified\n", "+SSRV#1: verified\n", "+SSRV#2: verified\n",
                           "+SSRV#3: verified\n", "+STIM: verified\n", "+SCAN: verified\n"})
    EXPECT_TRUE(Has(load.Out, line)) << line << load.Out;
  EXPECT_FALSE(Has(load.Out, "differs")) << load.Out;
  EXPECT_TRUE(Has(load.Out, "\nstored into flash\n")) << load.Out;
  EXPECT_TRUE(ReceivedAny("AT+SAVE=5678,"));
  // Only exportable commands were written: nothing that reads only, resets or leaves.
  for (const char* never : {"AT+SGSM=5678", "AT+SDEF", "AT+TEXT", "AT+SRBT", "AT+SPAS"})
    EXPECT_FALSE(ReceivedAny(never)) << never;

  const TProgramRun poll = Cli({"poll", "--command", "+SSRV", "--json"});
  EXPECT_TRUE(Has(poll.Out, "\"value\": \"10.1.2.3\"")) << poll.Out;
  EXPECT_FALSE(Has(poll.Out, "192.168.0.1")) << poll.Out;
  EXPECT_TRUE(Has(Cli({"poll", "--command", "+SCAN"}).Out, "= 18FEF100"));
  // Stored: the terminal's flash holds the restored values.
  EXPECT_TRUE(Has(ReadFile(state_), "+STIM=3,1,")) << ReadFile(state_);
}

// restore is config load under another name: the same checks, lines and store.
TEST_F(CliConfigTest, RestoreWritesASnapshotBack) {
  StartTerminal();
  const std::string backup = dir_.File("snapshot.zxml");
  ASSERT_EQ(Cli({"config", "save", backup}).Code, 0);
  ASSERT_EQ(Cli({"apply", "--command", "+STIM", "--set", "0=-5"}).Code, 0);
  EXPECT_EQ(Cli({"restore", backup}).Code, 2) << "the APN password has no value in the file";
  const TProgramRun restore = Cli({"restore", backup, "--allow-defaults"});
  ASSERT_EQ(restore.Code, 0) << restore.Err;
  EXPECT_TRUE(Has(restore.Out, "+STIM: verified\n")) << restore.Out;
  EXPECT_TRUE(Has(restore.Out, "\nstored into flash\n")) << restore.Out;
  EXPECT_FALSE(Has(ReadFile(state_), "+STIM=-5")) << ReadFile(state_);
  const TProgramRun help = RunProgram("./quillon-cli", {"restore", "--help"});
  EXPECT_EQ(help.Code, 0);
  EXPECT_TRUE(Has(help.Out, "usage: quillon-cli restore [--port PORT] FILE")) << help.Out;
}

// A restore with something wrong in it: each gives its lines and exit code, and the terminal
// receives nothing it should not.
TEST_F(CliConfigTest, RestoreFailuresSendNothingUnintended) {
  const std::string stimSnam = CommandXml("+STIM", {{{"0", "4"}, {"1\" enabled=\"1", "2"}}}) +
                               CommandXml("+SNAM", {{{"0", "Truck 7"}}});
  struct TCase {
    const char* What;
    std::vector<std::string> Terminal;  // quillon-sim options
    std::string File;                   // the file's bytes
    std::vector<std::string> Flags;
    int Code;
    std::vector<std::string> Out;    // pieces of stdout
    std::vector<std::string> Err;    // pieces of stderr (UTF-8)
    std::vector<std::string> Never;  // requests the terminal must not receive
    bool NothingReceived;
  };
  const std::vector<TCase> cases = {
      {"refusal",
       {"--refuse", "COMMAND"},
       ConfigFile(stimSnam),
       {},
       6,
       {"+STIM: refused\n", "+SNAM: refused\n", "not stored into flash\n"},
       {U8(u8"+STIM: Ошибка обработки параметров")},
       {"AT+SAVE"},
       false},
      {"unsupported",
       {"--unsupported", "+STIM"},
       ConfigFile(stimSnam),
       {},
       7,
       {"+STIM: unsupported\n", "+SNAM: verified\n", "not stored into flash\n"},
       {},
       {"AT+SAVE"},
       false},
      // The adapter is pulled out while +SNAM, the first in profile order, is written (entry
      // 9 bytes, then 12 of the request).
      {"device gone",
       {"--hangup-after", "21"},
       ConfigFile(stimSnam),
       {},
       5,
       {"+SNAM: not written (transfer error)\n+STIM: not written (stopped)\n",
        "not stored into flash\n"},
       {},
       {"AT+STIM", "AT+SAVE"},
       false},
      {"not exportable",
       {},
       ConfigFile(stimSnam + CommandXml("+SDEF", {{}})),
       {},
       1,
       {"+STIM: verified\n", "+SNAM: verified\n", "+SDEF: not written (not exportable)\n",
        "stored into flash\n"},
       {},
       {"AT+SDEF"},
       false},
      {"leaves command mode, named without an instance",
       {},
       ConfigFile(stimSnam + "  <command name=\"+TEXT\"></command>\r\n" +
                  "  <command name=\"+SGRD\"></command>\r\n"),
       {"--no-store"},
       1,
       {"+STIM: verified\n", "+TEXT: not written (not exportable)\n",
        "+SGRD: not written (no values in the file)\n", "not stored into flash\n"},
       {},
       {"AT+TEXT", "AT+SGRD", "AT+SAVE"},
       false},
      {"out of range",
       {},
       ConfigFile(CommandXml("+STIM", {{{"0", "40"}}}) + CommandXml("+SNAM", {{{"0", "Bus"}}})),
       {},
       1,
       {},
       {U8(u8"Значение выходит за рамки диапазона: 40"), "nothing was sent"},
       {},
       true},
      {"out of range, defaults accepted",
       {},
       ConfigFile(CommandXml("+STIM", {{{"0", "40"}}})),
       {"--accept-defaults", "--json"},
       0,
       {"{\"command\": \"+STIM\", \"instance\": 1, \"result\": \"verified\", \"differences\": []}",
        "\"stored\": true}"},
       {U8(u8"Значение выходит за рамки диапазона: 40")},
       {},
       false},
      {"a stop is never accepted",
       {},
       ConfigFile(CommandXml("+STIM", {{{"0", "4"}}}) + CommandXml("+NONE", {{}})),
       {"--accept-defaults"},
       1,
       {},
       {U8(u8"Команда +NONE не найдена")},
       {},
       true},
      {"unreadable parameter without a value",
       {},
       ConfigFile(CommandXml("+SGPR", {{{"0", "1"}, {"1", "apn"}}})),
       {},
       2,
       {},
       {"+SGPR[3]", "--allow-defaults"},
       {},
       true},
      {"a comma would shift the values",
       {},
       ConfigFile(CommandXml(
           "+SGPR",
           {{{"0", "1"}, {"1", "apn"}, {"2\" enabled=\"1", "a,b"}, {"3\" enabled=\"0", ""}}})),
       {},
       1,
       {},
       {"+SGPR[2]: a value holding a comma"},
       {},
       true},
      {"not a configuration file", {}, "not zlib at all", {}, 1, {}, {"Error"}, {}, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    StartTerminal(c.Terminal);
    const std::string file = dir_.Write("restore.zxml", c.File);
    std::vector<std::string> args = {"config", "load", file};
    args.insert(args.end(), c.Flags.begin(), c.Flags.end());
    const TProgramRun r = Cli(args);
    EXPECT_EQ(r.Code, c.Code) << r.Out << r.Err;
    for (const std::string& piece : c.Out) EXPECT_TRUE(Has(r.Out, piece)) << piece << r.Out;
    for (const std::string& piece : c.Err) EXPECT_TRUE(Has(r.Err, piece)) << piece << r.Err;
    for (const std::string& request : c.Never) EXPECT_FALSE(ReceivedAny(request)) << request;
    if (c.NothingReceived) {
      EXPECT_TRUE(Received().empty()) << Received().front();
      EXPECT_TRUE(r.Out.empty()) << r.Out;
    }
  }
}

TEST_F(CliConfigTest, BackupThatCannotBeCompleteWritesNoFile) {
  const std::string backup = dir_.File("backup.zxml");
  // The terminal stops answering after the entry and two polls.
  StartTerminal({"--silent-after", "3"});
  TProgramRun r = Cli({"config", "save", backup, "--timeout", "300", "--timeout-echo", "300",
                       "--timeout-interval", "100", "--retry-count", "1"});
  EXPECT_EQ(r.Code, 8) << r.Err;
  EXPECT_TRUE(Has(r.Err, "no file written")) << r.Err;
  EXPECT_TRUE(dir_.Entries() == std::vector<std::string>({"trace"}))
      << ::testing::PrintToString(dir_.Entries());

  // An existing file is kept unless --force is given.
  dir_.Write("backup.zxml", "earlier");
  StartTerminal({"--unsupported", "+STIM"});
  r = Cli({"config", "save", backup});
  EXPECT_EQ(r.Code, 2) << r.Err;
  EXPECT_EQ(ReadFile(backup), "earlier");
  EXPECT_TRUE(Received().empty());

  // A command the terminal does not know is left out, named, and the backup goes on.
  r = Cli({"config", "save", backup, "--force"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_TRUE(Has(r.Err, "+STIM: left out of the file")) << r.Err;
  EXPECT_TRUE(Has(r.Out, "saved 13 commands")) << r.Out;
  CommandProfile profile;
  profile.LoadCommandProfile("cmdprofile.xml");
  THeadlessEditor editor(profile);
  TConfigMessages messages;
  const TLoadResult loaded = LoadConfigurationFromFile(profile, editor, backup, messages);
  int page = -1, stim = -1, snam = -1;
  profile.FindCommand("+STIM", page, stim);
  profile.FindCommand("+SNAM", page, snam);
  bool namesStim = false, namesSnam = false;
  for (const TLoadedInstance& i : loaded.Commands) {
    namesStim |= i.Page == page && i.Command == stim;
    namesSnam |= i.Page == page && i.Command == snam;
  }
  EXPECT_FALSE(namesStim);
  EXPECT_TRUE(namesSnam);
}

// The program's profile knows a parameter of +STIM that this terminal does not report: the
// backup would hold the profile's default in its place, so it stops without a file.
TEST_F(CliConfigTest, BackupOfAnAnswerWithoutAllItsValuesStops) {
  std::string profile = ReadFile("cmdprofile.xml");
  const std::string stim = "<command command=\"+STIM\"";
  const size_t at = profile.find("</command>", profile.find(stim));
  ASSERT_NE(at, std::string::npos);
  profile.insert(at, "<parameter type=\"integer\" description=\"Extra\" defaultvalue=\"0\"/>");
  const std::string newer = dir_.Write("newer.xml", profile);
  StartTerminal();
  const std::string backup = dir_.File("backup.zxml");
  const TProgramRun r = Cli({"config", "save", backup, "--profile", newer});
  EXPECT_EQ(r.Code, 10) << r.Err;
  EXPECT_TRUE(Has(r.Err, "+STIM[2] (Extra): the answer holds no value the profile knows")) << r.Err;
  EXPECT_TRUE(Has(r.Err, "no file written")) << r.Err;
  EXPECT_FALSE(std::filesystem::exists(backup));
  EXPECT_TRUE(r.Out.empty()) << r.Out;
}

TEST_F(CliConfigTest, StoreLeaveAndApplyStore) {
  StartTerminal();
  TProgramRun r = Cli({"store"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "stored into flash\n");
  EXPECT_TRUE(ReceivedAny("AT+SAVE=5678,"));
  EXPECT_TRUE(Has(ReadFile(state_), "+SSRV="));

  r = Cli({"leave"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "left command mode\n");
  EXPECT_EQ(Received().back(), "AT+TEXT=5678,");

  r = Cli({"apply", "--command", "+STIM", "--set", "0=7", "--store"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "+STIM applied: AT+STIM=*,7,1,\nstored into flash\n");
  EXPECT_EQ(Received().back(), "AT+SAVE=5678,");
  EXPECT_TRUE(Has(ReadFile(state_), "+STIM=7,1,"));

  // Refusals: of the store itself, and of a write, after which nothing is stored.
  r = Cli({"store", "--master-password", "0000", "--password", "1111"});
  EXPECT_EQ(r.Code, 6) << r.Err;
  EXPECT_TRUE(r.Out.empty());
  StartTerminal({"--refuse", "PERMISSION"});
  r = Cli({"apply", "--command", "+STIM", "--set", "0=8", "--store"});
  EXPECT_EQ(r.Code, 6) << r.Err;
  EXPECT_EQ(r.Out, "not stored into flash\n");
  EXPECT_FALSE(ReceivedAny("AT+SAVE"));
}

// The terminal cannot store (its flash fails): an error of its own, not a success.
TEST_F(CliConfigTest, StoreThatTheTerminalReportsAsFailed) {
  state_ = dir_.File("no-such-folder/state");
  StartTerminal();
  const TProgramRun r = Cli({"store"});
  EXPECT_EQ(r.Code, 1) << r.Err;
  EXPECT_TRUE(Has(r.Err, "+SAVE: the terminal answered ERROR,FLASH")) << r.Err;
  EXPECT_TRUE(r.Out.empty()) << r.Out;
}

// config diff of two files, as a script runs it: equal files, a changed instance value named by
// its address, the JSON form, and a file that cannot be read.
TEST_F(CliConfigTest, DiffOfTwoFiles) {
  const std::string a = dir_.File("a.zxml"), b = dir_.File("b.zxml"), c = dir_.File("c.zxml");
  const std::string ssrv =
      CommandXml("+SSRV", {{{"0", "10.0.0.1"}, {"1", "9000"}}, {{"0", "10.0.0.2"}, {"1", "9001"}}});
  WriteFile(a, ConfigFile(ssrv + CommandXml("+STIM", {{{"0", "3"}}})));
  WriteFile(b, ConfigFile(ssrv + CommandXml("+STIM", {{{"0", "03"}}})));
  WriteFile(c, ConfigFile(CommandXml("+SSRV", {{{"0", "10.0.0.1"}, {"1", "9000"}},
                                               {{"0", "10.0.0.2"}, {"1", "9002"}}})));

  const TProgramRun same = RunProgram("./quillon-cli", {"config", "diff", a, b});
  EXPECT_EQ(same.Code, 0) << same.Err;
  EXPECT_TRUE(Has(same.Out, "\nno differences\n")) << same.Out;

  const TProgramRun changed = RunProgram("./quillon-cli", {"config", "diff", a, c});
  EXPECT_EQ(changed.Code, 1) << changed.Err;
  EXPECT_TRUE(Has(changed.Out, "+SSRV#2[1] (")) << changed.Out;
  EXPECT_TRUE(Has(changed.Out, "): changed: A \"9001\", B \"9002\"\n")) << changed.Out;
  EXPECT_TRUE(Has(changed.Out, "+STIM[0] (")) << changed.Out;
  EXPECT_TRUE(Has(changed.Out, "): only in A: A \"3\", B (none)\n")) << changed.Out;
  EXPECT_TRUE(Has(changed.Out, "\n2 differences\n")) << changed.Out;

  const TProgramRun json = RunProgram("./quillon-cli", {"config", "diff", c, a, "--json"});
  EXPECT_EQ(json.Code, 1);
  EXPECT_TRUE(Has(json.Out,
                  "{\"command\": \"+SSRV\", \"instance\": 2, \"index\": 1, "
                  "\"description\": "))
      << json.Out;
  EXPECT_TRUE(Has(json.Out, "\"a\": \"9002\", \"b\": \"9001\", \"kind\": \"changed\"}"))
      << json.Out;
  EXPECT_TRUE(Has(json.Out, "\"a\": null, \"b\": \"3\", \"kind\": \"only in B\"}")) << json.Out;

  const TProgramRun missing = RunProgram("./quillon-cli", {"config", "diff", a, dir_.File("x")});
  EXPECT_EQ(missing.Code, 2);
  EXPECT_TRUE(missing.Out.empty()) << missing.Out;
  WriteFile(c, "not a configuration file");
  EXPECT_EQ(RunProgram("./quillon-cli", {"config", "diff", a, c}).Code, 2);
  EXPECT_EQ(RunProgram("./quillon-cli", {"config", "diff", a}).Code, 2);
}

// The terminal against a file after a change on the terminal: the changed value is found, what
// the terminal never reports is "not comparable", and nothing is written.
TEST_F(CliConfigTest, DiffOfTerminalAndFile) {
  StartTerminal();
  const std::string backup = dir_.File("backup.zxml");
  ASSERT_EQ(Cli({"config", "save", backup}).Code, 0);
  const TProgramRun equal = Cli({"config", "diff", backup});
  EXPECT_EQ(equal.Code, 0) << equal.Out << equal.Err;

  ASSERT_EQ(Cli({"apply", "--command", "+SSRV", "--instance", "3", "--set", "1=4321"}).Code, 0);
  // A file that also holds the APN password, which the terminal never reports.
  const std::string full = dir_.File("full.zxml");
  WriteFile(full, ConfigFile(CommandXml("+SGPR", {{{"0", "internet"}, {"3", "secret"}}})));
  const size_t before = Received().size();
  const TProgramRun diff = Cli({"config", "diff", backup});
  EXPECT_EQ(diff.Code, 1) << diff.Err;
  EXPECT_TRUE(Has(diff.Out, "+SSRV#3[1] (")) << diff.Out;
  EXPECT_TRUE(Has(diff.Out, "): changed: A \"4321\", B \"")) << diff.Out;
  EXPECT_TRUE(Has(diff.Out, "\n1 difference\n")) << diff.Out;
  // A file naming one value of one instance is compared with that value only.
  const std::string one = dir_.File("one.zxml");
  WriteFile(one, ConfigFile("  <command name=\"+SSRV\">\r\n   <index index=\"2\">\r\n    "
                            "<parameter index=\"1\">4321</parameter>\r\n   </index>\r\n  "
                            "</command>\r\n"));
  const TProgramRun instance = Cli({"config", "diff", one});
  EXPECT_EQ(instance.Code, 0) << instance.Out << instance.Err;
  const TProgramRun apn = Cli({"config", "diff", full, "--json"});
  EXPECT_EQ(apn.Code, 1) << apn.Err;
  EXPECT_TRUE(Has(apn.Out, "\"a\": null, \"b\": \"secret\", \"kind\": \"not comparable\"}"))
      << apn.Out;
  const std::vector<std::string> received = Received();
  for (size_t i = before; i < received.size(); ++i)
    EXPECT_TRUE(received[i].find("=?") != std::string::npos || received[i].rfind("AT", 0) != 0)
        << received[i];

  // A port that is not there gives the link's exit code.
  const TProgramRun gone =
      RunProgram("./quillon-cli",
                 {"config", "diff", "--port", dir_.File("gone"), backup, "--connect-tries", "1"});
  EXPECT_EQ(gone.Code, 3) << gone.Err;
}

}  // namespace
}  // namespace quillon::test
