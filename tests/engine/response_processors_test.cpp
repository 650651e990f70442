// The response processors, driven end to end: a poll or apply goes out on the simulated line,
// the scripted terminal answers, and the editor, the log and the message boxes show the result.
#include <gtest/gtest.h>

#include "engine/engine_profiles.h"
#include "engine/engine_rig.h"

namespace quillon::test {
namespace {

const char kNoPrompt[] = "Терминал не в командном режиме";

class ProcessorTest : public ::testing::Test {
 protected:
  TEngineRig rig{kRequestProfile};

  // Polls the command once with the terminal answering the given lines after the echo.
  bool PollWith(const std::string& name, const std::string& lines) {
    rig.line->OnRequest("AT" + name + "=?", lines, 10);
    return rig.engine->PollCommand(rig.At(name));
  }
  std::string Text(const std::string& name, int instance, int param) {
    ParamAddress a = rig.At(name, instance);
    return rig.editor->InputText(a.Page, a.Command, instance, param);
  }
  int Option(const std::string& name) {
    ParamAddress a = rig.At(name);
    return rig.editor->OptionIndex(a.Page, a.Command, 0, 0);
  }
};

TEST_F(ProcessorTest, ValuesWithPromptFillTheFieldsQuietly) {
  EXPECT_TRUE(PollWith("+ABCD", "\r\n+RESP:ABCD,x,7\r\n>"));
  EXPECT_TRUE(rig.engine->AnswerRecognized);
  EXPECT_EQ(Text("+ABCD", 0, 0), "x");
  EXPECT_EQ(Text("+ABCD", 0, 1), "7");
  EXPECT_TRUE(rig.Notices().empty());
  EXPECT_TRUE(rig.ui.Messages.empty());
  EXPECT_EQ(rig.line->Requests(), std::vector<std::string>{"AT+ABCD=?"});
}

TEST_F(ProcessorTest, MissingPromptStillFillsButIsLogged) {
  EXPECT_TRUE(PollWith("+ABCD", "\r\n+RESP:ABCD,x,7\r\n"));
  EXPECT_EQ(Text("+ABCD", 0, 0), "x");
  EXPECT_EQ(Text("+ABCD", 0, 1), "7");
  EXPECT_EQ(rig.Notices(), std::vector<std::string>{kNoPrompt});
}

TEST_F(ProcessorTest, RefusalsShowOneMessageAndAreNotRepeated) {
  const struct {
    const char* reason;
    const char* message;
  } cases[] = {
      {"PASSWORD", "Неверно задан пароль"},
      {"PERMISSION", "Недостаточный уровень доступа"},
      {"COMMAND", "Ошибка обработки параметров"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    TEngineRig r{kRequestProfile};
    r.settings.RetryCount = 3;
    r.line->OnRequest("AT+ABCD=?", std::string("\r\n+RESP:ABCD,ERROR,") + c.reason + "\r\n>", 10);
    EXPECT_TRUE(r.engine->PollCommand(r.At("+ABCD")));
    EXPECT_EQ(r.ui.Messages, std::vector<std::string>{c.message});
    EXPECT_EQ(r.line->Requests().size(), 1u);
    ParamAddress a = r.At("+ABCD");
    EXPECT_EQ(r.editor->InputText(a.Page, a.Command, 0, 0), "a");
    EXPECT_EQ(r.editor->InputText(a.Page, a.Command, 0, 1), "5");
    EXPECT_TRUE(r.Notices().empty());
  }
}

TEST_F(ProcessorTest, OtherErrorWordsAreValues) {
  PollWith("+ABCD", "\r\n+RESP:ABCD,ERROR,BUSY\r\n>");
  EXPECT_EQ(Text("+ABCD", 0, 0), "ERROR");
  EXPECT_EQ(Text("+ABCD", 0, 1), "BUSY");
  EXPECT_TRUE(rig.ui.Messages.empty());
}

TEST_F(ProcessorTest, TooFewValuesFillWhatCameAndNameTheFirstMissing) {
  PollWith("+ABCD", "\r\n+RESP:ABCD,x\r\n>");
  EXPECT_EQ(Text("+ABCD", 0, 0), "x");
  EXPECT_EQ(Text("+ABCD", 0, 1), "5");
  EXPECT_EQ(rig.Notices(), std::vector<std::string>{"Некорректный ответ - отсутствует параметр 2"});
}

TEST_F(ProcessorTest, NotSupportedDisablesTheGroupWithoutRetry) {
  rig.settings.RetryCount = 3;
  PollWith("+ABCD", "\r\nNOT SUPPORTED\r\n>");
  ParamAddress a = rig.At("+ABCD");
  EXPECT_FALSE(rig.editor->GroupEnabled(a.Page, a.Command));
  EXPECT_TRUE(rig.engine->AnswerRecognized);
  EXPECT_EQ(rig.line->Requests().size(), 1u);
}

TEST_F(ProcessorTest, IndexedValuesComeInstanceByInstanceInOneLine) {
  PollWith("+IDXC", "\r\n+RESP:IDXC,a,1,b,2\r\n>");
  EXPECT_EQ(Text("+IDXC", 0, 0), "a");
  EXPECT_EQ(Text("+IDXC", 0, 1), "1");
  EXPECT_EQ(Text("+IDXC", 1, 0), "b");
  EXPECT_EQ(Text("+IDXC", 1, 1), "2");
  EXPECT_TRUE(rig.Notices().empty());
}

TEST_F(ProcessorTest, IndexedAnswerForFewerInstancesKeepsTheRest) {
  PollWith("+IDXC", "\r\n+RESP:IDXC,b,1\r\n>");
  EXPECT_EQ(Text("+IDXC", 0, 0), "b");
  EXPECT_EQ(Text("+IDXC", 1, 0), "a");  // the default, untouched
  EXPECT_EQ(rig.Notices(), std::vector<std::string>{"Некорректный ответ - отсутствует параметр 3"});
}

TEST_F(ProcessorTest, OptionIsSelectedByValueAndUnknownValueKeepsSelection) {
  PollWith("+OPTC", "\r\n+RESP:OPTC,3\r\n>");
  EXPECT_EQ(Option("+OPTC"), 2);
  TEngineRig r{kRequestProfile};
  r.line->OnRequest("AT+OPTC=?", "\r\n+RESP:OPTC,9\r\n>", 10);
  ParamAddress a = r.At("+OPTC");
  r.editor->SetOptionIndex(a.Page, a.Command, 0, 0, 1);
  r.engine->PollCommand(a);
  EXPECT_EQ(r.editor->OptionIndex(a.Page, a.Command, 0, 0), 1);
}

TEST_F(ProcessorTest, ParameterWithoutOverwriteKeepsItsValueAndUsesUpItsItem) {
  PollWith("+NOWR", "\r\n+RESP:NOWR,new,8\r\n>");
  EXPECT_EQ(Text("+NOWR", 0, 0), "keep");
  EXPECT_EQ(Text("+NOWR", 0, 1), "8");
}

TEST_F(ProcessorTest, LinesOfOtherCommandsAreIgnoredAndNameMayContinue) {
  rig.settings.RetryCount = 1;
  PollWith("+ABCD", "\r\n+RESP:ABCX,q,1\r\n+resp:abcd,q,1\r\n>");
  EXPECT_FALSE(rig.engine->AnswerRecognized);
  EXPECT_EQ(Text("+ABCD", 0, 0), "a");
  // The prefix test compares only the length of "+RESP:" + name.
  TEngineRig r{kRequestProfile};
  r.line->OnRequest("AT+ABCD=?", "\r\n+RESP:ABCDE,z,3\r\n>", 10);
  r.engine->PollCommand(r.At("+ABCD"));
  ParamAddress a = r.At("+ABCD");
  EXPECT_EQ(r.editor->InputText(a.Page, a.Command, 0, 0), "z");
}

TEST_F(ProcessorTest, TableRowsUntilThePlainAnswerLine) {
  PollWith("+TABL",
           "\r\n#01+RESP:TABL,a,b,c\r\n#0a+RESP:TABL,no,row\r\n#02+RESP:TABL,d,e,f\r\n"
           "+RESP:TABL,2\r\n#03+RESP:TABL,g,h,i\r\n>");
  ParamAddress a = rig.At("+TABL");
  using Rows = std::vector<std::vector<std::string>>;
  EXPECT_EQ(rig.editor->TableRows(a.Page, a.Command, 0, 0),
            (Rows{{"a", "b", "c"}, {"d", "e", "f"}}));
  EXPECT_GE(rig.editor->TableColumnCount(a.Page, a.Command, 0, 0), 3);
  EXPECT_TRUE(rig.Notices().empty());  // no prompt test, no retry
  EXPECT_EQ(rig.line->Requests().size(), 1u);
}

TEST_F(ProcessorTest, TableIsRefilledByTheNextAnswer) {
  PollWith("+TABL", "\r\n#01+RESP:TABL,a,b\r\n#02+RESP:TABL,c,d\r\n>");
  PollWith("+TABL", "\r\n#01+RESP:TABL,x,y,z,w\r\n>");
  ParamAddress a = rig.At("+TABL");
  using Rows = std::vector<std::vector<std::string>>;
  EXPECT_EQ(rig.editor->TableRows(a.Page, a.Command, 0, 0), (Rows{{"x", "y", "z", "w"}}));
  EXPECT_GE(rig.editor->TableColumnCount(a.Page, a.Command, 0, 0), 4);
}

TEST_F(ProcessorTest, ExitCommandLeavesCommandModeWhateverTheAnswer) {
  rig.line->OnRequest("AT+SRBT=222222,", "\r\ngarbage", 10);
  EXPECT_TRUE(rig.engine->ApplyCommand(rig.At("+SRBT")));
  EXPECT_FALSE(rig.session.InCommandMode);
  EXPECT_FALSE(rig.ui.LastCommandMode);  // "CMD" gone from the status bar
  EXPECT_TRUE(rig.ui.LastPortOpen);
  EXPECT_TRUE(rig.Notices().empty());
}

TEST_F(ProcessorTest, NonPollLooksOnlyForRefusals) {
  rig.settings.RetryCount = 3;
  rig.line->OnRequest("AT+SETO=222222,w,", "\r\n+RESP:SETO,ERROR,PERMISSION\r\n>", 10);
  EXPECT_TRUE(rig.engine->ApplyCommand(rig.At("+SETO")));
  EXPECT_EQ(rig.ui.Messages, std::vector<std::string>{"Недостаточный уровень доступа"});
  EXPECT_EQ(rig.line->Requests().size(), 1u);

  TEngineRig r{kRequestProfile};
  r.settings.RetryCount = 3;
  r.line->OnRequest("AT+SETO=222222,w,", "\r\n+RESP:SETO,OK\r\n>", 10);
  r.engine->ApplyCommand(r.At("+SETO"));
  EXPECT_TRUE(r.engine->AnswerRecognized);
  EXPECT_EQ(r.line->Requests().size(), 1u);
  ParamAddress a = r.At("+SETO");
  EXPECT_EQ(r.editor->InputText(a.Page, a.Command, 0, 0), "w");  // no value reaches the editor
}

TEST_F(ProcessorTest, UnknownProcessorNameFallsBackToDefault) {
  PollWith("+ODDP", "\r\n+RESP:ODDP,v\r\n>");
  EXPECT_EQ(Text("+ODDP", 0, 0), "v");
}

TEST(ProcessorRegistry, FiveNamesAreRegistered) {
  TEngineRig rig{kRequestProfile};
  for (const char* name : {"", "default", "nonpoll", "exitcmd", "table", "TABLE"}) {
    SCOPED_TRACE(name);
    EXPECT_NE(rig.profile.FindPollProcessor(name), nullptr);
  }
  EXPECT_EQ(rig.profile.PollProcessorRegistry.size(), 5u);
}

TEST(ProcessorTablePattern, OnlyUpperCaseHexDigits) {
  TEngineRig rig{kRequestProfile};
  const TResponseProcessors& p = rig.engine->Processors();
  EXPECT_TRUE(p.IsTableRowItem("#01+RESP:X"));
  EXPECT_TRUE(p.IsTableRowItem("#AF+RESP:"));
  EXPECT_FALSE(p.IsTableRowItem("#0a+RESP:X"));
  EXPECT_FALSE(p.IsTableRowItem(" #01+RESP:X"));
  EXPECT_FALSE(p.IsTableRowItem("#1+RESP:X"));
  EXPECT_FALSE(p.IsTableRowItem("+RESP:X"));
}

}  // namespace
}  // namespace quillon::test
