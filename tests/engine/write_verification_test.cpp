// Judging a write from the terminal's answer: which values are compared and how, refusals,
// unsupported commands, missing answers, and the commands whose answer carries no values.
#include "engine/write_verification.h"

#include <gtest/gtest.h>

#include "editor/headless_editor.h"
#include "profile/command_profile.h"

namespace quillon::test {
namespace {

const char kProfile[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<application>
  <page id="1" name="Main">
    <command command="+VRFY" description="Every type" polldata="1">
      <parameter type="string" description="Text" optional="0" defaultvalue="a"/>
      <parameter type="integer" description="Number" optional="0" defaultvalue="5"/>
      <parameter type="hex" description="Mask" optional="0" maxlen="4" defaultvalue="00FF"/>
      <parameter type="option" description="Mode" optional="0" defaultvalue="1">
        <option value="1" text="One"/>
        <option value="2" text="Two"/>
      </parameter>
      <parameter type="string" description="Secret" optional="0" overwrite="false" defaultvalue="s"/>
      <parameter type="integer" description="Extra" defaultvalue="9"/>
    </command>
    <command command="+IDXV" description="Indexed" maxindex="2" polldata="1">
      <parameter type="string" description="Text" optional="0"/>
      <parameter type="integer" description="Number" optional="0"/>
    </command>
    <command command="+NPOL" description="Read by a poll" polldata="1" pollprocessor="nonpoll">
      <parameter type="integer" description="Number" optional="0"/>
    </command>
    <command command="+NPNR" description="Cannot be read">
      <parameter type="integer" description="Number" optional="0"/>
    </command>
    <command command="+TEXT" description="Leave"/>
  </page>
</application>
)";

class WriteVerificationTest : public ::testing::Test {
 protected:
  WriteVerificationTest() { profile_.LoadCommandProfileFromBuffer(kProfile); }

  const TDevCommand& Command(const std::string& name) {
    int page = -1, command = -1;
    EXPECT_TRUE(profile_.FindCommand(name, page, command)) << name;
    return *profile_.Command(page, command);
  }

