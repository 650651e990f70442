// Batch runs: apply page, poll page and apply all instances, with their progress and their
// stops.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/engine_profiles.h"
#include "engine/engine_rig.h"

namespace quillon::test {
namespace {

const char kStopped[] = "Процесс прерван на команде";

class BatchTest : public ::testing::Test {
 protected:
  TEngineRig rig{kBatchProfile};

  // Every request is answered at once with its command's "+RESP:" line and the prompt.
  void AnswerEverything() {
    rig.line->SetResponder([](const std::string& request, TSimulatedLine& l) {
      if (request.compare(0, 3, "AT+") != 0) return;
      const std::string name = request.substr(3, 4);
      l.After(5, "\r\n+RESP:" + name + ",OK\r\n>");
    });
  }
  ParamAddress Page(int page) { return ParamAddress{page, 0, 0, 0}; }
};

TEST_F(BatchTest, ApplyPageWritesEveryInstanceAndFillsTheBar) {
  AnswerEverything();
  EXPECT_TRUE(rig.batch->CmdApplyAll(Page(0)));
  EXPECT_EQ(rig.progress.Max(), 6);  // 1 + 4 + 1
  EXPECT_EQ(rig.progress.Position(), 6);
  EXPECT_EQ(rig.Sent(),
            (std::vector<std::string>{"AT+AAAA=*,x,", "AT+BBBB=*,1,y,", "AT+BBBB=*,2,y,",
                                      "AT+BBBB=*,3,y,", "AT+BBBB=*,4,y,", "AT+CCCC=*,z,"}));
}

TEST_F(BatchTest, ApplyPageSkipsUnsetAutoInstancesAndNeverWritesGsNo) {
  AnswerEverything();
  ParamAddress a = rig.At("+GAUT");
  rig.editor->SetChecked(a.Page, a.Command, 0, 0, false);
  rig.editor->SetChecked(a.Page, a.Command, 0, 1, true);
  rig.editor->SetChecked(a.Page, a.Command, 1, 0, false);
  rig.editor->SetChecked(a.Page, a.Command, 1, 1, false);
  EXPECT_TRUE(rig.batch->CmdApplyAll(Page(1)));
  EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"AT+GYES=*,q,", "AT+GAUT=*,1,,1,"}));
  EXPECT_EQ(rig.progress.Max(), 5);  // 1 + 2 + 1 + 1
  EXPECT_EQ(rig.progress.Position(), 5);
}

// "groupsetdata" true is always written in a page run, even when every optional value is
// unticked and when the command has no parameters at all (unlike gsAuto, which would skip both).
TEST(BatchGsYesTest, AlwaysWrittenWithNothingTickedOrNoParameters) {
  TEngineRig rig(R"(<?xml version="1.0" encoding="UTF-8"?>
<application><page id="1" name="Yes">
  <command command="+YOPT" description="Optional only" groupsetdata="true">
    <parameter type="string" description="a" defaultvalue="1"/>
    <parameter type="integer" description="b" defaultvalue="2"/>
  </command>
  <command command="+YNON" description="No parameters" groupsetdata="true"/>
</page></application>)");
  rig.line->SetResponder([](const std::string& request, TSimulatedLine& l) {
    if (request.compare(0, 3, "AT+") == 0)
      l.After(5, "\r\n+RESP:" + request.substr(3, 4) + "\r\n>");
  });
  rig.editor->SetChecked(0, 0, 0, 0, false);
  rig.editor->SetChecked(0, 0, 0, 1, false);
  EXPECT_TRUE(rig.batch->CmdApplyAll({0, 0, 0, 0}));
  EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"AT+YOPT=*,,,", "AT+YNON=*,"}));
  EXPECT_EQ(rig.progress.Position(), 2);
}

TEST_F(BatchTest, DisabledGroupIsLeftOutOfBothPageRuns) {
  AnswerEverything();
  ParamAddress b = rig.At("+BBBB");
  rig.editor->MarkCommandUnsupported(b.Page, b.Command);
  EXPECT_TRUE(rig.batch->CmdApplyAll(Page(0)));
  EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"AT+AAAA=*,x,", "AT+CCCC=*,z,"}));
  EXPECT_EQ(rig.progress.Position(), 6);
  rig.line->ClearRecords();
  EXPECT_TRUE(rig.batch->CmdPollAll(Page(0)));
  EXPECT_EQ(rig.line->Requests(), (std::vector<std::string>{"AT+AAAA=?", "AT+CCCC=?"}));
  EXPECT_EQ(rig.progress.Max(), 3);
  EXPECT_EQ(rig.progress.Position(), 3);
}

