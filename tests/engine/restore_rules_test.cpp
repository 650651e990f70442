// Which commands a restore may write, and which unreadable parameters would be written with a
// value nobody gave.
#include "engine/restore_rules.h"

#include <gtest/gtest.h>

#include "editor/headless_editor.h"
#include "engine/recording_editor.h"
#include "profile/command_profile.h"

namespace quillon::test {
namespace {

const char kProfile[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<application>
  <page id="1" name="Main">
    <command command="+SAVD" description="Saved" polldata="1" exportdata="1">
      <parameter type="string" description="Read" optional="0"/>
      <parameter type="string" description="Kept, mandatory" optional="0" overwrite="false"/>
      <parameter type="string" description="Kept, optional" overwrite="false"/>
    </command>
    <command command="+NEXP" description="Not exported" polldata="1">
      <parameter type="string" description="Read" optional="0"/>
    </command>
    <command command="+RDON" description="Read only" polldata="1" setdata="0" exportdata="1">
      <parameter type="string" description="Read" optional="0"/>
    </command>
    <command command="+EXIT" description="Leaves" exportdata="1" pollprocessor="ExitCmd"/>
    <command command="+TEXT" description="Leaves by default" exportdata="1"/>
    <command command="+NOPL" description="Write only" exportdata="1">
      <parameter type="string" description="Value" optional="0"/>
    </command>
  </page>
</application>
)";

class RestoreRulesTest : public ::testing::Test {
 protected:
  RestoreRulesTest() {
    profile_.LoadCommandProfileFromBuffer(kProfile);
    editor_ = std::make_unique<THeadlessEditor>(profile_);
  }
  const TDevCommand& Command(const std::string& name) {
    profile_.FindCommand(name, page_, command_);
    return *profile_.Command(page_, command_);
  }

  CommandProfile profile_;
  std::unique_ptr<THeadlessEditor> editor_;
  int page_ = -1, command_ = -1;
};

TEST_F(RestoreRulesTest, OnlyExportableWritableCommandsThatStayInCommandMode) {
  const struct {
    const char* Name;
    bool MayWrite;
  } cases[] = {
      {"+SAVD", true},  {"+NEXP", false},  // no ExportData
      {"+RDON", false},                    // no SetData
      {"+EXIT", false},                    // "exitcmd", in any letter case
      {"+TEXT", false},                    // "exitcmd" by default
      {"+NOPL", true},                     // cannot be read, but may be written
  };
  for (const auto& c : cases) EXPECT_EQ(RestoreMayWrite(Command(c.Name)), c.MayWrite) << c.Name;
}

TEST_F(RestoreRulesTest, UnreadableParametersNeedAValueOrAClearBox) {
  const TDevCommand& cmd = Command("+SAVD");
  const auto missing = [&](const std::set<int>& given) {
    return UnreadableWithoutValue(cmd, *editor_, page_, command_, 0, given);
  };
  // Both kept parameters would go out with the editor's value.
  EXPECT_EQ(missing({}), (std::vector<int>{1, 2}));
  EXPECT_EQ(missing({0}), (std::vector<int>{1, 2}));
  EXPECT_EQ(missing({1}), (std::vector<int>{2}));
  EXPECT_TRUE(missing({1, 2}).empty());
  // The optional one with its box clear goes out empty and writes nothing.
  editor_->SetChecked(page_, command_, 0, 2, false);
  EXPECT_EQ(missing({}), (std::vector<int>{1}));
  EXPECT_TRUE(UnreadableWithoutValue(Command("+NEXP"), *editor_, page_, command_, 0, {}).empty());
}

// What counts as given by a file or an answer: a value put in, or a box cleared; ticking a box
// alone, an emptied selection or an address without a control is nothing.
TEST_F(RestoreRulesTest, RecordingEditorNotesWhatWasGiven) {
  Command("+SAVD");
  TRecordingEditor recorder(*editor_);
  recorder.SetChecked(page_, command_, 0, 2, true);
  recorder.SetInputText(page_, command_, 0, 0, "x");
  recorder.SetInputText(page_, command_, 0, 9, "nowhere");
  EXPECT_TRUE(recorder.ValueSet(page_, command_, 0, 0));
  EXPECT_FALSE(recorder.Given(page_, command_, 0, 2));
  EXPECT_FALSE(recorder.Given(page_, command_, 0, 9));
  recorder.SetChecked(page_, command_, 0, 2, false);
  EXPECT_TRUE(recorder.Given(page_, command_, 0, 2));
  EXPECT_FALSE(recorder.ValueSet(page_, command_, 0, 2));
  EXPECT_FALSE(editor_->Checked(page_, command_, 0, 2));  // handed on
  recorder.SetChecked(page_, command_, 0, 2, true);       // ticked again: the value must come
  EXPECT_FALSE(recorder.Given(page_, command_, 0, 2));
  recorder.Forget();
  EXPECT_FALSE(recorder.Given(page_, command_, 0, 0));
  EXPECT_EQ(editor_->InputText(page_, command_, 0, 0), "x");
}

}  // namespace
}  // namespace quillon::test
