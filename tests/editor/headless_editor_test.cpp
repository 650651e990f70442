#include "editor/headless_editor.h"

#include <gtest/gtest.h>

#include "editor/address_cases.h"
#include "editor/editor_rules.h"

namespace quillon {
namespace {

using testing::AddressCases;
using testing::MakeAddressProfile;
using testing::MakeCommand;
using testing::MakeParam;

TEST(HeadlessEditor, AnswersEveryAddressQuestionLikeTheWindowEditor) {
  const CommandProfile profile = MakeAddressProfile();
  THeadlessEditor editor(profile);
  for (const testing::TAddressCase& c : AddressCases())
    EXPECT_EQ(editor.HasControl(c.Page, c.Command, c.Instance, c.Param, c.Kind), c.Found) << c.Name;
}

TEST(HeadlessEditor, KeepsTheValuesOfAddressesPastThePackedTagApart) {
  const CommandProfile profile = MakeAddressProfile();
  THeadlessEditor editor(profile);
  editor.SetInputText(2, 0, 0, 256, "p256");
  editor.SetInputText(2, 0, 0, 0, "p0");
  editor.SetInputText(2, 1, 256, 0, "i256");
  editor.SetInputText(2, 1, 0, 0, "i0");
  EXPECT_EQ(editor.InputText(2, 0, 0, 256), "p256");
  EXPECT_EQ(editor.InputText(2, 0, 0, 0), "p0");
  EXPECT_EQ(editor.InputText(2, 1, 256, 0), "i256");
  EXPECT_EQ(editor.InputText(2, 1, 0, 0), "i0");
}

struct IntegerDefault {
  const char* Default;
  int64_t Min, Max;
  const char* Shown;
};

TEST(HeadlessEditor, StartsIntegerFieldsFromTheDefaultWithinTheLimits) {
  const IntegerDefault cases[] = {
      {"", 1, 10, "1"},
      {"", 0, 0, "0"},
      {"99999", 0, 0, "99999"},
      {"20", 1, 10, "10"},
      {"-3", 1, 10, "1"},
      {"abc", -5, 5, "0"},
      {"$10", -100, 100, "16"},
      {"7 ", 1, 10, "1"},
      {"-2147483648", -2147483648LL, 2147483647LL, "-2147483648"},
      {"5", 10, 1, "10"},  // crossed limits: below the lower one first
  };
  for (const IntegerDefault& c : cases) {
    CommandProfile profile;
    TCmdParameter p = MakeParam(ptInteger, true);
    p.DefaultValue = c.Default;
    p.MinValue = c.Min;
    p.MaxValue = c.Max;
    TDevCommand command = MakeCommand("+INT", -1);
    command.Parameters = {p};
    profile.Pages = {TDevPage{"1", "Page", {command}}};
    THeadlessEditor editor(profile);
    EXPECT_EQ(editor.InputText(0, 0, 0, 0), c.Shown) << "default '" << c.Default << "'";
  }
}

TEST(HeadlessEditor, SelectsTheLastMatchingOptionElseTheSecondElseNone) {
  struct OptionCase {
    std::vector<TParamOption> Options;
    const char* Default;
    int Selected;
  };
  const OptionCase cases[] = {
      {{{"1", "a"}, {"2", "b"}, {"2", "c"}}, "2", 2},
      {{{"1", "a"}, {"2", "b"}, {"3", "c"}}, "1", 0},
      {{{"1", "a"}, {"2", "b"}, {"3", "c"}}, "9", 1},
      {{{"1", "a"}, {"2", "b"}, {"3", "c"}}, "", 1},
      {{{"1", "a"}}, "9", -1},
      {{{"1", "a"}}, "1", 0},
      {{}, "", -1},
  };
  for (const OptionCase& c : cases) {
    CommandProfile profile;
    TCmdParameter p = MakeParam(ptOption, false);
    p.Options = c.Options;
    p.DefaultValue = c.Default;
    TDevCommand command = MakeCommand("+OPT", -1);
    command.Parameters = {p};
    profile.Pages = {TDevPage{"1", "Page", {command}}};
    THeadlessEditor editor(profile);
    EXPECT_EQ(editor.OptionIndex(0, 0, 0, 0), c.Selected) << "default '" << c.Default << "'";
    editor.SetOptionIndex(0, 0, 0, 0, static_cast<int>(c.Options.size()));
    EXPECT_EQ(editor.OptionIndex(0, 0, 0, 0), -1);
  }
}

TEST(HeadlessEditor, StartsTextAndHexFieldsFromTheDefault) {
  CommandProfile profile;
  TCmdParameter text = MakeParam(ptString, false);
  text.MaxLen = 3;
  text.DefaultValue = "longer than three";
  TCmdParameter hex = MakeParam(ptHex, false);
  hex.MaxLen = 4;
  hex.DefaultValue = "ff";
  TDevCommand command = MakeCommand("+TXT", -1);
  command.Parameters = {text, hex};
  profile.Pages = {TDevPage{"1", "Page", {command}}};
  THeadlessEditor editor(profile);
  EXPECT_EQ(editor.InputText(0, 0, 0, 0), "longer than three");  // the system's text is not cut
  EXPECT_EQ(editor.InputText(0, 0, 0, 1), "FF");
  editor.SetInputText(0, 0, 0, 1, "0x1f2e3d");
  EXPECT_EQ(editor.InputText(0, 0, 0, 1), "0X1F");
}

TEST(HeadlessEditor, CheckBoxesSwitchTheirInputsAndUnsupportedCommandsGoDark) {
  const CommandProfile profile = MakeAddressProfile();
  THeadlessEditor editor(profile);
  EXPECT_TRUE(editor.Checked(0, 0, 0, 0));
  EXPECT_TRUE(editor.InputEnabled(0, 0, 0, 0));
  editor.SetChecked(0, 0, 0, 0, false);
  EXPECT_FALSE(editor.Checked(0, 0, 0, 0));
  EXPECT_FALSE(editor.InputEnabled(0, 0, 0, 0));
  EXPECT_TRUE(editor.InputEnabled(0, 0, 0, 2));
  // A mandatory parameter has no box: nothing to read or set.
  editor.SetChecked(0, 0, 0, 1, false);
  EXPECT_FALSE(editor.Checked(0, 0, 0, 1));
  EXPECT_TRUE(editor.InputEnabled(0, 0, 0, 1));

  EXPECT_TRUE(editor.GroupEnabled(0, 1));
  editor.MarkCommandUnsupported(0, 1);
  EXPECT_FALSE(editor.GroupEnabled(0, 1));
  EXPECT_FALSE(editor.InputEnabled(0, 1, 2, 1));
  EXPECT_TRUE(editor.GroupEnabled(0, 0));
  EXPECT_FALSE(editor.GroupEnabled(1, 0));
}

TEST(HeadlessEditor, BuildsTableViewsOnlyForTheExactProcessorName) {
  CommandProfile profile;
  TDevCommand table = MakeCommand("+TBL", -1);
  table.PollProcessor = "table";
  table.Attributes = {{"table_headers", "Номер"}, {"table_width", "100, 80,x"}};
  TDevCommand otherCase = table;
  otherCase.PollProcessor = "Table";
  TDevCommand indexed = table;
  indexed.MaxIndex = 2;
  indexed.Indexed = true;
  profile.Pages = {TDevPage{"1", "Page", {table, otherCase, indexed}}};
  THeadlessEditor editor(profile);

  EXPECT_TRUE(editor.HasTable(0, 0, 0, 0));
  EXPECT_EQ(editor.TableHeaders(0, 0), (std::vector<std::string>{"Номер", "", ""}));
  const std::vector<TTableColumn> columns = TableColumns(table);
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[0].Width, 100);
  EXPECT_EQ(columns[1].Width, 80);
  EXPECT_EQ(columns[2].Width, 50);
  EXPECT_FALSE(editor.HasTable(0, 1, 0, 0));
  // An indexed command's views lie in its instance groups, not in the command group.
  EXPECT_FALSE(editor.HasTable(0, 2, 0, 0));

