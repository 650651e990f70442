// The ledger under real processes: several programs appending at once, a program killed with
// SIGKILL in the middle of an append, and a user without root's rights, for whom file modes
// mean something.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

#include "ledger/ledger.h"
#include "ledger/station_identity.h"
#include "ledger_fixture.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using test::Note;

// Eight provisioning workers append a hundred events each, all at once: none is lost, each
// worker's events keep their order, and the chain is one and unbroken.
TEST(LedgerProcesses, EightProgramsAppendAtOnce) {
  test::TempDir dir;
  const std::string path = dir.File("ledger.sqlite");
  constexpr int kWorkers = 8, kEach = 100;
  const std::vector<test::TChildResult> workers = test::RunChildren(kWorkers, [&](int worker) {
    TLedger ledger(path);
    for (int i = 0; i < kEach; ++i)
      ledger.Append(Note(std::to_string(worker) + ":" + std::to_string(i)));  // kept if busy
    ledger.Flush();
    return ledger.Pending() == 0 ? std::string("ok") : ledger.Warning();
  });
  ASSERT_EQ(workers.size(), static_cast<size_t>(kWorkers));
  for (const test::TChildResult& worker : workers) {
    EXPECT_TRUE(worker.Exited());
    EXPECT_EQ(worker.Out, "ok");
  }

  TLedger ledger(path);
  const TChainReport report = ledger.Verify();
  EXPECT_FALSE(report.Break) << report.Break->Text;
  EXPECT_EQ(report.Events, kWorkers * kEach);
  const auto events = ledger.Events({});
  ASSERT_TRUE(events);
  std::map<int, int> next;  // worker -> the number its next event must carry
  for (const TLedgerRecord& record : *events) {
    const std::string text = record.Event.Details["text"];
    const int worker = std::stoi(text.substr(0, text.find(':')));
    EXPECT_EQ(std::stoi(text.substr(text.find(':') + 1)), next[worker]++) << text;
  }
  for (int worker = 0; worker < kWorkers; ++worker) EXPECT_EQ(next[worker], kEach) << worker;
}

int64_t Verified(const std::string& path) {
  TLedger ledger(path);
  const TChainReport report = ledger.Verify();
  EXPECT_EQ(report.Error, "");
  EXPECT_FALSE(report.Break) << report.Break->Text;
  return report.Events;
}

// SIGKILL inside an append: the ledger opens, verifies, holds every event appended before, and
// takes the next append. Once at a fixed place (the transaction written, not committed), then
// at moments the test does not choose, while large events are being written.
TEST(LedgerProcesses, KilledInTheMiddleOfAnAppend) {
  test::TempDir dir;
  const std::string path = dir.File("ledger.sqlite");
  const test::TChildResult killed = test::RunInChild([&] {
    TLedgerOptions options;
    int appends = 0;
    options.InsideAppend = [&] {
      if (++appends == 3) raise(SIGKILL);
    };
    TLedger ledger(path, options);
    for (int i = 1; i <= 5; ++i) ledger.Append(Note("event " + std::to_string(i)));
    return std::string("not killed");
  });
  EXPECT_TRUE(killed.Killed(SIGKILL)) << killed.Out;
  EXPECT_EQ(Verified(path), 2);
  {
    TLedger ledger(path);
    EXPECT_TRUE(ledger.Append(Note("after the kill"))) << ledger.Warning();
  }
  EXPECT_EQ(Verified(path), 3);

  const std::string large(256 * 1024, 'x');
  int64_t before = 3;
  for (int delay : {20, 45, 70, 95, 120}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      TLedger ledger(path);
      for (;;) ledger.Append(Note(large));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << delay;
    const int64_t now = Verified(path);
    EXPECT_GE(now, before) << delay;
    before = now;
  }
  TLedger ledger(path);
  EXPECT_TRUE(ledger.Append(Note("last")));
  EXPECT_EQ(Verified(path), before + 1);
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// As an ordinary user with the loosest umask: the ledger, its journal files and the station's
// key are the user's alone. A ledger the user cannot write costs no event until it can be
// written, and a place where it cannot be made is said plainly.
TEST(LedgerProcesses, PrivateFilesAndUnwritableLedgersOfAnOrdinaryUser) {
  test::TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const std::string home = dir.File("home");
  ASSERT_EQ(mkdir(home.c_str(), 0755), 0);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(home.c_str(), test::kNobody, test::kNobody), 0);
  }

  const test::TChildResult child = test::RunInChild([&]() -> std::string {
    if (geteuid() == 0 && !test::DropToNobody()) return "cannot drop to nobody";
    umask(0);
    std::ostringstream out;
    std::string error;
    const auto identity = TStationIdentity::LoadOrCreate(home + "/config/Quillon/", error);
    out << "identity " << (identity ? "made" : error) << "\n";
    const std::string path = home + "/data/Quillon/ledger.sqlite";
    {
      TLedger ledger(path);
      out << "append " << ledger.Append(Note("first")) << "\n";
      // The journal files exist while the ledger is open.
      for (const char* name : {"", "-wal", "-shm"})
        out << "mode ledger" << name << " " << std::oct << ModeOf(path + name) << std::dec << "\n";
    }
    out << "mode key " << std::oct << ModeOf(home + "/config/Quillon/quillon-station.key")
        << "\nmode config " << ModeOf(home + "/config") << "\nmode data "
        << ModeOf(home + "/data/Quillon") << std::dec << "\n";

    chmod(path.c_str(), 0400);
    TLedger readOnly(path);
    out << "read-only append " << readOnly.Append(Note("kept")) << " pending " << readOnly.Pending()
        << "\nread-only warning " << readOnly.Warning() << "\n";
    // Reading it meanwhile (a history) leaves SQLite's journal files as read-only as the file.
    out << "read-only reading " << readOnly.Verify().Events << "\n";
    chmod(path.c_str(), 0600);
    out << "writable again " << readOnly.Append(Note("second")) << " pending " << readOnly.Pending()
        << "\n";
    out << "events " << readOnly.Verify().Events << "\n";

    mkdir((home + "/locked").c_str(), 0555);
    TLedger nowhere(home + "/locked/ledger.sqlite");
    out << "locked folder " << nowhere.Append(Note("lost")) << " warning " << nowhere.Warning()
        << "\n";
    return out.str();
  });
  ASSERT_TRUE(child.Exited()) << child.Out;
  const std::string& out = child.Out;
  const std::string path = home + "/data/Quillon/ledger.sqlite";
  for (const char* expected : {
           "identity made\n",
           "append 1\n",
           "mode ledger 600\n",
           "mode ledger-wal 600\n",
           "mode ledger-shm 600\n",
           "mode key 600\n",
           "mode config 700\n",
           "mode data 700\n",
           "read-only append 0 pending 1\n",
           "read-only reading 1\n",
           "writable again 1 pending 0\n",
           "events 3\n",
       })
    EXPECT_NE(out.find(expected), std::string::npos) << expected << "in:\n" << out;
  EXPECT_NE(out.find("read-only warning the ledger " + path +
                     " cannot be written: Permission denied; 1 event is kept in memory until it "
                     "can take them\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("locked folder 0 warning cannot create the ledger " + home +
                     "/locked/ledger.sqlite: Permission denied; 1 event is kept"),
            std::string::npos)
      << out;
}

}  // namespace
}  // namespace quillon