  CommandProfile profile_;
};

using Sent = TSentValues;
constexpr std::nullopt_t kUnticked = std::nullopt;

TEST_F(WriteVerificationTest, AnswerToAnApplyComparedValueByValue) {
  // Sent: text "a", number 5, mask 00FF, option 1, secret s (not read back), extra unticked.
  const Sent sent = {"a", "5", "00FF", "1", "s", kUnticked};
  const struct {
    const char* Name;
    std::string Answer;
    TWriteResult Result;
    std::vector<int> Differing;
  } cases[] = {
      {"as sent", "\r\n+RESP:VRFY,a,5,00FF,1,s,9\r\n>", wrVerified, {}},
      // Numbers compare as numbers, whatever their form.
      {"numbers in other forms", "\r\n+RESP:VRFY,a,+05,ff,1,s,9\r\n>", wrVerified, {}},
      // The secret and the unticked extra are not compared, whatever comes back.
      {"unread values ignored", "\r\n+RESP:VRFY,a,5,FF,1,other,1234\r\n>", wrVerified, {}},
      // Strings exactly: letter case counts.
      {"string case", "\r\n+RESP:VRFY,A,5,00FF,1,s,9\r\n>", wrDiffers, {0}},
      {"number", "\r\n+RESP:VRFY,a,6,00FF,1,s,9\r\n>", wrDiffers, {1}},
      {"hex", "\r\n+RESP:VRFY,a,5,01FF,1,s,9\r\n>", wrDiffers, {2}},
      // Options by their Value, not by their text.
      {"option by text", "\r\n+RESP:VRFY,a,5,00FF,One,s,9\r\n>", wrDiffers, {3}},
      {"number not a number", "\r\n+RESP:VRFY,a,five,00FF,1,s,9\r\n>", wrDiffers, {1}},
      // A short line: the missing values differ, with nothing read.
      {"short line", "\r\n+RESP:VRFY,a,5\r\n>", wrDiffers, {2, 3}},
      // The last values line counts, as it is the one the editor keeps.
      {"second line wins",
       "\r\n+RESP:VRFY,x,5,00FF,1\r\n+RESP:VRFY,a,5,00FF,1\r\n>",
       wrVerified,
       {}},
      // An error the processors do not know reads as values, which then differ.
      {"unknown error", "\r\n+RESP:VRFY,ERROR,BUSY\r\n>", wrDiffers, {0, 1, 2, 3}},
      {"password", "\r\n+RESP:VRFY,ERROR,PASSWORD\r\n>", wrRefused, {}},
      {"permission", "\r\n+RESP:VRFY,ERROR,PERMISSION\r\n>", wrRefused, {}},
      {"parameters", "\r\n+RESP:VRFY,ERROR,COMMAND\r\n>", wrRefused, {}},
      {"not supported", "\r\nNOT SUPPORTED\r\n>", wrUnsupported, {}},
      {"nothing", "", wrNoAnswer, {}},
      {"only the prompt", "\r\n>", wrNoAnswer, {}},
      {"another command", "\r\n+RESP:VRFX,a,5,00FF,1\r\n>", wrNoAnswer, {}},
      {"echo and garbage", "AT+VRFY=*,a\r\nnoise\r\n>", wrNoAnswer, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    bool polled = false;
    const TWriteVerification v = VerifyWrite(Command("+VRFY"), 0, sent, c.Answer, [&] {
      polled = true;
      return std::string();
    });
    EXPECT_EQ(v.Result, c.Result) << WriteResultText(v.Result);
    std::vector<int> differing;
    for (const TValueDifference& d : v.Differences) differing.push_back(d.Index);
    EXPECT_EQ(differing, c.Differing);
    EXPECT_FALSE(polled);
    EXPECT_FALSE(v.Polled);
  }
}

TEST_F(WriteVerificationTest, DifferencesCarryWhatWasSentAndRead) {
  const TWriteVerification v = VerifyWrite(Command("+VRFY"), 0, {"a", "5", "00FF", "2", "s", "9"},
                                           "\r\n+RESP:VRFY,b,5,00FF\r\n>", nullptr);
  ASSERT_EQ(v.Differences.size(), 3u);
  EXPECT_EQ(v.Differences[0].Sent, "a");
  EXPECT_EQ(v.Differences[0].Read, std::optional<std::string>("b"));
  EXPECT_EQ(v.Differences[1].Index, 3);
  EXPECT_EQ(v.Differences[1].Read, std::nullopt);
  // The ticked extra is compared too.
  EXPECT_EQ(v.Differences[2].Index, 5);
  EXPECT_EQ(v.Differences[2].Sent, "9");
}

TEST_F(WriteVerificationTest, IndexedInstanceReadFromItsOwnPlace) {
  const std::string answer = "\r\n+RESP:IDXV,one,1,two,2\r\n>";
  EXPECT_EQ(VerifyWrite(Command("+IDXV"), 1, {"two", "2"}, answer, nullptr).Result, wrVerified);
  EXPECT_EQ(VerifyWrite(Command("+IDXV"), 0, {"two", "2"}, answer, nullptr).Result, wrDiffers);
  // The second instance's values are missing: differs, not verified by accident.
  EXPECT_EQ(
      VerifyWrite(Command("+IDXV"), 1, {"one", "1"}, "\r\n+RESP:IDXV,one,1\r\n>", nullptr).Result,
      wrDiffers);
}

// A "nonpoll" command answers a write without values: it is polled once if it can be, and
// only after a write that was not refused.
TEST_F(WriteVerificationTest, NonPollCommandsReadOnceAfterwards) {
  const struct {
    const char* Name;
    const char* Command;
    std::string Answer;
    std::string PollAnswer;
    TWriteResult Result;
    bool Polled;
  } cases[] = {
      {"poll agrees", "+NPOL", "\r\n+RESP:NPOL,OK\r\n>", "\r\n+RESP:NPOL,7\r\n>", wrVerified, true},
      {"poll differs", "+NPOL", "\r\n+RESP:NPOL,OK\r\n>", "\r\n+RESP:NPOL,8\r\n>", wrDiffers, true},
      {"poll unanswered", "+NPOL", "\r\n+RESP:NPOL,OK\r\n>", "", wrNoAnswer, true},
      {"write refused", "+NPOL", "\r\n+RESP:NPOL,ERROR,COMMAND\r\n>", "\r\n+RESP:NPOL,7\r\n>",
       wrRefused, false},
      {"write unanswered", "+NPOL", "", "\r\n+RESP:NPOL,7\r\n>", wrNoAnswer, false},
      {"cannot be read", "+NPNR", "\r\n+RESP:NPNR,OK\r\n>", "\r\n+RESP:NPNR,7\r\n>", wrNotVerified,
       false},
      {"not supported", "+NPNR", "\r\nNOT SUPPORTED\r\n>", "", wrUnsupported, false},
      {"leaves command mode", "+TEXT", "\r\n+RESP:TEXT,OK\r\n>", "", wrNotVerified, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    int polls = 0;
    const TWriteVerification v = VerifyWrite(Command(c.Command), 0, {"7"}, c.Answer, [&] {
      ++polls;
      return c.PollAnswer;
    });
    EXPECT_EQ(v.Result, c.Result) << WriteResultText(v.Result);
    EXPECT_EQ(polls, c.Polled ? 1 : 0);
    EXPECT_EQ(v.Polled, c.Polled);
  }
}

TEST_F(WriteVerificationTest, SentValuesAreWhatTheRequestCarries) {
  THeadlessEditor editor(profile_);
  int page = -1, command = -1;
  profile_.FindCommand("+VRFY", page, command);
  editor.SetInputText(page, command, 0, 0, "typed");
  editor.SetOptionIndex(page, command, 0, 3, 1);
  editor.SetChecked(page, command, 0, 5, false);
  EXPECT_EQ(SentValues(editor, Command("+VRFY"), page, command, 0),
            (Sent{"typed", "5", "00FF", "2", "s", kUnticked}));
  // No option selected: the request carries an empty value, and so does the comparison.
  editor.SetOptionIndex(page, command, 0, 3, -1);
  EXPECT_EQ(SentValues(editor, Command("+VRFY"), page, command, 0)[3],
            std::optional<std::string>(""));
}

}  // namespace
}  // namespace quillon::test
