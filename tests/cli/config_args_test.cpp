// The arguments of store, leave, config save, config load and apply's --store and
// --allow-defaults, in process.
#include "cli/config_args.h"

#include <gtest/gtest.h>

#include "cli/cli_arguments.h"

namespace quillon::cli {
namespace {

TEST(ConfigArguments, EveryParserReturnsItsError) {
  const struct {
    const char* What;
    std::string (*Parse)(const Args&);
    Args Arguments;
    std::string Error;  // "" when good, else a piece of the message
  } cases[] = {
      {"store",
       [](const Args& a) {
         TSessionArgs o;
         return ParseSessionArgs(a, o);
       },
       {"--port", "p", "--master-password", "5678", "--verbose"},
       ""},
      {"store stray",
       [](const Args& a) {
         TSessionArgs o;
         return ParseSessionArgs(a, o);
       },
       {"--port", "p", "now"},
       "unexpected argument 'now'"},
      {"store json",
       [](const Args& a) {
         TSessionArgs o;
         return ParseSessionArgs(a, o);
       },
       {"--json"},
       "unknown option '--json'"},
      {"save",
       [](const Args& a) {
         TConfigSaveArgs o;
         return ParseConfigSaveArgs(a, o);
       },
       {"--port", "p", "b.zxml", "--force"},
       ""},
      {"save no file",
       [](const Args& a) {
         TConfigSaveArgs o;
         return ParseConfigSaveArgs(a, o);
       },
       {"--port", "p", "--force"},
       "FILE is required"},
      {"save two files",
       [](const Args& a) {
         TConfigSaveArgs o;
         return ParseConfigSaveArgs(a, o);
       },
       {"a.zxml", "b.zxml"},
       "one FILE only"},
      {"save load's flag",
       [](const Args& a) {
         TConfigSaveArgs o;
         return ParseConfigSaveArgs(a, o);
       },
       {"a.zxml", "--no-store"},
       "unknown option '--no-store'"},
      {"save json",
       [](const Args& a) {
         TConfigSaveArgs o;
         return ParseConfigSaveArgs(a, o);
       },
       {"a.zxml", "--json"},
       "unknown option '--json'"},
      {"load every flag",
       [](const Args& a) {
         TConfigLoadArgs o;
         return ParseConfigLoadArgs(a, o);
       },
       {"--no-store", "b.zxml", "--accept-defaults", "--allow-defaults", "--json"},
       ""},
      {"load no file",
       [](const Args& a) {
         TConfigLoadArgs o;
         return ParseConfigLoadArgs(a, o);
       },
       {"--no-store"},
       "FILE is required"},
      {"load save's flag",
       [](const Args& a) {
         TConfigLoadArgs o;
         return ParseConfigLoadArgs(a, o);
       },
       {"b.zxml", "--force"},
       "unknown option '--force'"},
      {"load missing port value",
       [](const Args& a) {
         TConfigLoadArgs o;
         return ParseConfigLoadArgs(a, o);
       },
       {"b.zxml", "--port"},
       "missing value after --port"},
      {"apply store",
       [](const Args& a) {
         TApplyArgs o;
         return ParseApplyArgs(a, o);
       },
       {"--command", "+SSRV", "--store", "--allow-defaults"},
       ""},
  };
  for (const auto& c : cases) {
    const std::string error = c.Parse(c.Arguments);
    if (c.Error.empty())
      EXPECT_EQ(error, "") << c.What;
    else
      EXPECT_NE(error.find(c.Error), std::string::npos) << c.What << ": " << error;
  }
}

TEST(ConfigArguments, FlagsAndFileLandInTheirFields) {
  TConfigLoadArgs load;
  ASSERT_EQ(ParseConfigLoadArgs({"--accept-defaults", "--port", "/dev/ttyUSB0", "my backup.zxml",
                                 "--json", "--profile", "p.xml"},
                                load),
            "");
  EXPECT_EQ(load.File, "my backup.zxml");
  EXPECT_TRUE(load.AcceptDefaults);
  EXPECT_FALSE(load.AllowDefaults);
  EXPECT_FALSE(load.NoStore);
  EXPECT_TRUE(load.Engine.Json);
  EXPECT_EQ(load.Engine.Link.Port, "/dev/ttyUSB0");
  EXPECT_EQ(load.Engine.ProfileFile, "p.xml");

  TConfigSaveArgs save;
  ASSERT_EQ(ParseConfigSaveArgs({"b.zxml"}, save), "");
  EXPECT_FALSE(save.Force);

  TApplyArgs apply;
  ASSERT_EQ(ParseApplyArgs({"--command", "+STIM", "--store"}, apply), "");
  EXPECT_TRUE(apply.Store);
  EXPECT_FALSE(apply.AllowDefaults);
}

}  // namespace
}  // namespace quillon::cli

namespace quillon::cli {
namespace {

// config diff: two files, or --port and one file; terminal options only with --port.
TEST(ConfigArguments, DiffTakesTwoFilesOrAPortAndAFile) {
  const struct {
    Args Arguments;
    std::string Error;  // "" when good, else a piece of the message
    const char* A;
    const char* B;
    bool Terminal;
  } cases[] = {
      {{"a.zxml", "b.zxml"}, "", "a.zxml", "b.zxml", false},
      {{"--json", "a.zxml", "--profile", "p.xml", "b.zxml"}, "", "a.zxml", "b.zxml", false},
      {{"--port", "/dev/ttyUSB0", "b.zxml", "--password", "1234", "--json"},
       "",
       "",
       "b.zxml",
       true},
      {{"a.zxml"}, "two FILEs are required", "", "", false},
      {{"a.zxml", "b.zxml", "c.zxml"}, "two FILEs are required", "", "", false},
      {{"--port", "p", "a.zxml", "b.zxml"}, "with --port, give one FILE", "", "", true},
      {{"--port", "p"}, "with --port, give one FILE", "", "", true},
      {{"a.zxml", "b.zxml", "--timeout", "500"}, "terminal options need --port", "", "", false},
      {{"a.zxml", "b.zxml", "--fast"}, "terminal options need --port", "", "", false},
      {{"a.zxml", "b.zxml", "--force"}, "unknown option '--force'", "", "", false},
      {{"a.zxml", "b.zxml", "--profile"}, "missing value after --profile", "", "", false},
  };
  for (const auto& c : cases) {
    TConfigDiffArgs out;
    const std::string error = ParseConfigDiffArgs(c.Arguments, out);
    const std::string what = c.Arguments.empty() ? "" : c.Arguments.back();
    if (!c.Error.empty()) {
      EXPECT_NE(error.find(c.Error), std::string::npos) << what << ": " << error;
      continue;
    }
    EXPECT_EQ(error, "") << what;
    EXPECT_EQ(out.A, c.A);
    EXPECT_EQ(out.B, c.B);
    EXPECT_EQ(out.Terminal, c.Terminal);
  }
}

}  // namespace
}  // namespace quillon::cli
