// The ledger file in one program: what goes in comes back, in the orders the history and the
// export need; its layout version; files it must leave alone; and a file another program
// holds locked.
#include "ledger/ledger.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ledger/ledger_hash.h"
#include "ledger/ledger_schema.h"
#include "ledger_fixture.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using test::Note;

std::vector<std::string> Texts(const std::optional<std::vector<TLedgerRecord>>& records) {
  std::vector<std::string> texts;
  if (records)
    for (const TLedgerRecord& r : *records) texts.push_back(r.Event.Details["text"]);
  return texts;
}

using Texts_ = std::vector<std::string>;

TEST(Ledger, EventsComeBackInTheirOrders) {
  test::TempDir dir;
  const std::string path = dir.File("data/Quillon/ledger.sqlite");
  TLedger ledger(path);
  EXPECT_EQ(ledger.Head(), std::nullopt) << "reading never creates the file";
  EXPECT_NE(ledger.Warning().find("there is no ledger at " + path), std::string::npos)
      << ledger.Warning();

  const std::string unit = "356938035643809", other = "356938035643817";
  // Appended in this order; the times say the second happened first (a kept event of another
  // program may go in late).
  ASSERT_TRUE(ledger.Append(Note("b", unit, "2026-03-01T09:00:00.000Z"))) << ledger.Warning();
  ASSERT_TRUE(ledger.Append(Note("a", unit, "2026-03-01T08:00:00.000Z")));
  ASSERT_TRUE(ledger.Append(Note("port only", std::nullopt, "2026-03-02T08:00:00.000Z")));
  ASSERT_TRUE(ledger.Append(Note("c", other, "2026-03-03T08:00:00.000Z")));
  ASSERT_TRUE(ledger.Append(Note("d", unit, "2026-03-04T08:00:00.000Z")));
  EXPECT_EQ(ledger.State(), lsWritable);
  EXPECT_EQ(ledger.Warning(), "");
  EXPECT_EQ(ledger.Notice(), "") << "a local disk";

  EXPECT_EQ(Texts(ledger.Timeline(unit)), (Texts_{"a", "b", "d"}));
  EXPECT_EQ(Texts(ledger.Timeline("000")), Texts_{});
  EXPECT_EQ(Texts(ledger.Events({})), (Texts_{"b", "a", "port only", "c", "d"}));
  EXPECT_EQ(Texts(ledger.Events({unit, std::nullopt})), (Texts_{"b", "a", "d"}));
  EXPECT_EQ(Texts(ledger.Events({std::nullopt, "2026-03-02T00:00:00.000Z"})),
            (Texts_{"port only", "c", "d"}));
  EXPECT_EQ(Texts(ledger.Events({unit, "2026-03-01T08:30:00.000Z"})), (Texts_{"b", "d"}));

  const auto all = ledger.Events({});
  ASSERT_TRUE(all);
  ASSERT_EQ(all->size(), 5u);
  const TLedgerRecord& last = all->back();
  EXPECT_EQ(last.Seq, 5);
  EXPECT_EQ(last.Event.Imei, unit);
  EXPECT_EQ(last.Event.Operator, "anna");
  EXPECT_EQ(ledger.Head(), last.Hash);
  EXPECT_FALSE((*all)[2].Event.Imei);

  const TChainReport report = ledger.Verify();
  EXPECT_EQ(report.Error, "");
  EXPECT_FALSE(report.Break);
  EXPECT_EQ(report.Events, 5);
  EXPECT_EQ(report.Head, last.Hash);

  // The chain is what the records say it is: each hash from the one before and the record.
  std::string previous = kGenesisHash;
  test::TRawDb raw(path);
  for (int64_t seq = 1; seq <= 5; ++seq) {
    const std::string where = " FROM events WHERE seq = " + std::to_string(seq);
    const std::string body = raw.Value("SELECT body" + where);
    EXPECT_EQ(raw.Value("SELECT hash" + where), ChainHash(previous, body).value_or("")) << seq;
    EXPECT_NE(body.find("\"seq\":" + std::to_string(seq) + ","), std::string::npos) << body;
    previous = raw.Value("SELECT hash" + where);
  }
  EXPECT_EQ(raw.Value("PRAGMA journal_mode"), "wal");
  EXPECT_EQ(raw.Value("PRAGMA user_version"), std::to_string(LedgerSchemaSteps().size()));
}