TEST_F(BatchTest, NotSupportedDuringAPollRunDisablesForTheNextRun) {
  rig.line->OnRequest("AT+AAAA=?", "\r\n+RESP:AAAA,r\r\n>", 5);
  rig.line->OnRequest("AT+BBBB=?", "\r\nNOT SUPPORTED\r\n>", 5);
  rig.line->OnRequest("AT+CCCC=?", "\r\n+RESP:CCCC,s\r\n>", 5);
  EXPECT_TRUE(rig.batch->CmdPollAll(Page(0)));
  ParamAddress b = rig.At("+BBBB");
  EXPECT_FALSE(rig.editor->GroupEnabled(b.Page, b.Command));
  rig.line->ClearRecords();
  AnswerEverything();
  rig.batch->CmdApplyAll(Page(0));
  EXPECT_EQ(rig.line->Requests().size(), 2u);
}

TEST_F(BatchTest, PollPageSkipsCommandsThatCannotBeRead) {
  AnswerEverything();
  EXPECT_TRUE(rig.batch->CmdPollAll(Page(1)));
  EXPECT_EQ(rig.line->Requests(), std::vector<std::string>{"AT+GPOL=?"});
  EXPECT_EQ(rig.progress.Max(), 4);
  EXPECT_EQ(rig.progress.Position(), 4);
}

TEST_F(BatchTest, EmptyPageEndsAtOnce) {
  rig.progress.SetMax(50);
  rig.progress.SetPosition(20);
  EXPECT_TRUE(rig.batch->CmdApplyAll(Page(2)));
  EXPECT_EQ(rig.progress.Max(), 0);
  EXPECT_EQ(rig.progress.Position(), 0);
  EXPECT_TRUE(rig.batch->CmdPollAll(Page(2)));
  EXPECT_TRUE(rig.line->Requests().empty());
}

TEST_F(BatchTest, ApplyPageStopsAtAMissingPassword) {
  AnswerEverything();
  rig.settings.Password = "";
  EXPECT_FALSE(rig.batch->CmdApplyAll(Page(3)));
  EXPECT_EQ(rig.Notices(),
            (std::vector<std::string>{"Неверно задан пароль", std::string(kStopped) + " +UONE/0"}));
  EXPECT_TRUE(rig.line->Requests().empty());
  EXPECT_EQ(rig.progress.Position(), 0);
}

TEST_F(BatchTest, ApplyPageNamesTheInstanceItStoppedAt) {
  AnswerEverything();
  rig.line->SetResponder([](const std::string& request, TSimulatedLine& l) {
    if (request.compare(0, 3, "AT+") != 0) return;
    l.After(5, "\r\n+RESP:" + request.substr(3, 4) + ",OK\r\n>");
    if (request == "AT+IDX3=222222,1,i,") l.ShortWriteAfter(3);
  });
  EXPECT_FALSE(rig.batch->CmdApplyAll(Page(3)));
  EXPECT_EQ(rig.Notices().back(), std::string(kStopped) + " +IDX3/1");
  EXPECT_EQ(rig.progress.Position(), 3);  // +UONE, +UTWO and instance 0
}

TEST_F(BatchTest, ApplyAllInstancesStopsAtTheFailingIndex) {
  rig.line->SetResponder([](const std::string& request, TSimulatedLine& l) {
    if (request.compare(0, 3, "AT+") != 0) return;
    l.After(5, "\r\n+RESP:IDX3,OK\r\n>");
    if (request == "AT+IDX3=222222,1,i,") l.ShortWriteAfter(3);
  });
  EXPECT_FALSE(rig.batch->CmdApplyAllIndexed(rig.At("+IDX3")));
  EXPECT_EQ(rig.Notices().back(), "Процесс прерван на индексе 1");
  EXPECT_EQ(rig.progress.Max(), 3);
  EXPECT_EQ(rig.progress.Position(), 1);
}

