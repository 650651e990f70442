// Poll and apply requests: what goes on the wire and into the log, passwords, retries,
// time-outs, and a request that never went out.
#include <gtest/gtest.h>

#include "engine/engine_profiles.h"
#include "engine/engine_rig.h"

namespace quillon::test {
namespace {

const std::string kMissing = "Не получен ожидаемый ответ на команду.";
const char kNoPrompt[] = "Терминал не в командном режиме";

class EngineTest : public ::testing::Test {
 protected:
  TEngineRig rig{kRequestProfile};

  std::vector<std::string> RetryNotices() const {
    std::vector<std::string> out;
    for (const std::string& n : rig.Notices())
      if (n.compare(0, kMissing.size(), kMissing) == 0) out.push_back(n.substr(kMissing.size()));
    return out;
  }
  void EditText(const std::string& name, int instance, int param, const std::string& text) {
    ParamAddress a = rig.At(name);
    rig.editor->SetInputText(a.Page, a.Command, instance, param, text);
  }
};

TEST_F(EngineTest, ApplyRequestsAsLoggedAndSent) {
  const struct {
    const char* name;
    int instance;
    const char* logText;
  } cases[] = {
      {"+ABCD", 0, "AT+ABCD=*,a,5,"},
      {"+IDXC", 1, "AT+IDXC=*,2,a,5,"},
      {"+OPTL", 0, "AT+OPTL=*,,5,"},  // optional first parameter, box not ticked
      {"+NOPA", 0, "AT+NOPA=*,"},
      {"+OPTC", 0, "AT+OPTC=*,1,"},  // the option's Value, not its Text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TEngineRig r{kRequestProfile};
    ParamAddress a = r.At(c.name, c.instance);
    r.editor->SetChecked(a.Page, a.Command, c.instance, 0, false);
    EXPECT_TRUE(r.engine->ApplyCommand(a));
    ASSERT_FALSE(r.Sent().empty());
    EXPECT_EQ(r.Sent().front(), c.logText);
    std::string wire = c.logText;
    wire.replace(wire.find('*'), 1, "222222");
    EXPECT_EQ(r.line->Requests().front(), wire);
    for (const std::string& sent : r.Sent()) EXPECT_EQ(sent.find("222222"), std::string::npos);
  }
}

TEST_F(EngineTest, PollRequestIgnoresTheInstance) {
  rig.line->OnRequest("AT+IDXC=?", "\r\n+RESP:IDXC,a,1,b,2\r\n>", 5);
  EXPECT_TRUE(rig.engine->PollCommand(rig.At("+IDXC", 1)));
  EXPECT_EQ(rig.line->Requests(), std::vector<std::string>{"AT+IDXC=?"});
}

TEST_F(EngineTest, ValuesAreSentExactlyAsShown) {
  EditText("+ABCD", 0, 0, " a b ");
  ParamAddress o = rig.At("+OPTC");
  rig.editor->SetOptionIndex(o.Page, o.Command, 0, 0, -1);
  rig.engine->ApplyCommand(rig.At("+ABCD"));
  rig.engine->ApplyCommand(o);
  // Blanks stay; no selection sends nothing.
  EXPECT_EQ(rig.line->Requests(),
            (std::vector<std::string>{"AT+ABCD=222222, a b ,5,", "AT+OPTC=222222,,"}));

  // A comma would split the string into two values on the wire: refused, nothing sent.
  EditText("+ABCD", 0, 0, " a,b ");
  EXPECT_FALSE(rig.engine->ApplyCommand(rig.At("+ABCD")));
  EXPECT_EQ(rig.line->Requests().size(), 2u);
  EXPECT_EQ(rig.Notices().back().rfind("Запятая или перевод строки в значении", 0), 0u);
}

TEST_F(EngineTest, PasswordByMode) {
  rig.settings.Password = "";
  rig.engine->ApplyCommand(rig.At("+USRA"));  // user first, falls back to the master password
  EXPECT_EQ(rig.line->Requests(), std::vector<std::string>{"AT+USRA=222222,"});
  EXPECT_FALSE(rig.engine->ApplyCommand(rig.At("+USER")));  // user only: refused
  EXPECT_EQ(rig.line->Requests().size(), 1u);
  EXPECT_EQ(rig.Notices().back(), "Неверно задан пароль");

  TEngineRig r{kRequestProfile};
  TDevCommand cmd;
  const struct {
    TPasswordMode mode;
    const char* user;
    const char* master;
    const char* expected;
  } cases[] = {
      {pmAdmin, "u", "m", "m"},    {pmAdmin, "u", "", ""},       {pmAdminUser, "u", "m", "m"},
      {pmAdminUser, "u", "", "u"}, {pmUserAdmin, "u", "m", "u"}, {pmUserAdmin, "", "m", "m"},
      {pmUser, "u", "m", "u"},     {pmUser, "", "m", ""},
  };
  for (const auto& c : cases) {
    r.settings.Password = c.user;
    r.settings.MasterPassword = c.master;
    cmd.PasswordMode = c.mode;
    EXPECT_EQ(r.engine->CommandPassword(cmd), c.expected) << int(c.mode) << c.user << c.master;
  }
}

TEST_F(EngineTest, ApplyWithoutSetDataDoesNothing) {
  EXPECT_FALSE(rig.engine->ApplyCommand(rig.At("+RDON")));
  EXPECT_TRUE(rig.line->Requests().empty());
  EXPECT_TRUE(rig.log.Lines().empty());
}

TEST_F(EngineTest, RetriesWhenTheAnswerDoesNotCome) {
  const struct {
    int retryCount;
    std::vector<std::string> tails;
  } cases[] = {
      {1, {" Прекращаю попытку"}},
      {3, {" Повтор", " Повтор", " Прекращаю попытку"}},
      {0, {" Прекращаю попытку"}},  // at least one attempt
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.retryCount);
    TEngineRig r{kRequestProfile};
    r.settings.RetryCount = c.retryCount;
    // A silent terminal is no transfer error: the call still reports success.
    EXPECT_TRUE(r.engine->PollCommand(r.At("+ABCD")));
    EXPECT_EQ(r.line->Requests().size(), c.tails.size());
    std::vector<std::string> expected;
    for (const std::string& tail : c.tails) {
      expected.push_back(kNoPrompt);
      expected.push_back(kMissing + tail);
    }
    EXPECT_EQ(r.Notices(), expected);
  }
}

TEST_F(EngineTest, AnswerOnTheSecondTryEndsTheRetries) {
  rig.settings.RetryCount = 3;
  rig.line->OnRequest("AT+ABCD=222222,a,5,", "\r\nnoise\r\n>", 5);
  rig.line->OnRequest("AT+ABCD=222222,a,5,", "\r\n+RESP:ABCD,OK\r\n>", 5);
  EXPECT_TRUE(rig.engine->ApplyCommand(rig.At("+ABCD")));
  EXPECT_EQ(rig.line->Requests().size(), 2u);
  EXPECT_EQ(RetryNotices(), std::vector<std::string>{" Повтор"});
  // Each retry sends the values built for the first attempt.
  EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"AT+ABCD=*,a,5,", "AT+ABCD=*,a,5,"}));
}