TEST(Ledger, AnEmptyLedgerHasTheGenesisHead) {
  test::TempDir dir;
  TLedger ledger(dir.File("ledger.sqlite"));
  ASSERT_TRUE(ledger.Open()) << ledger.Warning();
  EXPECT_EQ(ledger.Head(), std::string(kGenesisHash));
  EXPECT_EQ(ledger.Verify().Events, 0);
  EXPECT_TRUE(ledger.CheckHead(kGenesisHash).HeadFound);
  EXPECT_FALSE(ledger.CheckHead(std::string(64, 'a')).HeadFound);
}

// A file written by a newer program, or one that is no ledger at all, is refused for the run
// and never changed: not its bytes, not its journal mode.
TEST(Ledger, FilesItMustLeaveAlone) {
  test::TempDir dir;
  const std::string newer = dir.File("newer.sqlite");
  {
    TLedger ledger(newer);
    ASSERT_TRUE(ledger.Append(Note("old")));
  }
  {
    test::TRawDb raw(newer);
    ASSERT_EQ(raw.Exec("PRAGMA user_version = 7; PRAGMA journal_mode = DELETE"), "");
  }
  const std::string foreign = dir.File("foreign.sqlite");
  {
    test::TRawDb raw(foreign);
    ASSERT_EQ(raw.Exec("CREATE TABLE parts (name TEXT); INSERT INTO parts VALUES ('relay')"), "");
  }
  const std::string text = dir.Write("Quillon.ini", "[Interface]\nLedger=Quillon.ini\n");
  const std::string empty = dir.Write("empty.sqlite", "");

  const struct {
    std::string path;
    std::string says;
  } cases[] = {
      {newer, "was written by a newer Quillon (layout 7, this one knows 1)"},
      {foreign, "is not a Quillon ledger"},
      {text, "is not a Quillon ledger"},
  };
  for (const auto& c : cases) {
    const std::string before = test::ReadFile(c.path);
    TLedger ledger(c.path);
    EXPECT_FALSE(ledger.Append(Note("new"))) << c.path;
    EXPECT_EQ(ledger.State(), lsRefused) << c.path;
    EXPECT_NE(ledger.Warning().find(c.path + " " + c.says), std::string::npos) << ledger.Warning();
    const std::string refusal = ledger.Warning().substr(0, ledger.Warning().find("; "));
    EXPECT_EQ(ledger.Warning(), refusal + "; 1 event is not recorded");
    EXPECT_FALSE(ledger.Append(Note("newer")));
    EXPECT_EQ(ledger.Warning(), refusal + "; 2 events are not recorded");
    EXPECT_FALSE(ledger.Events({})) << c.path;
    EXPECT_NE(ledger.Verify().Error, "") << c.path;
    EXPECT_EQ(test::ReadFile(c.path), before) << c.path;
  }
  EXPECT_EQ(test::TRawDb(newer).Value("PRAGMA journal_mode"), "delete");

  // An empty file is an empty database: it becomes a ledger.
  TLedger fresh(empty);
  EXPECT_TRUE(fresh.Append(Note("first"))) << fresh.Warning();
}