TEST_F(BatchTest, ApplyAllInstancesIgnoresGroupStateAndBoxes) {
  AnswerEverything();
  ParamAddress a = rig.At("+GAUT");
  rig.editor->MarkCommandUnsupported(a.Page, a.Command);
  rig.editor->SetChecked(a.Page, a.Command, 1, 0, false);
  rig.editor->SetChecked(a.Page, a.Command, 1, 1, false);
  EXPECT_TRUE(rig.batch->CmdApplyAllIndexed(a));
  EXPECT_EQ(rig.line->Requests().size(), 2u);
  EXPECT_EQ(rig.Sent().back(), "AT+GAUT=*,2,,,");
  EXPECT_EQ(rig.progress.Position(), 2);
  // Not indexed: nothing to do.
  EXPECT_FALSE(rig.batch->CmdApplyAllIndexed(rig.At("+GYES")));
  EXPECT_EQ(rig.line->Requests().size(), 2u);
}

// The terminal answers an apply of one instance with the values of all of them, which refill
// the editor: what was typed into the instances not yet sent must still be what they send.
TEST_F(BatchTest, RunsSendWhatWasTypedIntoEveryInstance) {
  rig.line->SetResponder([](const std::string& request, TSimulatedLine& l) {
    if (request.compare(0, 3, "AT+") != 0) return;
    const std::string name = request.substr(3, 4);
    l.After(5, "\r\n+RESP:" + name + ",old,old,old,old\r\n>");
  });
  const ParamAddress a = rig.At("+BBBB");
  auto typeInto = [&](const std::string& text) {
    for (int k = 0; k < 3; ++k)
      rig.editor->SetInputText(a.Page, a.Command, k, 0, text + std::to_string(k + 1));
  };
  auto sent = [&](const std::string& request) {
    const std::vector<std::string> all = rig.Sent();
    return std::find(all.begin(), all.end(), request) != all.end();
  };
  typeInto("new");
  EXPECT_TRUE(rig.batch->CmdApplyAllIndexed(a));
  for (const char* request : {"AT+BBBB=*,2,new2,", "AT+BBBB=*,3,new3,", "AT+BBBB=*,4,y,"})
    EXPECT_TRUE(sent(request)) << request;
  typeInto("again");
  EXPECT_TRUE(rig.batch->CmdApplyAll(Page(a.Page)));
  for (const char* request : {"AT+BBBB=*,2,again2,", "AT+BBBB=*,3,again3,", "AT+BBBB=*,4,old,"})
    EXPECT_TRUE(sent(request)) << request;
}

// The runs over a chosen list: only instances whose values differ from the terminal's are
// written, in profile order; commands no group run writes are named, not sent.
TEST_F(BatchTest, ApplyChangedWritesOnlyChangedInstances) {
  AnswerEverything();
  const ParamAddress b = rig.At("+BBBB"), a = rig.At("+AAAA"), gnot = rig.At("+GNOT");
  rig.editor->SetLastReadValue(a.Page, a.Command, 0, 0, "x");  // read, unchanged
  for (int k = 0; k < 4; ++k) rig.editor->SetLastReadValue(b.Page, b.Command, k, 0, "y");
  rig.editor->SetInputText(b.Page, b.Command, 1, 0, "new2");
  rig.editor->SetInputText(b.Page, b.Command, 3, 0, "new4");
  rig.editor->SetLastReadValue(gnot.Page, gnot.Command, 0, 0, "old");
  const TBatchOperations::TChangedTargets changed = rig.batch->ChangedApplyTargets();
  ASSERT_EQ(changed.Targets.size(), 2u);
  EXPECT_EQ(changed.Targets[1].Instance, 3);
  ASSERT_EQ(changed.Skipped.size(), 1u);
  EXPECT_EQ(changed.Skipped[0].Command, gnot.Command);

  EXPECT_TRUE(rig.batch->ApplyInstances(changed.Targets));
  EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"AT+BBBB=*,2,new2,", "AT+BBBB=*,4,new4,"}));
  EXPECT_EQ(rig.progress.Max(), 2);
  EXPECT_EQ(rig.progress.Position(), 2);
}

TEST_F(BatchTest, ListRunsStopAtTheFailingRequest) {
  rig.line->SetResponder([](const std::string& request, TSimulatedLine& l) {
    if (request.compare(0, 3, "AT+") != 0) return;
    l.After(5, "\r\n+RESP:" + request.substr(3, 4) + ",OK\r\n>");
    if (request == "AT+AAAA=222222,x,") l.ShortWriteAfter(3);  // the next write breaks
  });
  const ParamAddress b = rig.At("+BBBB");
  EXPECT_FALSE(rig.batch->ApplyInstances(
      {rig.At("+AAAA"), {b.Page, b.Command, 2, 0}, {b.Page, b.Command, 3, 0}}));
  EXPECT_EQ(rig.Notices().back(), std::string(kStopped) + " +BBBB/2");
  EXPECT_EQ(rig.progress.Position(), 1);
}