TEST_F(EngineTest, TimeoutAttributeSetsTheAnswerWait) {
  const struct {
    const char* name;
    int64_t minWait;
    int64_t maxWait;
  } cases[] = {
      {"+TMOC", 5000, 5300},  // timeout="5000"
      {"+TMOX", 250, 600},    // not a number: the Timeout setting (250)
      {"+ABCD", 250, 600},    // no attribute
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TEngineRig r{kRequestProfile};
    const int64_t start = r.line->Now();
    r.engine->PollCommand(r.At(c.name));
    const int64_t waited = r.line->Now() - start;
    EXPECT_GE(waited, c.minWait);
    EXPECT_LT(waited, c.maxWait);
  }
  EXPECT_EQ(TCommandEngine::CommandTimeout(rig.profile.Pages[0].Commands[6]), 5000);
  EXPECT_EQ(TCommandEngine::CommandTimeout(rig.profile.Pages[0].Commands[7]), -1);
}

TEST_F(EngineTest, NoSessionNothingSent) {
  rig.session.InCommandMode = false;
  rig.ui.EntryTriesAllowed = 2;  // the terminal never prompts; the operator stops the window
  EXPECT_FALSE(rig.engine->PollCommand(rig.At("+ABCD")));
  EXPECT_FALSE(rig.engine->ApplyCommand(rig.At("+ABCD")));
  for (const std::string& r : rig.line->Requests()) EXPECT_EQ(r.find("AT+ABCD"), std::string::npos);
}

TEST_F(EngineTest, EntersCommandModeFirstWhenNeeded) {
  rig.session.InCommandMode = false;
  rig.line->SetResponder([](const std::string& request, TSimulatedLine& l) {
    if (request == "4817365") l.After(5, "\r\n>");
  });
  rig.line->OnRequest("AT+ABCD=?", "\r\n+RESP:ABCD,x,7\r\n>", 5);
  EXPECT_TRUE(rig.engine->PollCommand(rig.At("+ABCD")));
  EXPECT_TRUE(rig.session.InCommandMode);
  EXPECT_EQ(rig.line->Requests().back(), "AT+ABCD=?");
}