  editor.AddTableRow(0, 0, 0, 0, {"a", "b", "c", "d"});
  EXPECT_EQ(editor.TableColumnCount(0, 0, 0, 0), 4);
  editor.AddTableRow(0, 0, 0, 0, {"e"});
  EXPECT_EQ(editor.TableRows(0, 0, 0, 0),
            (std::vector<std::vector<std::string>>{{"a", "b", "c", "d"}, {"e", "", "", ""}}));
  editor.ClearTableRows(0, 0, 0, 0);
  EXPECT_TRUE(editor.TableRows(0, 0, 0, 0).empty());
  EXPECT_EQ(editor.TableColumnCount(0, 0, 0, 0), 4);
}

TEST(EditorRules, WritesTheHintOfEachParameterType) {
  struct HintCase {
    TParamType Type;
    int64_t Min, Max;
    int MaxLen;
    const char* LeaveMask;
    const char* Expected;
  };
  const HintCase cases[] = {
      {ptHex, 0, 4294967295LL, 8, "", "Шестнадцатеричное число 8 символов"},
      {ptHex, 1, 255, 4, "", "Шестнадцатеричное число 4 символов от 0001(1) до 00FF(255)"},
      {ptHex, 0, 65535, 2, "", "Шестнадцатеричное число 2 символов до FFFF(65535)"},
      {ptString, 0, 4294967295LL, 0, "", "Строка"},
      {ptString, 0, 4294967295LL, 16, "^[0-9]+$", "Строка до 16 символов, маска ^[0-9]+$"},
      {ptString, 0, 4294967295LL, 0, "x", "Строка, маска x"},
      {ptInteger, -2147483648LL, 2147483647LL, 0, "", "Число"},
      {ptInteger, 0, 2147483647LL, 0, "", "Число от 0"},
      {ptInteger, -5, 10, 0, "", "Число от -5 до 10"},
      {ptOption, 0, 4294967295LL, 0, "", ""},
  };
  for (const HintCase& c : cases) {
    TCmdParameter p;
    p.ParamType = c.Type;
    p.Description = "Период";
    p.MinValue = c.Min;
    p.MaxValue = c.Max;
    p.MaxLen = c.MaxLen;
    p.OnLeaveMask = c.LeaveMask;
    EXPECT_EQ(ParameterHint(p), std::string("Период\r\n") + c.Expected);
  }
}

TEST(EditorRules, ReadsHexFieldsAsUnsigned32BitValues) {
  TCmdParameter p;
  p.ParamType = ptHex;
  p.MinValue = 1;
  p.MaxValue = 255;
  EXPECT_TRUE(HexTextInRange(p, "FF"));
  EXPECT_TRUE(HexTextInRange(p, "00000001"));
  EXPECT_FALSE(HexTextInRange(p, "100"));
  EXPECT_FALSE(HexTextInRange(p, "0"));
  EXPECT_FALSE(HexTextInRange(p, ""));          // not a number: 0
  EXPECT_FALSE(HexTextInRange(p, "XYZ"));       // not a number: 0
  EXPECT_TRUE(HexTextInRange(p, "1000000FF"));  // only the low 32 bits count
  p.MinValue = 0;
  p.MaxValue = 4294967295LL;
  EXPECT_TRUE(HexTextInRange(p, "FFFFFFFF"));
}

}  // namespace
}  // namespace quillon
