// The command-mode session on the virtual clock: entry, reconnect, leaving, storing, idle watch.
#include <gtest/gtest.h>

#include "link_fixture.h"
#include "profile/command_profile.h"

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;

const std::string kEntry = "\r4817365\r";

// A terminal that answers the access code with a prompt once it has been tried `after` times.
void PromptAfter(TSimulatedLine& line, int after, const std::string& prompt = "\r\n>") {
  auto count = std::make_shared<int>(0);
  line.SetResponder([count, after, prompt](const std::string& request, TSimulatedLine& l) {
    if (request == "4817365" && ++*count >= after) l.After(20, prompt);
  });
}

int CountRequests(const TSimulatedLine& line, const std::string& request) {
  int n = 0;
  for (const auto& r : line.Requests()) n += r == request;
  return n;
}

class SessionTest : public ::testing::Test, public LinkFixture {
 protected:
  void SetUp() override { line->SetEcho(true); }
};

TEST_F(SessionTest, EntryWithPromptReachesCommandMode) {
  PromptAfter(*line, 1);
  EXPECT_TRUE(session.EnsureSession());
  EXPECT_TRUE(session.InCommandMode);
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(line->Written(), kEntry);
  EXPECT_EQ(ui.entryTriesRun, 1);
  EXPECT_EQ(progress.Position(), 0);
  ASSERT_FALSE(ui.linkStates.empty());
  const auto& state = ui.linkStates.back();
  EXPECT_EQ(state.port, "COM7");
  EXPECT_EQ(state.baud, "115200");
  EXPECT_TRUE(state.open);
  EXPECT_TRUE(state.command);
  // The leading CR of the entry request ends a line of its own in the log.
  EXPECT_EQ(LogLines(), (Lines{">", ">4817365", "<", "<4817365", "<", "<>"}));
}

TEST_F(SessionTest, PromptMustBeTheLastTwoCharacters) {
  struct Case {
    const char* answer;
    bool accepted;
  };
  for (const Case c : {Case{"\r\n>", true}, Case{"\r>", true}, Case{"\n>", true},
                       Case{"\r\n> ", false}, Case{"x>", false}, Case{"\r\n>\r\n", false}}) {
    LinkFixture f;
    f.line->SetEcho(true);
    f.ui.entryTries = 1;
    PromptAfter(*f.line, 1, c.answer);
    EXPECT_EQ(f.session.EnsureSession(), c.accepted) << c.answer;
  }
}

TEST_F(SessionTest, StandardEntryNeverAcceptsAnEchoAndEveryFifthTrySendsText) {
  ui.entryTries = 10;
  EXPECT_FALSE(session.EnsureSession());
  EXPECT_FALSE(session.InCommandMode);
  EXPECT_TRUE(port.Connected());  // the operator stopped: linked, not in command mode
  EXPECT_EQ(CountRequests(*line, "4817365"), 10);
  EXPECT_EQ(CountRequests(*line, "AT+TEXT=1234,"), 2);
  // The fifth access code is followed by the exit request before the sixth code.
  const auto requests = line->Requests();
  std::vector<std::string> codesAndText;
  for (const auto& r : requests)
    if (!r.empty()) codesAndText.push_back(r);
  EXPECT_EQ(codesAndText[5], "AT+TEXT=1234,");
  EXPECT_EQ(codesAndText[11], "AT+TEXT=1234,");
  int shownMasked = 0;
  for (const auto& l : LogLines()) {
    EXPECT_EQ(l.find("1234"), std::string::npos) << l;
    shownMasked += l == ">AT+TEXT=*,";
  }
  EXPECT_EQ(shownMasked, 2);
  EXPECT_EQ(progress.Position(), 0);
}

TEST_F(SessionTest, FastEntryAcceptsTheBareEcho) {
  settings.ConnectMethod = 1;
  EXPECT_TRUE(session.EnsureSession());
  EXPECT_TRUE(session.InCommandMode);
  EXPECT_EQ(ui.entryTriesRun, 1);
  EXPECT_EQ(LogLines().back(), "]Уже в командном режиме");
}

TEST_F(SessionTest, FastEntryOnTheFifthTryDoesNotSendTheExitRequest) {
  settings.ConnectMethod = 1;
  // Four tries see noise after the echo, the fifth only the echo.
  auto count = std::make_shared<int>(0);
  line->SetResponder([count](const std::string& request, TSimulatedLine& l) {
    if (request == "4817365" && ++*count < 5) l.After(5, "ERROR\r\n");
  });
  EXPECT_TRUE(session.EnsureSession());
  EXPECT_EQ(ui.entryTriesRun, 5);
  EXPECT_EQ(CountRequests(*line, "AT+TEXT=1234,"), 0);
}