// A poll list skips what cannot be read and stops where a poll fails.
TEST_F(BatchTest, PollListSkipsWhatCannotBeReadAndStopsAtAFailure) {
  rig.line->SetResponder([](const std::string& request, TSimulatedLine& l) {
    if (request.compare(0, 3, "AT+") != 0) return;
    l.After(5, "\r\n+RESP:" + request.substr(3, 4) + ",OK\r\n>");
    if (request == "AT+GPOL=?") l.ShortWriteAfter(3);  // the next write breaks
  });
  EXPECT_FALSE(rig.batch->PollCommands(
      {rig.At("+GPOL"), rig.At("+GYES"), rig.At("+CCCC"), rig.At("+AAAA")}));
  EXPECT_EQ(rig.Notices().back(), std::string(kStopped) + " +CCCC");
  EXPECT_EQ(rig.progress.Max(), 4);
  EXPECT_EQ(rig.progress.Position(), 2);
}

// What the confirmation before a page run counts: the instances the run writes that carry a
// value still shown from the profile's default.
TEST_F(BatchTest, TargetsAndDefaultValues) {
  const ParamAddress gaut = rig.At("+GAUT");
  rig.editor->SetChecked(gaut.Page, gaut.Command, 1, 0, false);
  rig.editor->SetChecked(gaut.Page, gaut.Command, 1, 1, false);
  const std::vector<ParamAddress> page = rig.batch->PageApplyTargets(gaut.Page);
  ASSERT_EQ(page.size(), 2u);  // +GYES and +GAUT#1; not the unticked #2, not gsNo, not read-only
  EXPECT_EQ(page[1].Command, gaut.Command);
  EXPECT_EQ(page[1].Instance, 0);
  EXPECT_EQ(rig.batch->IndexedApplyTargets(gaut.Page, gaut.Command).size(), 2u);
  EXPECT_TRUE(rig.batch->IndexedApplyTargets(gaut.Page, 0).empty());

  EXPECT_TRUE(rig.batch->SendsDefaultValue({gaut.Page, gaut.Command, 0, 0}));
  // Nothing ticked: nothing of the default is sent.
  EXPECT_FALSE(rig.batch->SendsDefaultValue({gaut.Page, gaut.Command, 1, 0}));
  rig.editor->SetValueOrigin(gaut.Page, gaut.Command, 0, 0, voRead);
  EXPECT_TRUE(rig.batch->SendsDefaultValue({gaut.Page, gaut.Command, 0, 0}));
  rig.editor->SetValueOrigin(gaut.Page, gaut.Command, 0, 1, voFile);
  EXPECT_FALSE(rig.batch->SendsDefaultValue({gaut.Page, gaut.Command, 0, 0}));
}

// A port that cannot be opened ends a page run at its first command, with one reconnect window.
TEST_F(BatchTest, PortThatCannotBeOpenedStopsTheRun) {
  rig.settings.RetryCount = 3;
  rig.port.Close();
  rig.line->SetBusy(true);
  EXPECT_FALSE(rig.batch->CmdApplyAll(Page(0)));
  EXPECT_EQ(rig.ui.ReconnectWindows, 1);
  EXPECT_EQ(rig.Notices().back(), std::string(kStopped) + " +AAAA/0");
  EXPECT_FALSE(rig.batch->CmdPollAll(Page(0)));
  EXPECT_EQ(rig.ui.ReconnectWindows, 2);
  EXPECT_EQ(rig.Notices().back(), std::string(kStopped) + " +AAAA");
  EXPECT_TRUE(rig.line->Requests().empty());
}

TEST_F(BatchTest, NoSessionNoRun) {
  rig.session.InCommandMode = false;
  rig.ui.EntryTriesAllowed = 1;
  rig.progress.SetMax(10);
  rig.progress.SetPosition(7);
  EXPECT_FALSE(rig.batch->CmdApplyAll(Page(0)));
  EXPECT_FALSE(rig.batch->CmdPollAll(Page(0)));
  EXPECT_FALSE(rig.batch->CmdApplyAllIndexed(rig.At("+BBBB")));
  for (const std::string& r : rig.line->Requests()) EXPECT_NE(r.compare(0, 3, "AT+"), 0) << r;
  EXPECT_FALSE(rig.LogContains("Процесс прерван"));
}

}  // namespace
}  // namespace quillon::test