// Each step of the layout is applied once, in order, in the transaction that records the new
// version; a file part of the way up is brought the rest of the way.
TEST(LedgerSchema, StepsAreAppliedFromTheFilesVersion) {
  test::TempDir dir;
  const std::vector<std::string> steps = {"CREATE TABLE a (x)",
                                          "CREATE TABLE b (y); INSERT INTO a VALUES (1)",
                                          "CREATE INDEX a_x ON a (x)"};
  const std::string path = dir.File("steps.sqlite");
  test::TRawDb raw(path);
  TSchemaOutcome outcome = PrepareSchema(raw.get(), {steps[0]}, true);
  ASSERT_EQ(outcome.Result, srReady) << outcome.Error;
  EXPECT_EQ(outcome.FileVersion, 0);
  EXPECT_EQ(raw.Value("PRAGMA user_version"), "1");

  outcome = PrepareSchema(raw.get(), steps, true);
  ASSERT_EQ(outcome.Result, srReady) << outcome.Error;
  EXPECT_EQ(raw.Value("PRAGMA user_version"), "3");
  EXPECT_EQ(raw.Value("SELECT count(*) FROM sqlite_schema"), "3");
  EXPECT_EQ(raw.Value("SELECT count(*) FROM a"), "1");
  EXPECT_EQ(PrepareSchema(raw.get(), steps, true).Result, srReady) << "nothing left to do";

  // A step that fails leaves the file at the version before it.
  const std::string other = dir.File("failing.sqlite");
  test::TRawDb second(other);
  outcome = PrepareSchema(second.get(), {steps[0], "CREATE TABLE a (x)"}, true);
  EXPECT_EQ(outcome.Result, srFailed);
  EXPECT_NE(outcome.Error.find("already exists"), std::string::npos) << outcome.Error;
  EXPECT_EQ(second.Value("PRAGMA user_version"), "0");
  EXPECT_EQ(second.Value("SELECT count(*) FROM sqlite_schema"), "0");

  EXPECT_EQ(PrepareSchema(raw.get(), {steps[0]}, true).Result, srNewer);
}

// Several events at once go in with one transaction, in their order.
TEST(Ledger, EventsAppendedTogetherShareOneTransaction) {
  test::TempDir dir;
  TLedgerOptions options;
  int transactions = 0;
  options.InsideAppend = [&] { ++transactions; };
  TLedger ledger(dir.File("ledger.sqlite"), options);
  ASSERT_TRUE(ledger.Append(Note("first")));
  ASSERT_TRUE(ledger.Append({Note("write"), Note("verify"), Note("store")}));
  EXPECT_EQ(transactions, 2);
  EXPECT_EQ(Texts(ledger.Events({})), (Texts_{"first", "write", "verify", "store"}));
  EXPECT_EQ(ledger.Verify().Events, 4);
}

// Another program holding the file's write lock for longer than the time-out costs no event:
// they wait in memory, with a warning, and go in first, in order, once the file is free.
TEST(Ledger, ALockedFileKeepsEventsUntilItIsFree) {
  test::TempDir dir;
  const std::string path = dir.File("ledger.sqlite");
  TLedger ledger(path, test::WaitingOnly(50));
  ASSERT_TRUE(ledger.Append(Note("before")));

  test::TRawDb other(path);
  ASSERT_EQ(other.Exec("BEGIN IMMEDIATE"), "");
  EXPECT_FALSE(ledger.Append(Note("kept 1")));
  EXPECT_FALSE(ledger.Append(Note("kept 2")));
  EXPECT_EQ(ledger.Pending(), 2u);
  EXPECT_EQ(ledger.Warning(), "the ledger " + path +
                                  " is locked by another program (waited 1 s); 2 events are "
                                  "kept in memory until it can take them");
  EXPECT_FALSE(ledger.Flush());
  ASSERT_EQ(other.Exec("COMMIT"), "");

  EXPECT_TRUE(ledger.Append(Note("after")));
  EXPECT_EQ(ledger.Pending(), 0u);
  EXPECT_EQ(ledger.Warning(), "");
  EXPECT_EQ(Texts(ledger.Events({})), (Texts_{"before", "kept 1", "kept 2", "after"}));
  EXPECT_FALSE(ledger.Verify().Break);
}

// Events still kept when the program ends go in as the ledger is closed, if the file takes
// them then.
TEST(Ledger, KeptEventsAreWrittenAtTheEnd) {
  test::TempDir dir;
  const std::string path = dir.File("ledger.sqlite");
  {
    TLedger ledger(path, test::WaitingOnly(50));
    ASSERT_TRUE(ledger.Open());
    {
      test::TRawDb other(path);
      ASSERT_EQ(other.Exec("BEGIN EXCLUSIVE"), "");
      EXPECT_FALSE(ledger.Append(Note("kept")));
    }
  }
  TLedger reader(path);
  EXPECT_EQ(Texts(reader.Events({})), Texts_{"kept"});
}

}  // namespace
}  // namespace quillon