TEST_F(SessionTest, FastEntryStillWantsTheWholeEcho) {
  settings.ConnectMethod = 1;
  ui.entryTries = 3;
  line->SetEcho(false);
  line->SetResponder([](const std::string& request, TSimulatedLine& l) {
    if (request == "4817365") l.After(0, "4817365\r");  // the leading CR is missing
  });
  EXPECT_FALSE(session.EnsureSession());
}

TEST_F(SessionTest, EntryTriesDriveTheProgressBar) {
  std::vector<std::pair<int, int>> seen;
  line->SetResponder([&, count = 0](const std::string& request, TSimulatedLine& l) mutable {
    if (request != "4817365") return;
    seen.emplace_back(progress.Max(), progress.Position());
    if (++count >= 3) l.After(1, "\r\n>");
  });
  EXPECT_TRUE(session.EnsureSession());
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{2, 1}, {3, 2}, {4, 3}}));
  EXPECT_EQ(progress.Position(), 0);
}

TEST_F(SessionTest, TransferFailureDuringEntryIsReportedAndTheLoopGoesOn) {
  ui.entryTries = 2;
  line->FailOn(TSimOp::Read, 1);
  EXPECT_FALSE(session.EnsureSession());
  const Lines lines = LogLines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[2], "E<Ошибка чтения, исключение=ReadFile function failed (Error: 5)");
  EXPECT_EQ(lines[3], "]Ошибка при связи с трекером");
  EXPECT_EQ(ui.retryQuestions, 0);
  EXPECT_EQ(line->OpenCount(), 2);  // the second try reopened the port
}

TEST_F(SessionTest, EnsureSessionTrustsTheFlagWithoutTouchingThePort) {
  session.InCommandMode = true;
  EXPECT_TRUE(session.EnsureSession());
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(line->OpenCount(), 0);
  EXPECT_EQ(ui.entryWindows, 0);
  // The next transaction opens the port itself, without the entry window.
  auto r = Execute("AT+A=?");
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(ui.entryWindows, 0);
  EXPECT_EQ(r.answer, "AT+A=?\r");
}

TEST_F(SessionTest, MissingDeviceShowsTheReconnectWindowAndFails) {
  line->Unplug();
  ui.reconnectAttempts = 3;
  EXPECT_FALSE(session.EnsureSession());
  EXPECT_EQ(ui.reconnectWindows, 1);
  EXPECT_EQ(ui.entryWindows, 0);
  EXPECT_EQ(LogLines().size(), 4u);  // the first attempt and the window's three
  for (const auto& l : LogLines())
    EXPECT_EQ(l, "]Не могу открыть порт, исключение=Unable to open com port (Error: 2)");
  // The window learns the port and the reason before it runs and after every failed attempt.
  ASSERT_EQ(ui.portStates.size(), 4u);
  for (const auto& [name, reason] : ui.portStates) {
    EXPECT_EQ(name, port.Port());
    EXPECT_EQ(reason, "Unable to open com port (Error: 2)");
  }
}

// Waiting cannot give the user a permission: the reconnect window is told to wait for the
// operator; a missing device is worth trying again.
TEST_F(SessionTest, ReconnectWindowLearnsWhetherTryingAgainCanHelp) {
  ui.reconnectAttempts = 0;  // the operator stops the window at once
  line->FailOn(TSimOp::Open, 1, EACCES);
  EXPECT_FALSE(session.EnsureSession());
  EXPECT_EQ(ui.retryHelps, (std::vector<bool>{false}));
  line->Unplug();
  ui.retryHelps.clear();
  EXPECT_FALSE(session.EnsureSession());
  EXPECT_EQ(ui.retryHelps, (std::vector<bool>{true}));
}

TEST_F(SessionTest, ReconnectWindowOpensThePortWhenTheDeviceReturns) {
  line->Unplug();
  ui.reconnectAttempts = 5;
  ui.onReconnectAttempt = [&](int attempt) {
    if (attempt == 3) line->Replug();
  };
  PromptAfter(*line, 1);
  EXPECT_TRUE(session.EnsureSession());
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(LogLines().size(), 3u + 6u);  // three failed opens, then the entry exchange
  // Once the port opens, the entry window no longer shows the stale open failure.
  ASSERT_FALSE(ui.portStates.empty());
  EXPECT_EQ(ui.portStates.back().second, "");
}

TEST_F(SessionTest, LeaveAndStoreNeedCommandMode) {
  // Port closed, not in command mode: only the port is opened.
  session.LeaveCommandMode();
  EXPECT_TRUE(port.Connected());
  session.StoreSettingsToFlash();
  EXPECT_TRUE(line->Written().empty());
  EXPECT_TRUE(LogLines().empty());
  EXPECT_EQ(ui.entryWindows, 0);
}

