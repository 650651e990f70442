// Comparing two configurations per address: the kinds of difference, the normalisation of
// values (numbers as numbers, options by Value), and what a terminal cannot report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "configfiles/bounded_inflater.h"
#include "configfiles/config_compare.h"
#include "configfiles/config_fixture.h"
#include "editor/headless_editor.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using testing::Command;
using testing::Document;
using testing::Instance;
using testing::MixedProfile;
using testing::Param;
using testing::ProfileFromXml;

// The file's bytes, compressed as the program writes them.
std::string Zipped(const std::string& commands) {
  return DeflateBest(Document(commands));
}

// One line per difference: page.command#instance[param] kind a|b ("-" for nothing).
std::vector<std::string> Lines(const std::vector<TConfigDifference>& differences) {
  std::vector<std::string> lines;
  for (const TConfigDifference& d : differences)
    lines.push_back(std::to_string(d.Address.Page) + "." + std::to_string(d.Address.Command) + "#" +
                    std::to_string(d.Address.Instance) + "[" + std::to_string(d.Address.Param) +
                    "] " + DifferenceKindText(d.Kind) + " " + d.A.value_or("-") + "|" +
                    d.B.value_or("-"));
  return lines;
}

// +PLN: integer (optional) 0..255, string, hex of 8, option 0/1/2, string. +IDX: three
// instances of string and integer. +TWO on page 1.
const std::string kPln =
    Command("+PLN", Instance(0, Param(0, "7", "1") + Param(1, "12") + Param(2, "ff") +
                                    Param(3, "1") + Param(4, "a b")));
const std::string kIdx = Command("+IDX", Instance(0, Param(0, "p") + Param(1, "3")) +
                                             Instance(1, Param(0, "q") + Param(1, "4")));

TEST(ConfigCompareTest, FilesComparedPerAddress) {
  const CommandProfile profile = MixedProfile();
  struct TCase {
    const char* What;
    std::string A, B;
    std::vector<std::string> Expected;
  };
  const std::vector<TCase> cases = {
      {"the same file", kPln + kIdx, kPln + kIdx, {}},
      // The loader pads ff to 000000FF and reads 007 as 7: the same values.
      {"numbers by value",
       kPln,
       Command("+PLN", Instance(0, Param(0, "007", "1") + Param(1, "12") + Param(2, "000000FF") +
                                       Param(3, "1") + Param(4, "a b"))),
       {}},
      {"an instance's value changed",
       kIdx,
       Command("+IDX", Instance(0, Param(0, "p") + Param(1, "3")) +
                           Instance(1, Param(0, "Q") + Param(1, "4"))),
       {"0.1#1[0] changed q|Q"}},
      {"strings exactly, options by Value",
       kPln,
       Command("+PLN", Instance(0, Param(0, "7", "1") + Param(1, "012") + Param(2, "ff") +
                                       Param(3, "2") + Param(4, "a  b"))),
       // "a  b" comes back as "a b": the reader collapses white space.
       {"0.0#0[1] changed 12|012", "0.0#0[3] changed 1|2"}},
      {"only in one file",
       kIdx + Command("+TWO", Instance(0, Param(0, "t"))),
       Command("+IDX", Instance(1, Param(0, "q") + Param(1, "4")) + Instance(2, Param(0, "r"))),
       {"0.1#0[0] only in A p|-", "0.1#0[1] only in A 3|-", "0.1#2[0] only in B -|r",
        "1.0#0[0] only in A t|-"}},
      {"box and value differ",
       kPln,
       Command("+PLN", Instance(0, Param(0, "8", "0") + Param(1, "12") + Param(2, "ff") +
                                       Param(3, "1") + Param(4, "a b"))),
       {"0.0#0[0] enabled differs on|off", "0.0#0[0] changed 7|8"}},
      // An empty element holds an empty value, as the writer writes an empty field.
      {"empty elements",
       Command("+PLN", Instance(0, Param(0, "", "1") + Param(4, ""))),
       Command("+PLN", Instance(0, Param(0, "9", "1") + Param(4, ""))),
       {"0.0#0[0] changed |9"}},
      // A value out of range is replaced by the default, as loading it would.
      {"loader's normalisation",
       Command("+PLN", Instance(0, Param(0, "300", "1"))),
       Command("+PLN", Instance(0, Param(0, "10", "1"))),
       {}},
  };
  for (const TCase& c : cases) {
    const TConfigRead a = ReadConfigurationBuffer(profile, Zipped(c.A));
    const TConfigRead b = ReadConfigurationBuffer(profile, Zipped(c.B));
    ASSERT_TRUE(a.Readable() && b.Readable()) << c.What;
    EXPECT_EQ(Lines(CompareConfigurations(profile, a.Values, b.Values)), c.Expected) << c.What;
  }
}

