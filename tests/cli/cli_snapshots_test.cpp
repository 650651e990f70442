// quillon-cli snapshots: its arguments in process, the folder layout provisioning leaves, and
// the listing a line worker reads.
#include "cli/cli_snapshots.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

TEST(CliSnapshots, Arguments) {
  struct Case {
    std::vector<std::string> args;
    const char* error;  // "" when fine
    const char* dir;
    const char* imei;
    bool json;
  } cases[] = {
      {{}, "", "snapshots", "", false},
      {{"/srv/line", "--json"}, "", "/srv/line", "", true},
      {{"--imei", "860417050417364", "d"}, "", "d", "860417050417364", false},
      {{"--imei"}, "--imei wants an IMEI", "", "", false},
      {{"--imei", "86041705041736"}, "--imei wants 15 digits, not '86041705041736'", "", "", false},
      {{"--imei", "86041705041736x"},
       "--imei wants 15 digits, not '86041705041736x'",
       "",
       "",
       false},
      {{"a", "b"}, "only one folder, not also 'b'", "", "", false},
      {{"--port", "x"}, "unexpected argument '--port'", "", "", false},
  };
  for (const auto& c : cases) {
    cli::TSnapshotsArgs parsed;
    EXPECT_EQ(cli::ParseSnapshotsArgs(c.args, parsed), c.error) << c.args.size();
    if (*c.error) continue;
    EXPECT_EQ(parsed.Dir, c.dir);
    EXPECT_EQ(parsed.Imei, c.imei);
    EXPECT_EQ(parsed.Json, c.json);
  }
}

TEST(CliSnapshots, FileNamesCarryTheUtcMoment) {
  EXPECT_EQ(cli::SnapshotFileName(1796877000), "20261210T043000Z.zxml");
  EXPECT_EQ(cli::SnapshotTimeOfName("20261210T043000Z.zxml"), "2026-12-10T04:30:00Z");
  for (const char* other : {"20261210T043000Z.zxml.tmp", "20261210-043000Z.zxml",
                            "2026121aT043000Z.zxml", "backup.zxml", ""})
    EXPECT_EQ(cli::SnapshotTimeOfName(other), "") << other;
}

// Two terminals, a stray file and a foreign folder: only snapshots are listed, ordered.
TEST(CliSnapshots, ListsByImeiOldestFirst) {
  if (!std::ifstream("quillon-cli")) GTEST_SKIP() << "quillon-cli not built beside the tests";
  test::TempDir dir;
  std::filesystem::create_directories(dir.File("356938035643809"));
  std::filesystem::create_directories(dir.File("860417050417364"));
  std::filesystem::create_directories(dir.File("notes"));
  dir.Write("860417050417364/20261210T050000Z.zxml", "bb");
  dir.Write("860417050417364/20261209T230000Z.zxml", "a");
  dir.Write("860417050417364/20261210T050000Z.zxml.tmp", "partial");
  dir.Write("356938035643809/20261201T000000Z.zxml", "cccc");
  dir.Write("notes/20261201T000000Z.zxml", "x");

  const test::TProgramRun text = test::RunProgram("./quillon-cli", {"snapshots", dir.path()});
  ASSERT_EQ(text.Code, 0) << text.Err;
  const std::string a = dir.File("356938035643809/20261201T000000Z.zxml");
  const std::string b = dir.File("860417050417364/20261209T230000Z.zxml");
  const std::string c = dir.File("860417050417364/20261210T050000Z.zxml");
  EXPECT_EQ(text.Out, "356938035643809  2026-12-01T00:00:00Z  4  " + a +
                          "\n860417050417364  2026-12-09T23:00:00Z  1  " + b +
                          "\n860417050417364  2026-12-10T05:00:00Z  2  " + c + "\n");

  const test::TProgramRun json = test::RunProgram(
      "./quillon-cli", {"snapshots", dir.path(), "--imei", "356938035643809", "--json"});
  ASSERT_EQ(json.Code, 0) << json.Err;
  EXPECT_EQ(json.Out,
            "{\"snapshots\": [\n  {\"imei\": \"356938035643809\", \"time\": "
            "\"2026-12-01T00:00:00Z\", \"path\": \"" +
                a + "\", \"bytes\": 4}\n]}\n");

  const test::TProgramRun none =
      test::RunProgram("./quillon-cli", {"snapshots", dir.File("missing"), "--json"});
  EXPECT_EQ(none.Code, 0);
  EXPECT_EQ(none.Out, "{\"snapshots\": []}\n");
  EXPECT_EQ(test::RunProgram("./quillon-cli", {"snapshots", "--imei", "1"}).Code, 2);
}

}  // namespace
}  // namespace quillon