TEST_F(SessionTest, LeaveWithoutProfileCommandSendsTheBuiltInRequest) {
  session.InCommandMode = true;
  line->OnRequest("AT+TEXT=1234,", "\r\nOK\r\n", 5);
  session.LeaveCommandMode();
  EXPECT_FALSE(session.InCommandMode);
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(line->Written(), "AT+TEXT=1234,\r");
  EXPECT_TRUE(line->Reads().empty());  // no waiting for the answer
  EXPECT_EQ(LogLines(), (Lines{"]Команда +TEXT не описана!", ">AT+TEXT=*,"}));
  EXPECT_FALSE(ui.linkStates.back().command);
}

TEST_F(SessionTest, StoreWithoutProfileCommandSendsTheBuiltInRequestAndLogsTheAnswer) {
  session.InCommandMode = true;
  line->OnRequest("AT+SAVE=1234,", "\r\nOK\r\n>", 5);
  session.StoreSettingsToFlash();
  EXPECT_TRUE(session.InCommandMode);
  EXPECT_EQ(line->Written(), "AT+SAVE=1234,\r");
  EXPECT_EQ(LogLines(),
            (Lines{"]Команда +SAVE не описана!", ">AT+SAVE=*,", "<AT+SAVE=*,", "<", "<OK", "<>"}));
}

TEST_F(SessionTest, ProfileCommandsReplaceTheBuiltInRequests) {
  CommandProfile profile;
  profile.CommandIndex["+TEXT"] = {1, 4};
  profile.CommandIndex["+SAVE"] = {0, 2};
  std::vector<std::pair<int, int>> applied;
  session.SetProfileCommands(&profile, [&](int page, int command) {
    applied.emplace_back(page, command);
    return true;
  });
  session.InCommandMode = true;
  session.StoreSettingsToFlash();
  session.LeaveCommandMode();
  EXPECT_EQ(applied, (std::vector<std::pair<int, int>>{{0, 2}, {1, 4}}));
  EXPECT_TRUE(line->Written().empty());
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(SessionTest, IdleCheckWritesOneNulAndDropsAVanishedDevice) {
  session.IdlePortCheck();  // closed: nothing
  EXPECT_TRUE(line->Written().empty());

  port.Open();
  session.InCommandMode = true;
  session.IdlePortCheck();
  EXPECT_EQ(line->Written(), std::string(1, '\0'));
  EXPECT_TRUE(LogLines().empty());

  line->Unplug();
  session.IdlePortCheck();
  EXPECT_EQ(LogLines(), (Lines{"]Device disconnected"}));
  EXPECT_FALSE(session.InCommandMode);
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(ui.linkStates.back().open);
  EXPECT_FALSE(ui.linkStates.back().command);
}

TEST_F(SessionTest, EchoedNulDoesNotReachTheNextAnswer) {
  port.Open();
  session.IdlePortCheck();  // the terminal echoes the NUL
  line->Advance(10);
  auto r = Execute("AT+A=?");
  EXPECT_EQ(r.answer, "AT+A=?\r");
}

TEST_F(SessionTest, IdleCheckAndDispatchKeepOutOfATransaction) {
  port.Open();
  int idleWrites = -1;
  line->SetResponder([&](const std::string&, TSimulatedLine&) {
    // Whatever the front end does while the transaction runs must not touch the line.
    const size_t before = line->Written().size();
    session.IdlePortCheck();
    session.DispatchPortEvents();
    idleWrites = static_cast<int>(line->Written().size() - before);
  });
  Execute("AT+A=?");
  EXPECT_EQ(idleWrites, 0);
}

class CountingLink : public TComLink {
 public:
  std::string received;
  bool WantsRxData() const override { return true; }
  void RxData(const std::string& data) override { received += data; }
};

TEST_F(SessionTest, DispatchFeedsTheFramerOnlyBetweenTransactions) {
  port.Open();
  CountingLink framer;
  port.AttachLink(&framer);
  line->OnRequest("AT+SDAD=1234,,3,,,,,,,,,,,", "\r\n>", 5);
  Execute("AT+SDAD=1234,,3,,,,,,,,,,,");
  EXPECT_EQ(framer.received, "");  // the transaction read its own answer
  line->After(100, "+RESP:SNAV,1\r");
  line->Advance(150);
  session.DispatchPortEvents();
  EXPECT_EQ(framer.received, "+RESP:SNAV,1\r");

  line->Unplug();
  session.DispatchPortEvents();
  EXPECT_EQ(LogLines().back(), "]Device disconnected");
  EXPECT_FALSE(port.Connected());
  port.DetachLink(&framer);
}

}  // namespace
}  // namespace quillon::test