// Against the terminal: what it cannot report (no Overwrite, no PollData) is not comparable,
// whichever side the terminal is on; what it reports compares as usual.
TEST(ConfigCompareTest, TerminalSideCannotReportEverything) {
  const CommandProfile profile = ProfileFromXml(R"(<page id="1" name="One">
  <command command="+RD" polldata="1" exportdata="1">
    <parameter type="string" optional="0"/>
    <parameter type="string" optional="0" overwrite="0"/>
    <parameter type="hex" optional="0" maxlen="4"/>
  </command>
  <command command="+WO" exportdata="1"><parameter type="string" optional="0"/></command>
</page>)");
  const TConfigRead file = ReadConfigurationBuffer(
      profile,
      Zipped(Command("+RD", Instance(0, Param(0, "a") + Param(1, "secret") + Param(2, "00ab"))) +
             Command("+WO", Instance(0, Param(0, "w")))));
  ASSERT_TRUE(file.Readable());

  // The terminal answered +RD with "a" and "AB": the hexadecimal value as a number.
  TConfiguration terminal;
  terminal.FromTerminal = true;
  terminal.Entries[{0, 0, 0, 0}].Value = "a";
  terminal.Entries[{0, 0, 0, 2}].Value = "AB";
  const std::vector<std::string> expected = {"0.0#0[1] not comparable -|secret",
                                             "0.1#0[0] not comparable -|w"};
  EXPECT_EQ(Lines(CompareConfigurations(profile, terminal, file.Values)), expected);

  terminal.Entries[{0, 0, 0, 2}].Value = "AC";
  const std::vector<std::string> swapped = {"0.0#0[1] not comparable secret|-",
                                            "0.0#0[2] changed 00AB|AC",
                                            "0.1#0[0] not comparable w|-"};
  EXPECT_EQ(Lines(CompareConfigurations(profile, file.Values, terminal)), swapped);
}

// The editor's side holds every parameter with its box; a file only what it names.
TEST(ConfigCompareTest, EditorAgainstFile) {
  const CommandProfile profile = MixedProfile();
  THeadlessEditor editor(profile);
  editor.SetInputText(0, 1, 2, 0, "typed");
  editor.SetChecked(0, 0, 0, 0, false);
  const TConfiguration shown = EditorConfiguration(profile, editor);
  EXPECT_EQ(shown.Entries.at({0, 0, 0, 0}).Enabled, false);
  EXPECT_FALSE(shown.Entries.at({0, 0, 0, 1}).Enabled) << "not optional: no box";
  const TConfigRead file = ReadConfigurationBuffer(
      profile, Zipped(Command("+IDX", Instance(2, Param(0, "d"))) +
                      Command("+PLN", Instance(0, Param(0, "10", "1") + Param(3, "0")))));
  std::vector<std::string> inB;
  for (const TConfigDifference& d : CompareConfigurations(profile, shown, file.Values))
    if (d.Kind != dkOnlyInA) inB.push_back(Lines({d})[0]);
  const std::vector<std::string> expected = {"0.0#0[0] enabled differs off|on",
                                             "0.0#0[3] changed 1|0", "0.1#2[0] changed typed|d"};
  EXPECT_EQ(inB, expected);

  // Taking the file's side of each leaves nothing but what the file does not name.
  editor.SetLastReadValue(0, 1, 2, 0, "typed");
  for (const TConfigDifference& d : CompareConfigurations(profile, shown, file.Values))
    if (d.Kind != dkOnlyInA) TakeValue(profile, editor, d);
  for (const TConfigDifference& d :
       CompareConfigurations(profile, EditorConfiguration(profile, editor), file.Values))
    EXPECT_EQ(d.Kind, dkOnlyInA) << Lines({d})[0];
  EXPECT_TRUE(editor.Checked(0, 0, 0, 0));
  EXPECT_EQ(editor.OptionIndex(0, 0, 0, 3), 0);
  EXPECT_EQ(editor.ValueOrigin(0, 1, 2, 0), voTyped);
  EXPECT_TRUE(editor.ValueChanged(0, 1, 2, 0));
}

// A file that cannot be read says so and gives nothing to compare.
TEST(ConfigCompareTest, UnreadableFiles) {
  const CommandProfile profile = MixedProfile();
  test::TempDir dir;
  const TConfigRead missing = ReadConfigurationFile(profile, dir.File("none.zxml"));
  EXPECT_FALSE(missing.Readable());
  ASSERT_EQ(missing.Messages.size(), 1u);
  EXPECT_EQ(missing.Messages[0].rfind("Не могу открыть файл", 0), 0u) << missing.Messages[0];
  const TConfigRead corrupt = ReadConfigurationBuffer(profile, "not zlib at all");
  EXPECT_EQ(corrupt.Loaded.Outcome, loCorrupt);
  EXPECT_EQ(corrupt.Messages.size(), 1u);
  const TConfigRead stopped =
      ReadConfigurationBuffer(profile, Zipped(Command("+NONE", Instance(0, Param(0, "x")))));
  EXPECT_EQ(stopped.Loaded.Outcome, loStopped);
  EXPECT_FALSE(stopped.Readable());
}

}  // namespace
}  // namespace quillon
