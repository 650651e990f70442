// What the editor knows about each value: its origin and the value last read, kept by the
// response processors and the editor, and what "changed" means from it.
#include <gtest/gtest.h>

#include "editor/value_tracker.h"
#include "engine/engine_profiles.h"
#include "engine/engine_rig.h"

namespace quillon::test {
namespace {

class TrackingTest : public ::testing::Test {
 protected:
  TEngineRig rig{kRequestProfile};
  IParameterEditor& ed() { return *rig.editor; }
  ParamAddress at(const std::string& name, int instance, int param) {
    ParamAddress a = rig.At(name, instance);
    a.Param = param;
    return a;
  }
  TValueOrigin Origin(const ParamAddress& a) {
    return ed().ValueOrigin(a.Page, a.Command, a.Instance, a.Param);
  }
  bool Changed(const ParamAddress& a) {
    return ed().ValueChanged(a.Page, a.Command, a.Instance, a.Param);
  }
  void Type(const ParamAddress& a, const std::string& text) {
    ed().SetInputText(a.Page, a.Command, a.Instance, a.Param, text);
    ed().SetValueOrigin(a.Page, a.Command, a.Instance, a.Param, voTyped);
  }
};

TEST_F(TrackingTest, DefaultThenReadThenTypedMarksExactlyTheChangedFields) {
  const ParamAddress text = at("+IDXC", 0, 0), number = at("+IDXC", 1, 1);
  EXPECT_EQ(Origin(text), voDefault);
  EXPECT_FALSE(ed().LastReadValue(text.Page, text.Command, 0, 0).has_value());

  rig.line->OnRequest("AT+IDXC=?", "\r\n+RESP:IDXC,a,1,b,2\r\n>", 5);
  ASSERT_TRUE(rig.engine->PollCommand(rig.At("+IDXC")));
  EXPECT_EQ(Origin(text), voRead);
  EXPECT_EQ(Origin(number), voRead);
  EXPECT_EQ(ed().LastReadValue(number.Page, number.Command, 1, 1), "2");
  EXPECT_EQ(ed().ChangedCount(), 0);

  Type(number, "3");
  EXPECT_EQ(Origin(number), voTyped);
  EXPECT_TRUE(Changed(number));
  EXPECT_FALSE(Changed(text));
  EXPECT_EQ(ed().ChangedCount(), 1);
  EXPECT_EQ(ed().ChangedCount(number.Page), 1);
  EXPECT_EQ(ed().ChangedCount(number.Page + 1), 0);

  // Typed back to the value read (as the terminal counts numbers): no longer changed.
  Type(number, "02");
  EXPECT_FALSE(Changed(number));
  EXPECT_EQ(ed().ChangedCount(), 0);
}

// The answer to an apply of instance 1 carries instance 2 too: its last read value follows the
// terminal, the value typed into it stays and so shows as changed.
TEST_F(TrackingTest, ApplyAnswerUpdatesLastReadOfInstancesItDoesNotRefill) {
  rig.line->OnRequest("AT+IDXC=?", "\r\n+RESP:IDXC,a,1,b,2\r\n>", 5);
  ASSERT_TRUE(rig.engine->PollCommand(rig.At("+IDXC")));
  const ParamAddress second = at("+IDXC", 1, 1);
  Type(second, "9");
  Type(at("+IDXC", 0, 1), "4");
  rig.line->OnRequest("AT+IDXC=222222,1,a,4,", "\r\n+RESP:IDXC,a,4,b,7\r\n>", 5);
  ASSERT_TRUE(rig.engine->ApplyCommand(rig.At("+IDXC", 0)));
  EXPECT_EQ(ed().InputText(second.Page, second.Command, 1, 1), "9");
  EXPECT_EQ(ed().LastReadValue(second.Page, second.Command, 1, 1), "7");
  EXPECT_TRUE(Changed(second));
  EXPECT_FALSE(Changed(at("+IDXC", 0, 1)));
  EXPECT_EQ(Origin(at("+IDXC", 0, 1)), voRead);
  EXPECT_EQ(ed().ChangedCount(), 1);
}

TEST_F(TrackingTest, OptionsCompareByValueAndUncheckedOptionalIsNotChanged) {
  rig.line->OnRequest("AT+OPTC=?", "\r\n+RESP:OPTC,2\r\n>", 5);
  ASSERT_TRUE(rig.engine->PollCommand(rig.At("+OPTC")));
  const ParamAddress mode = at("+OPTC", 0, 0);
  EXPECT_EQ(ed().LastReadValue(mode.Page, mode.Command, 0, 0), "2");
  ed().SetOptionIndex(mode.Page, mode.Command, 0, 0, 2);
  EXPECT_TRUE(Changed(mode));
  ed().SetOptionIndex(mode.Page, mode.Command, 0, 0, 1);
  EXPECT_FALSE(Changed(mode));

  rig.line->OnRequest("AT+OPTL=?", "\r\n+RESP:OPTL,z\r\n>", 5);
  ASSERT_TRUE(rig.engine->PollCommand(rig.At("+OPTL")));
  const ParamAddress optional = at("+OPTL", 0, 0);
  Type(optional, "y");
  EXPECT_TRUE(Changed(optional));
  ed().SetChecked(optional.Page, optional.Command, 0, 0, false);  // sent empty: asks no change
  EXPECT_FALSE(Changed(optional));
}

TEST_F(TrackingTest, ParameterWithoutOverwriteIsNeverRead) {
  rig.line->OnRequest("AT+NOWR=?", "\r\n+RESP:NOWR,other,3\r\n>", 5);
  ASSERT_TRUE(rig.engine->PollCommand(rig.At("+NOWR")));
  EXPECT_EQ(Origin(at("+NOWR", 0, 0)), voDefault);
  EXPECT_EQ(Origin(at("+NOWR", 0, 1)), voRead);
}

TEST(SameValue, NumbersAsNumbersTextExactly) {
  const struct {
    TParamType type;
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {ptInteger, "5", "05", true}, {ptInteger, "5", " 5", true},    {ptInteger, "5", "6", false},
      {ptInteger, "x", "x", true},  {ptInteger, "", "0", false},     {ptHex, "0A", "a", true},
      {ptHex, "0A", "0B", false},   {ptString, "abc", "ABC", false}, {ptString, "05", "5", false},
      {ptOption, "1", "01", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(SameValue(c.type, c.a, c.b), c.same);
  }
}

}  // namespace
}  // namespace quillon::test
