// quillon-cli provision as the parent of its workers, with a small script standing in for the
// worker (named by QUILLON_PROVISION_WORKER): the arguments a worker gets, the answers to its
// identity, the --jobs cap, and workers that die or lie. The real worker against simulated
// terminals is in cli_provision_test.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "background_cli.h"
#include "support/config_file_bytes.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace quillon::test {
namespace {

bool Has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

// A template naming one command with its first two parameters, compressed as the program
// writes configuration files.
std::string Template(const std::string& command = "+STIM", const std::string& first = "5",
                     const std::string& second = "2") {
  return ConfigFile(CommandXml(command, {{{"0", first}, {"1", second}}}));
}

// The stand-in worker. It notes its arguments and its answer in LOG, and behaves by the
// port's name: the digit at its end gives the IMEI's last digit; "kill" dies by SIGKILL after
// the answer, "exit" ends with 3 without a done line, "bad" tells an identity that is no IMEI,
// "silent" closes its output and lingers a moment; every worker holds a lock for its work and
// notes "overlap" when another holds it (the --jobs 1 case).
const char kWorker[] = R"(#!/bin/sh
log="$LOG"
port=""
for a in "$@"; do [ "$prev" = --port ] && port=$a; prev=$a; done
echo "args $*" >>"$log"
digit=$(printf %s "$port" | tail -c 1)
imei=86041705041736$digit
case "$port" in *bad*) imei=8604170504173X$digit ;; esac
mkdir "$LOCK" 2>/dev/null || echo "overlap $port" >>"$log"
echo '{"event":"stage","stage":"connecting","text":""}'
echo '{"event":"identity","imei":"'$imei'","model":"VT-1","firmware":"2.0"}'
read answer
echo "answer $port $answer" >>"$log"
echo "worker for $port says password 1234" >&2
sleep "${SLEEP:-0.2}"
rmdir "$LOCK" 2>/dev/null
case "$port" in
  *kill*) kill -9 $$ ;;
  *exit*) exit 3 ;;
  *silent*) exec >&- 2>&-; sleep 0.3; exit 0 ;;
esac
result=passed
[ "$answer" = go ] || result=skipped
echo '{"event":"done","result":"'$result'","imei":"'$imei'","model":"VT-1","firmware":"2.0","written":1,"verified":1,"differing":0,"failed":0,"seconds":0.2,"first_error":"","snapshot":"","stored":true}'
)";

class ProvisionParentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    worker_ = dir_.Write("worker.sh", kWorker);
    chmod(worker_.c_str(), 0755);
    dir_.Write("template.zxml", Template());
  }

  // Ports are plain files here: the stand-in never opens them.
  void Ports(const std::vector<std::string>& names) {
    for (const std::string& name : names) dir_.Write("port-" + name, "");
  }

  std::vector<std::string> Args(std::vector<std::string> args) const {
    args.insert(args.begin(), {"provision", "--config", dir_.File("template.zxml"), "--report",
                               dir_.File("report.csv"), "--password", "1234"});
    return args;
  }
  std::vector<std::string> Env(const char* sleep = "0.2") const {
    return {"QUILLON_PROVISION_WORKER=" + worker_, "LOG=" + dir_.File("log"),
            "LOCK=" + dir_.File("lock"), std::string("SLEEP=") + sleep};
  }
  TProgramRun Provision(std::vector<std::string> args) {
    TRunOptions options;
    options.Env = Env();
    return RunProgram("./quillon-cli", Args(args), options);
  }

  std::string Log() const { return ReadFile(dir_.File("log")); }
  std::string Report() const { return ReadFile(dir_.File("report.csv")); }

  TempDir dir_;
  std::string worker_;
};

