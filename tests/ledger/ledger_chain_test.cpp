// Touching a ledger by hand, as someone with the file and an SQLite shell could: verification
// names the first event that is not as it was appended, and says how it was touched. Cutting
// off the newest events leaves a sound chain; only a head kept elsewhere shows it.
#include <gtest/gtest.h>

#include <filesystem>

#include "ledger/ledger.h"
#include "ledger/ledger_hash.h"
#include "ledger_fixture.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using test::Note;

constexpr int kEvents = 8;

// A ledger of eight notes "note 1" to "note 8"; the hash of each.
std::vector<std::string> MakeLedger(const std::string& path) {
  TLedger ledger(path);
  std::vector<std::string> heads;
  for (int i = 1; i <= kEvents; ++i) {
    EXPECT_TRUE(ledger.Append(Note("note " + std::to_string(i))));
    heads.push_back(ledger.Head().value_or(""));
  }
  return heads;
}

// SQL moving rows seq >= from one place later, leaving row `from` free.
std::string MakeRoomAt(int from) {
  const std::string at = std::to_string(from);
  return "UPDATE events SET seq = -seq WHERE seq >= " + at +
         "; UPDATE events SET seq = 1 - seq WHERE seq < 0;";
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

std::string InsertRow(int seq, const std::string& body, const std::string& hash) {
  return "INSERT INTO events (seq, time, imei, kind, body, hash) VALUES (" + std::to_string(seq) +
         ", '2026-03-01T08:00:00.000Z', '356938035643809', 'note', " + Quoted(body) + ", " +
         Quoted(hash) + ");";
}

TEST(LedgerChain, TamperingIsNamed) {
  test::TempDir dir;
  const std::string original = dir.File("original.sqlite");
  const std::vector<std::string> heads = MakeLedger(original);

  // An event made to look genuine: numbered 4, its hash computed from event 3's.
  const std::string forged = CanonicalEventJson(4, Note("forged"));
  const std::string forgedHash = ChainHash(heads[2], forged).value_or("");

  const struct {
    const char* what;
    std::string sql;
    TBreakKind kind;
    int64_t event;
    int64_t row;
    const char* says;
  } cases[] = {
      {"a value changed",
       "UPDATE events SET body = replace(body, 'note 4', 'note X') WHERE seq = 4", bkChanged, 4, 4,
       "event 4 was changed: its record does not give its stored hash (row 4)"},
      {"a value changed, its hash made to fit",
       "UPDATE events SET body = replace(body, 'note 4', 'note X') WHERE seq = 4; "
       "UPDATE events SET hash = '" +
           ChainHash(heads[2], CanonicalEventJson(4, Note("note X"))).value_or("") +
           "' WHERE seq = 4",
       bkChanged, 5, 5, "event 5 was changed"},
      {"a queried column changed", "UPDATE events SET imei = '356938035643817' WHERE seq = 6",
       bkChanged, 6, 6, "event 6 was changed: its stored time, IMEI or kind differs"},
      {"a record made unreadable", "UPDATE events SET body = 'x' WHERE seq = 2", bkChanged, 2, 2,
       "event 2 was changed: its record is not a readable event"},
      {"an event removed from the middle", "DELETE FROM events WHERE seq = 4", bkRemoved, 4, 5,
       "event 4 was removed: event 5 follows event 3 (row 5)"},
      {"two events removed", "DELETE FROM events WHERE seq IN (4, 5)", bkRemoved, 4, 6,
       "events 4 to 5 were removed: event 6 follows event 3"},
      {"the first event removed", "DELETE FROM events WHERE seq = 1", bkRemoved, 1, 2,
       "event 1 was removed: event 2 follows the start"},
      {"an event inserted, hash made to fit", MakeRoomAt(4) + InsertRow(4, forged, forgedHash),
       bkInserted, 4, 4, "row 4 holds an event that is not in the chain, inserted after event 3"},
      {"an event inserted, hash invented", MakeRoomAt(4) + InsertRow(4, forged, heads[3]),
       bkInserted, 4, 4, "row 4 holds an event that is not in the chain, inserted after event 3"},
      {"an earlier event copied in",
       MakeRoomAt(4) +
           "INSERT INTO events SELECT 4, time, imei, kind, body, hash FROM events WHERE seq = 2",
       bkInserted, 2, 4, "row 4 holds an event that is not in the chain, inserted after event 3"},
      {"an event inserted at the start", MakeRoomAt(1) + InsertRow(1, "{}", heads[0]), bkInserted,
       0, 1, "row 1 holds an event that is not in the chain, inserted at the start"},
      {"an earlier event copied to the end",
       "INSERT INTO events SELECT 9, time, imei, kind, body, hash FROM events WHERE seq = 2",
       bkInserted, 2, 9, "row 9 holds an event that is not in the chain, inserted after event 8"},
      {"an event appended out of the chain", InsertRow(9, forged, forgedHash), bkInserted, 4, 9,
       "row 9 holds an event that is not in the chain, inserted after event 8"},
      {"two neighbours swapped",
       "UPDATE events SET seq = 100 WHERE seq = 4; UPDATE events SET seq = 4 WHERE seq = 5; "
       "UPDATE events SET seq = 5 WHERE seq = 100",
       bkReordered, 5, 4, "event 5 stands before event 4: events were reordered (row 4)"},
      {"two far apart swapped",
       "UPDATE events SET seq = 100 WHERE seq = 3; UPDATE events SET seq = 3 WHERE seq = 7; "
       "UPDATE events SET seq = 7 WHERE seq = 100",
       bkReordered, 7, 3, "event 7 stands before event 3"},
      {"an event moved to the end", "UPDATE events SET seq = 20 WHERE seq = 2", bkReordered, 3, 3,
       "event 3 stands before event 2"},
  };
  for (const auto& c : cases) {
    const std::string path = dir.File("case.sqlite");
    std::filesystem::remove(path);
    std::filesystem::copy_file(original, path);
    {
      test::TRawDb raw(path);
      ASSERT_EQ(raw.Exec(c.sql), "") << c.what;
    }
    TLedger ledger(path);
    const TChainReport report = ledger.Verify();
    EXPECT_EQ(report.Error, "") << c.what;
    ASSERT_TRUE(report.Break) << c.what;
    EXPECT_EQ(report.Break->Kind, c.kind) << c.what << ": " << report.Break->Text;
    EXPECT_EQ(report.Break->Event, c.event) << c.what << ": " << report.Break->Text;
    EXPECT_EQ(report.Break->Row, c.row) << c.what << ": " << report.Break->Text;
    EXPECT_NE(report.Break->Text.find(c.says), std::string::npos)
        << c.what << ": " << report.Break->Text;
  }
}

// The newest events cut off: what is left is a sound chain, so verification alone passes; a
// head recorded before the cut (in REPORT.csv, in an acceptance record) is no longer found,
// while an older head still is.
TEST(LedgerChain, CutOffNewestEventsShowOnlyAgainstAKeptHead) {
  test::TempDir dir;
  const std::string path = dir.File("ledger.sqlite");
  const std::vector<std::string> heads = MakeLedger(path);
  {
    test::TRawDb raw(path);
    ASSERT_EQ(raw.Exec("DELETE FROM events WHERE seq > 5"), "");
  }
  TLedger ledger(path);
  const TChainReport report = ledger.Verify();
  EXPECT_FALSE(report.Break);
  EXPECT_EQ(report.Events, 5);
  EXPECT_EQ(ledger.Head(), heads[4]);

  for (int i : {0, 2, 4}) {
    const TChainReport check = ledger.CheckHead(heads[i]);
    EXPECT_TRUE(check.HeadFound) << i;
    EXPECT_EQ(check.Events, i + 1) << "the check stops at the head";
  }
  for (const std::string& lost : {heads[5], heads[7], std::string(64, 'f')}) {
    const TChainReport check = ledger.CheckHead(lost);
    EXPECT_FALSE(check.HeadFound) << lost;
    EXPECT_FALSE(check.Break);
  }

  // A head behind a break is not vouched for, even though its row is still there.
  {
    test::TRawDb raw(path);
    ASSERT_EQ(raw.Exec("UPDATE events SET body = replace(body, 'note 2', 'note X') "
                       "WHERE seq = 2"),
              "");
  }
  const TChainReport broken = ledger.CheckHead(heads[3]);
  EXPECT_FALSE(broken.HeadFound);
  ASSERT_TRUE(broken.Break);
  EXPECT_EQ(broken.Break->Event, 2);
  EXPECT_TRUE(ledger.CheckHead(heads[0]).HeadFound);
}

}  // namespace
}  // namespace quillon