// The port is closed and cannot be opened: the request never went out, so it is no success,
// and it is not repeated (which would bring the reconnect window up once per attempt).
TEST_F(EngineTest, RequestThatNeverWentOutFailsAtOnce) {
  rig.settings.RetryCount = 3;
  rig.port.Close();
  rig.line->SetBusy(true);
  EXPECT_FALSE(rig.engine->PollCommand(rig.At("+ABCD")));
  EXPECT_FALSE(rig.engine->ApplyCommand(rig.At("+ABCD")));
  EXPECT_EQ(rig.ui.ReconnectWindows, 2);  // one per call
  EXPECT_TRUE(rig.line->Requests().empty());
  EXPECT_TRUE(RetryNotices().empty());
}

TEST_F(EngineTest, TransferFailureEndsTheRequestUnlessTheOperatorRetries) {
  rig.settings.RetryCount = 3;
  rig.line->FailOn(TSimOp::Read, 2);  // the answer read after the echo
  rig.ui.RetryAnswer = false;
  EXPECT_FALSE(rig.engine->PollCommand(rig.At("+ABCD")));
  EXPECT_EQ(rig.ui.RetryQuestions, 1);
  EXPECT_EQ(rig.line->Requests().size(), 1u);
  EXPECT_FALSE(rig.session.InCommandMode);

  TEngineRig r{kRequestProfile};
  r.settings.RetryCount = 3;
  r.line->OnRequest("AT+ABCD=?", "\r\n+RESP:ABCD,x,7\r\n>", 5);
  r.line->FailOn(TSimOp::Read, 2);
  r.ui.RetryAnswer = true;  // the repeat reopens the port and succeeds
  EXPECT_TRUE(r.engine->PollCommand(r.At("+ABCD")));
  EXPECT_EQ(r.ui.RetryQuestions, 1);
  ParamAddress a = r.At("+ABCD");
  EXPECT_EQ(r.editor->InputText(a.Page, a.Command, 0, 0), "x");
}

TEST_F(EngineTest, ShortWriteIsAFailedAttempt) {
  rig.line->ShortWriteAfter(3);
  EXPECT_FALSE(rig.engine->PollCommand(rig.At("+ABCD")));
  EXPECT_TRUE(rig.session.IsPortOpen());
}

class SessionCommandsTest : public ::testing::Test {};

TEST_F(SessionCommandsTest, LeaveAndStoreUseTheProfileCommands) {
  TEngineRig rig{kSessionProfile};
  rig.line->OnRequest("AT+SAVE=222222,1,", "\r\n+RESP:SAVE,OK\r\n>", 5);
  rig.session.StoreSettingsToFlash();
  EXPECT_TRUE(rig.session.InCommandMode);
  rig.session.LeaveCommandMode();
  EXPECT_FALSE(rig.session.InCommandMode);  // "+TEXT" answers through exitcmd
  EXPECT_EQ(rig.line->Requests(),
            (std::vector<std::string>{"AT+SAVE=222222,1,", "AT+TEXT=222222,"}));
  EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"AT+SAVE=*,1,", "AT+TEXT=*,"}));
  EXPECT_FALSE(rig.LogContains("не описана"));
}

TEST_F(SessionCommandsTest, LeaveAndStoreFallBackWithoutProfileCommands) {
  TEngineRig rig{kBareProfile};
  rig.session.StoreSettingsToFlash();
  rig.session.LeaveCommandMode();
  EXPECT_FALSE(rig.session.InCommandMode);
  EXPECT_EQ(rig.line->Requests(), (std::vector<std::string>{"AT+SAVE=222222,", "AT+TEXT=222222,"}));
  EXPECT_EQ(rig.Notices(),
            (std::vector<std::string>{"Команда +SAVE не описана!", "Команда +TEXT не описана!"}));
  for (const std::string& sent : rig.Sent()) EXPECT_EQ(sent.find("222222"), std::string::npos);
}

TEST_F(SessionCommandsTest, EngineGoneLeavesTheFallback) {
  TEngineRig rig{kSessionProfile};
  rig.batch.reset();
  rig.engine.reset();
  rig.session.LeaveCommandMode();
  EXPECT_EQ(rig.Notices(), std::vector<std::string>{"Команда +TEXT не описана!"});
}

}  // namespace
}  // namespace quillon::test