TEST_F(ProvisionParentTest, WorkerGetsItsOptionsAndOnePort) {
  Ports({"1"});
  const TProgramRun run =
      Provision({"--ports", dir_.File("port-*"), "--snapshots", dir_.File("snaps"), "--no-store",
                 "--jobs", "2", "--timeout", "700", "--master-password", "5678", "--verbose"});
  EXPECT_EQ(run.Code, 0) << run.Out << run.Err;
  const std::string log = Log();
  EXPECT_TRUE(Has(log, "args provision-unit --config " + dir_.File("template.zxml") +
                           " --password 1234 --snapshots " + dir_.File("snaps") +
                           " --no-store --timeout 700 --master-password 5678 --verbose --port " +
                           dir_.File("port-1") + "\n"))
      << log;
  // What only the parent uses stays with it.
  for (const char* own : {"--report", "--jobs", "--ports", "--watch", "--all-ports"})
    EXPECT_FALSE(Has(log, own)) << own;
  // The worker's stderr reaches stderr, prefixed by the port and masked.
  EXPECT_TRUE(Has(run.Err,
                  dir_.File("port-1") + ": worker for " + dir_.File("port-1") + " says password *"))
      << run.Err;
  EXPECT_TRUE(Has(run.Out, dir_.File("port-1") + ": IMEI 860417050417361, VT-1, firmware 2.0"))
      << run.Out;
}

TEST_F(ProvisionParentTest, WorkersThatDieOrLieFailTheirUnit) {
  Ports({"ok1", "kill2", "exit3", "bad4", "silent5"});
  const TProgramRun run = Provision({"--ports", dir_.File("port-*")});
  EXPECT_EQ(run.Code, 1) << run.Out << run.Err;
  const std::string report = Report();
  for (const char* row :
       {"port-ok1,860417050417361,VT-1,2.0,passed,1,1,0,0,0.2,\r\n",
        "port-kill2,860417050417362,VT-1,2.0,failed,0,0,0,0,",
        "worker ended unexpectedly (signal 9)\r\n", "port-exit3,860417050417363,VT-1,2.0,failed",
        "worker ended unexpectedly (exit 3)\r\n", "port-bad4,8604170504173X4,VT-1,2.0,failed",
        ",no valid identity\r\n", "port-silent5,860417050417365,VT-1,2.0,failed",
        "worker ended unexpectedly (exit 0)\r\n"})
    EXPECT_TRUE(Has(report, row)) << row << "\n" << report;
  // No terminal is told to go on without a valid IMEI.
  EXPECT_TRUE(Has(Log(), "answer " + dir_.File("port-bad4") + " skip")) << Log();
  EXPECT_TRUE(Has(run.Out, "5 units: 1 passed, 4 failed")) << run.Out;
}

TEST_F(ProvisionParentTest, SameImeiOnTwoPortsIsProvisionedOnce) {
  Ports({"a7", "b7", "c8"});
  const TProgramRun run = Provision({"--ports", dir_.File("port-*")});
  EXPECT_EQ(run.Code, 0) << run.Out << run.Err;
  const std::string log = Log();
  EXPECT_TRUE(Has(log, "answer " + dir_.File("port-c8") + " go")) << log;
  const bool aWent = Has(log, "answer " + dir_.File("port-a7") + " go");
  const std::string skipped = dir_.File(aWent ? "port-b7" : "port-a7");
  EXPECT_TRUE(Has(log, "answer " + skipped + " skip")) << log;
  // The skipped one has a live line but no row in the report.
  EXPECT_TRUE(Has(run.Out, skipped + ": skipped: already provisioned in this run")) << run.Out;
  EXPECT_FALSE(Has(Report(), skipped)) << Report();
  EXPECT_TRUE(Has(run.Out, "2 units: 2 passed, 0 failed, 1 skipped")) << run.Out;
}

TEST_F(ProvisionParentTest, JobsCapTheWorkersAtOnce) {
  Ports({"1", "2", "3"});
  const TProgramRun run = Provision({"--ports", dir_.File("port-*"), "--jobs", "1"});
  EXPECT_EQ(run.Code, 0) << run.Out << run.Err;
  EXPECT_FALSE(Has(Log(), "overlap")) << Log();
  EXPECT_TRUE(Has(run.Out, dir_.File("port-2") + ": waiting for a free worker")) << run.Out;
  EXPECT_TRUE(Has(run.Out, "3 units: 3 passed")) << run.Out;
}

TEST_F(ProvisionParentTest, NothingStartsWhenTheChecksFail) {
  Ports({"1"});
  const struct {
    std::vector<std::string> args;
    int code;
    const char* error;
  } cases[] = {
      {{"--units", dir_.Write("unknown.csv", "IMEI,+NOPE[0]\n860417050417361,1\n")},
       2,
       "unknown.csv: line 1:"},
      {{"--units",
        dir_.Write("twice.csv", "IMEI,+STIM[0]\n860417050417361,1\n860417050417361,2\n")},
       2,
       "row 3: IMEI 860417050417361 has a row already; nothing was sent"},
      {{"--units", dir_.Write("value.csv", "IMEI,+STIM[0]\n860417050417361,99\n")},
       2,
       "row 2, +STIM[0]:"},
      {{"--units", dir_.File("missing.csv")}, 1, "cannot read"},
      {{"--config", dir_.Write("broken.zxml", "not zlib")}, 1, "cannot be written as it is"},
      {{"--jobs", "0"}, 2, "--jobs"},
      // The APN password is never read back: the template must give it, or every row.
      {{"--config", dir_.Write("apn.zxml", Template("+SGPR", "0", "1"))},
       2,
       ") cannot be read back from the terminal and the template gives no value"},
      {{"--config", dir_.File("apn.zxml"), "--units",
        dir_.Write("apn.csv",
                   "IMEI,+SGPR[3]\n860417050417361,pw\n860417050417362,\n"
                   "860417050417363,\n")},
       2,
       "neither the template nor the row of IMEI 860417050417362 (and 1 more) gives a value"},
      {{"--report", dir_.File("no-folder/report.csv")}, 1, "cannot write the report"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--ports", dir_.File("port-*")});
    const TProgramRun run = Provision(args);
    EXPECT_EQ(run.Code, c.code) << c.error << "\n" << run.Err;
    EXPECT_TRUE(Has(run.Err, c.error)) << run.Err;
    EXPECT_TRUE(Log().empty()) << c.error << ": a worker was started";
  }
}

// The operator's first Ctrl+C lets the running unit finish and starts no other; the second
// stops the running ones. Either way the report and the summary are written.
TEST_F(ProvisionParentTest, FirstSignalFinishesSecondStops) {
  Ports({"1", "2", "3"});
  {
    TBackgroundCli run(dir_, Args({"--ports", dir_.File("port-*"), "--jobs", "1"}), Env("1.5"));
    ASSERT_TRUE(run.WaitFor("IMEI 860417050417361, VT-1", 20)) << run.Out() << run.Err();
    run.Signal(SIGINT);
    EXPECT_EQ(run.Wait(20), 1) << run.Out() << run.Err();
    const std::string report = Report();
    EXPECT_TRUE(Has(report, "port-1,860417050417361,VT-1,2.0,passed,")) << report;
    for (const char* port : {"port-2", "port-3"})
      EXPECT_TRUE(Has(report, std::string(port) + ",,,,failed,0,0,0,0,0.0,not started: the run "
                                                  "was stopped\r\n"))
          << report;
    EXPECT_TRUE(Has(run.Out(), "3 units: 1 passed, 2 failed")) << run.Out();
  }
  {
    TBackgroundCli run(dir_, Args({"--ports", dir_.File("port-1")}), Env("30"));
    ASSERT_TRUE(run.WaitFor("IMEI 860417050417361, VT-1", 20)) << run.Out() << run.Err();
    run.Signal(SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    run.Signal(SIGTERM);
    EXPECT_EQ(run.Wait(20), 1) << run.Out() << run.Err();
    EXPECT_TRUE(Has(Report(), "port-1,860417050417361,VT-1,2.0,failed,0,0,0,0,")) << Report();
    EXPECT_TRUE(Has(Report(), ",worker ended unexpectedly (signal 15)\r\n")) << Report();
  }
}

}  // namespace
}  // namespace quillon::test
