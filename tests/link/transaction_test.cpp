// One transaction on the virtual clock: echo, answer chunks, time-outs, progress, failures.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/command_transaction.h"
#include "link/progress_marker.h"
#include "link_fixture.h"

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;

class TransactionTest : public ::testing::Test, public LinkFixture {
 protected:
  void SetUp() override { port.Open(); }
};

TEST_F(TransactionTest, EchoAndAnswerAreReturnedRawAndLogged) {
  line->SetEcho(true);
  line->OnRequest("AT+ABCD=?", "\r\n+RESP:ABCD,1,2\r\n>", 30);
  auto r = Execute("AT+ABCD=?");
  EXPECT_FALSE(r.error);
  EXPECT_EQ(r.answer, "AT+ABCD=?\r\r\n+RESP:ABCD,1,2\r\n>");
  EXPECT_EQ(line->Written(), "AT+ABCD=?\r");
  EXPECT_EQ(line->PurgeCount(), 1);
  EXPECT_EQ(LogLines(), (Lines{">AT+ABCD=?", "<AT+ABCD=?", "<", "<+RESP:ABCD,1,2", "<>"}));
  // The answer read ends on its total time-out; the time-out is back at the setting afterwards.
  EXPECT_EQ(r.elapsed, 250);
  EXPECT_EQ(port.Timeouts().ReadTotalConstant, 250);
}

TEST_F(TransactionTest, SilentTerminalCostsEchoPlusIntervalAndLogsNoAnswer) {
  settings.TimeoutEcho = 300;
  settings.TimeoutInterval = 120;
  port.ApplyPortSettings(settings);
  auto r = Execute("AT+ABCD=?", 5000);
  EXPECT_FALSE(r.error);
  EXPECT_EQ(r.answer, "");
  // Without an echo the caller's 5000 ms do not apply: only the pause time-out.
  EXPECT_EQ(r.elapsed, 300 + 120);
  ASSERT_EQ(line->Reads().size(), 2u);
  EXPECT_EQ(line->Reads()[0].Timeouts.ReadTotalConstant, 300);
  EXPECT_EQ(line->Reads()[0].Requested, 10);
  EXPECT_EQ(line->Reads()[1].Timeouts.ReadTotalConstant, 120);
  EXPECT_EQ(LogLines(), (Lines{">AT+ABCD=?"}));
}

TEST_F(TransactionTest, WrongEchoSwitchesToTheIntervalTimeout) {
  line->OnRequest("AT+ABCD=?", "AT+ABCX=?\r", 0);
  auto r = Execute("AT+ABCD=?", 5000);
  EXPECT_EQ(r.answer, "AT+ABCX=?\r");
  EXPECT_EQ(line->Reads()[1].Timeouts.ReadTotalConstant, 250);
  EXPECT_EQ(r.elapsed, 250);
}

TEST_F(TransactionTest, TimeoutArgumentGovernsTheFirstAnswerReadAfterAGoodEcho) {
  struct Case {
    int argument;
    int wantTotal;
  };
  for (const Case c : {Case{0, 250}, Case{-1, 250}, Case{5000, 5000}}) {
    LinkFixture f;
    f.port.Open();
    f.line->SetEcho(true);
    auto r = f.Execute("AT+ABCD=?", c.argument);
    ASSERT_EQ(f.line->Reads().size(), 2u);
    EXPECT_EQ(f.line->Reads()[0].Timeouts.ReadTotalConstant, 250) << c.argument;
    EXPECT_EQ(f.line->Reads()[1].Timeouts.ReadTotalConstant, c.wantTotal) << c.argument;
    EXPECT_EQ(r.elapsed, c.wantTotal) << c.argument;
    EXPECT_EQ(f.port.Timeouts().ReadTotalConstant, 250);
  }
}

TEST_F(TransactionTest, FullChunkSwitchesToPauseTimeoutAndNextEmptyReadEndsTheLoop) {
  line->SetEcho(true);
  line->OnRequest("AT+LONG=?", std::string(100, 'x'), 10);
  auto r = Execute("AT+LONG=?", 5000);
  EXPECT_EQ(r.answer, "AT+LONG=?\r" + std::string(100, 'x'));
  ASSERT_EQ(line->Reads().size(), 3u);
  EXPECT_EQ(line->Reads()[1].Data.size(), 100u);
  EXPECT_EQ(line->Reads()[1].Timeouts.ReadTotalConstant, 5000);
  EXPECT_EQ(line->Reads()[2].Timeouts.ReadTotalConstant, 250);
  EXPECT_EQ(line->Reads()[2].Data, "");
  EXPECT_EQ(r.elapsed, 10 + 250);
}

// The three time-outs differ here, so that one used in place of another shows: the echo waits
// TimeoutEcho, the first answer read the answer time-out, the read after a full chunk
// TimeoutInterval, and the port is left at Timeout.
TEST_F(TransactionTest, EachReadWaitsItsOwnTimeout) {
  settings.Timeout = 400;
  settings.TimeoutInterval = 130;
  settings.TimeoutEcho = 270;
  port.ApplyPortSettings(settings);
  line->SetEcho(true);
  line->OnRequest("AT+LONG=?", std::string(100, 'x'), 10);
  auto r = Execute("AT+LONG=?");
  ASSERT_EQ(line->Reads().size(), 3u);
  EXPECT_EQ(line->Reads()[0].Timeouts.ReadTotalConstant, 270);  // the echo
  EXPECT_EQ(line->Reads()[1].Timeouts.ReadTotalConstant, 400);  // the answer after a good echo
  EXPECT_EQ(line->Reads()[1].Data.size(), 100u);
  EXPECT_EQ(line->Reads()[2].Timeouts.ReadTotalConstant, 130);  // after a full chunk
  EXPECT_EQ(line->Reads()[2].Timeouts.ReadInterval, 130);
  EXPECT_EQ(port.Timeouts().ReadTotalConstant, 400);
  EXPECT_EQ(r.elapsed, 10 + 130);
}

// A full chunk holding a progress marker gives the next read the answer time-out (the next part
// may take as long as a fresh answer); a plain full chunk after it only TimeoutInterval.
TEST_F(TransactionTest, MarkerChunkThenPlainFullChunk) {
  settings.Timeout = 400;
  settings.TimeoutInterval = 130;
  settings.TimeoutEcho = 270;
  port.ApplyPortSettings(settings);
  line->SetEcho(true);
  std::string marker = "%1/2+RECP:part\r\n";
  marker += std::string(100 - marker.size(), 'm');
  line->OnRequest("AT+PART=?", marker + std::string(100, 'p'), 10);
  auto r = Execute("AT+PART=?");
  ASSERT_EQ(line->Reads().size(), 4u);
  EXPECT_EQ(line->Reads()[1].Data, marker);
  EXPECT_EQ(line->Reads()[2].Timeouts.ReadTotalConstant, 400);  // after the marker chunk
  EXPECT_EQ(line->Reads()[2].Data, std::string(100, 'p'));
  EXPECT_EQ(line->Reads()[3].Timeouts.ReadTotalConstant, 130);  // after the plain full chunk
  EXPECT_EQ(line->Reads()[3].Data, "");
}

TEST_F(TransactionTest, PauseLongerThanIntervalEndsTheAnswerAndTheRestIsPurgedNextTime) {
  line->SetEcho(true);
  line->OnRequest("AT+A=?", "part1", 10);
  line->SetResponder([](const std::string& request, TSimulatedLine& l) {
    if (request == "AT+A=?") l.After(10 + 300, "part2");
  });
  auto r = Execute("AT+A=?");
  EXPECT_EQ(r.answer, "AT+A=?\rpart1");
  line->OnRequest("AT+B=?", "b", 0);
  line->Advance(100);
  auto r2 = Execute("AT+B=?");
  EXPECT_EQ(r2.answer, "AT+B=?\rb");
}

TEST(ProgressMarkerBarTest, LastMarkerOfAChunkSetsMaximumAndPosition) {
  // A progress bar that remembers every state it was put in.
  struct RecordingBar : IProgressBar {
    int max = 100, pos = 0;
    std::vector<std::pair<int, int>> states;
    int Min() const override { return 0; }
    int Max() const override { return max; }
    int Position() const override { return pos; }
    void SetMin(int) override {}
    void SetMax(int value) override {
      max = value;
      pos = std::min(pos, max);
      states.emplace_back(max, pos);
    }
    void SetPosition(int value) override {
      pos = std::clamp(value, 0, max);
      states.emplace_back(max, pos);
    }
  };
  struct Case {
    const char* answer;
    std::pair<int, int> wantShown;  // (max, position) after the markers
  };
  const Case cases[] = {
      {"%1/3+RECP:x\r\n%2/3+RECP:y\r\n", {3, 2}},
      {"%0/0+RECP:\r\n", {0, 0}},
      {"%9/4+RECP:\r\n", {4, 4}},
      {"%2/99999999999+RECP:\r\n", {0, 0}},  // a count that is no number counts as 0
      {"x%1/3+RECP:\r\n", {-1, -1}},         // not at a line start: no marker
      {"%1/3+recp:\r\n", {-1, -1}},          // case-sensitive
  };
  for (const Case& c : cases) {
    LinkFixture f;
    RecordingBar bar;
    bar.SetMax(50);
    bar.SetPosition(10);
    bar.states.clear();
    TTerminalSession session(f.port, f.log, f.settings, f.ui, bar);
    f.port.Open();
    f.line->SetEcho(true);
    f.line->OnRequest("AT+P=?", c.answer, 1);
    bool error = false;
    std::string answer;
    session.ExecuteCommand("AT+P=?", error, "", false, true, false, -1, answer);
    if (c.wantShown.first < 0) {
      EXPECT_TRUE(bar.states.empty()) << c.answer;
    } else {
      // The restore is the last three steps: position 0, old maximum, old position.
      ASSERT_GE(bar.states.size(), 4u) << c.answer;
      EXPECT_EQ(bar.states[bar.states.size() - 4], c.wantShown) << c.answer;
    }
    EXPECT_EQ(bar.Max(), 50) << c.answer;
    EXPECT_EQ(bar.Position(), 10) << c.answer;
  }
}

TEST_F(TransactionTest, MarkerResetsTheReadTimeoutToTheAnswerTimeout) {
  line->SetEcho(true);
  // 100 bytes holding a marker: the next read waits the answer time-out, not the pause.
  std::string chunk = "%1/2+RECP:";
  chunk += std::string(100 - chunk.size() - 2, 'd') + "\r\n";
  ASSERT_EQ(chunk.size(), 100u);
  line->OnRequest("AT+M=?", chunk, 0);
  line->SetResponder(
      [](const std::string&, TSimulatedLine& l) { l.After(900, "%2/2+RECP:\r\n>"); });
  auto r = Execute("AT+M=?", 1000);
  ASSERT_EQ(line->Reads().size(), 3u);
  EXPECT_EQ(line->Reads()[2].Timeouts.ReadTotalConstant, 1000);
  EXPECT_EQ(r.answer, "AT+M=?\r" + chunk + "%2/2+RECP:\r\n>");
}

TEST_F(TransactionTest, NoWaitWritesAndLogsOnly) {
  line->SetEcho(true);
  line->OnRequest("!", "would be ignored", 0);
  auto r = Execute("!", -1, /*noWait=*/true, /*appendCR=*/false);
  EXPECT_FALSE(r.error);
  EXPECT_EQ(r.answer, "");
  EXPECT_EQ(line->Written(), "!");
  EXPECT_TRUE(line->Reads().empty());
  EXPECT_EQ(LogLines(), (Lines{">!"}));
  EXPECT_EQ(r.elapsed, 0);
}

TEST_F(TransactionTest, WithoutAppendCRTheEchoIsExpectedWithoutIt) {
  line->SetEcho(true);
  auto r = Execute("AT+X=1", 2000, false, /*appendCR=*/false);
  EXPECT_EQ(line->Written(), "AT+X=1");
  EXPECT_EQ(line->Reads()[0].Requested, 6);
  EXPECT_EQ(line->Reads()[1].Timeouts.ReadTotalConstant, 2000);  // echo matched
  EXPECT_EQ(r.answer, "AT+X=1");
}

TEST_F(TransactionTest, LogTextHidesThePasswordInTheRequestAndItsEcho) {
  line->SetEcho(true);
  line->OnRequest("AT+TEXT=1234,", "\r\nOK\r\n>", 5);
  auto r = Execute("AT+TEXT=1234,", -1, false, true, false, "AT+TEXT=*,");
  EXPECT_EQ(r.answer, "AT+TEXT=1234,\r\r\nOK\r\n>");  // the caller gets the raw bytes
  EXPECT_EQ(LogLines(), (Lines{">AT+TEXT=*,", "<AT+TEXT=*,", "<", "<OK", "<>"}));
}

TEST_F(TransactionTest, ShortWriteIsLoggedAndNothingIsRead) {
  line->SetEcho(true);
  line->ShortWriteAfter(3);
  auto r = Execute("AT+ABC=?");  // 8 bytes + CR
  EXPECT_TRUE(r.error);
  EXPECT_EQ(r.answer, "");
  EXPECT_EQ(line->Written(), "AT+");
  EXPECT_TRUE(line->Reads().empty());
  EXPECT_EQ(LogLines(), (Lines{"E>Ошибка записи, записано 3/9", ">AT+ABC=?"}));
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(r.elapsed, 250);  // the stalled byte waited the write time-out
}

TEST_F(TransactionTest, FailureWithCancelDropsTheSessionAndLogsWhatWasRead) {
  session.InCommandMode = true;
  line->SetEcho(true);
  line->OnRequest("AT+A=?", "+RESP:A,", 5);
  line->UnplugAt(50);
  ui.retryAnswers = {false};
  auto r = Execute("AT+A=?");
  EXPECT_TRUE(r.error);
  EXPECT_EQ(ui.retryQuestions, 1);
  EXPECT_FALSE(session.InCommandMode);
  EXPECT_FALSE(port.Connected());
  ASSERT_FALSE(ui.linkStates.empty());
  EXPECT_FALSE(ui.linkStates.back().open);
  EXPECT_FALSE(ui.linkStates.back().command);
  // The failed read's bytes are lost with it; the echo read before the failure is logged.
  EXPECT_EQ(LogLines(),
            (Lines{">AT+A=?", "E<Ошибка чтения, исключение=ReadFile function failed (Error: 5)",
                   "<AT+A=?"}));
  EXPECT_EQ(r.answer, "AT+A=?\r");
  EXPECT_EQ(r.elapsed, 50);
  EXPECT_EQ(port.Timeouts().ReadTotalConstant, 250);
  // The question says which port failed and why, in the interface's words.
  EXPECT_EQ(ui.retryDetails, (Lines{port.Port() + ": устройство пропало (отключено?)"}));
}

TEST_F(TransactionTest, FailureWithRetryRepeatsWithTheGeneralTimeoutAndLogsTheAnswerTwice) {
  line->SetEcho(true);
  line->OnRequest("AT+A=?", "+RESP:A,1\r\n>", 5);
  line->FailOn(TSimOp::Write, 1);
  ui.retryAnswers = {true};
  auto r = Execute("AT+A=?", 5000);
  EXPECT_FALSE(r.error);
  EXPECT_EQ(r.answer, "AT+A=?\r+RESP:A,1\r\n>");
  EXPECT_EQ(line->Written(), "AT+A=?\r");  // the repeat did not add a second CR
  EXPECT_EQ(line->OpenCount(), 2);         // closed by the failure, reopened by the repeat
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(line->Reads()[1].Timeouts.ReadTotalConstant, 250);  // not the caller's 5000
  EXPECT_EQ(LogLines(),
            (Lines{"E<Ошибка чтения, исключение=WriteFile function failed (Error: 5)", ">AT+A=?",
                   "<AT+A=?", "<+RESP:A,1", "<>", "<AT+A=?", "<+RESP:A,1", "<>"}));
}

TEST_F(TransactionTest, FailureWithNoReconnectAsksNothing) {
  line->FailOn(TSimOp::Purge, 1);
  auto r = Execute("AT+A=?", -1, false, true, /*noReconnect=*/true);
  EXPECT_TRUE(r.error);
  EXPECT_EQ(ui.retryQuestions, 0);
  EXPECT_EQ(LogLines(),
            (Lines{"E<Ошибка чтения, исключение=PurgeComm function failed (Error: 5)"}));
}

TEST_F(TransactionTest, ClosedPortThatCannotOpenReturnsSilently) {
  port.Close();
  line->Unplug();
  auto r = Execute("AT+A=?", -1, false, true, /*noReconnect=*/true);
  EXPECT_FALSE(r.error);
  EXPECT_EQ(ui.reconnectWindows, 0);
  EXPECT_EQ(LogLines(),
            (Lines{"]Не могу открыть порт, исключение=Unable to open com port (Error: 2)"}));

  // Without NoReconnect the reconnect window gets its chance first.
  auto r2 = Execute("AT+A=?");
  EXPECT_FALSE(r2.error);
  EXPECT_EQ(ui.reconnectWindows, 1);
  EXPECT_TRUE(line->Written().empty());
}

TEST_F(TransactionTest, ClosedPortIsReopenedByTheTransaction) {
  port.Close();
  line->SetEcho(true);
  auto r = Execute("AT+A=?");
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(r.answer, "AT+A=?\r");
  EXPECT_TRUE(ui.linkStates.back().open);
}

TEST_F(TransactionTest, SendCommandAppendsCRAndUsesTheGeneralTimeout) {
  line->SetEcho(true);
  std::string answer;
  session.SendCommand("AT+SAVE=1234,", "AT+SAVE=*,", false, false, answer);
  EXPECT_EQ(line->Written(), "AT+SAVE=1234,\r");
  EXPECT_EQ(answer, "AT+SAVE=1234,\r");
  EXPECT_EQ(line->Reads()[1].Timeouts.ReadTotalConstant, 250);
}

// Fast answers end at the terminal's prompt; without one they end exactly where the ordinary
// read ends. Each case runs in both modes on the same script (times in ms after the request).
TEST(FastAnswerTest, EndsAtThePromptAndOtherwiseAsTheOrdinaryRead) {
  struct Case {
    const char* name;
    bool echo;
    int timeout;  // the caller's answer time-out
    std::vector<std::pair<int64_t, std::string>> arrivals;
    std::string wantFast, wantOrdinary;  // the answer after the echo
    int64_t fastMs, ordinaryMs;
  };
  const std::string big(250, 'v');
  const std::string fullMarkerChunk = [] {
    std::string c = "%1/2+RECP:";
    return c + std::string(100 - c.size() - 2, 'd') + "\r\n";
  }();
  const Case cases[] = {
      {"CR prompt",
       true,
       -1,
       {{30, "\r\n+RESP:A,1\r>"}},
       "\r\n+RESP:A,1\r>",
       "\r\n+RESP:A,1\r>",
       30,
       250},
      {"LF prompt",
       true,
       -1,
       {{30, "\r\n+RESP:A,1\r\n>"}},
       "\r\n+RESP:A,1\r\n>",
       "\r\n+RESP:A,1\r\n>",
       30,
       250},
      {"prompt right after the echo", true, -1, {{5, ">"}}, ">", ">", 5, 250},
      {"several chunks",
       true,
       2000,
       {{40, big + "\r\n>"}},
       big + "\r\n>",
       big + "\r\n>",
       40,
       40 + 250},
      {"'>' inside the answer",
       true,
       -1,
       {{20, "\r\n+RESP:A,>"}, {60, "x\r\n>"}},
       "\r\n+RESP:A,>x\r\n>",
       "\r\n+RESP:A,>x\r\n>",
       60,
       250},
      {"'>' not after a line end",
       true,
       -1,
       {{20, "\r\n+RESP:A,1>"}},
       "\r\n+RESP:A,1>",
       "\r\n+RESP:A,1>",
       250,
       250},
      {"a lone '>' without echo", false, -1, {{300, ">"}}, ">", ">", 500, 500},
      {"silent terminal", true, 1000, {}, "", "", 1000, 1000},
      {"pause longer than the interval",
       true,
       -1,
       {{10, "part1"}, {310, "\r\n>"}},
       "part1",
       "part1",
       250,
       250},
      {"parts: marker 1 of 2 holds the prompt back",
       true,
       -1,
       {{20, "\r\n%1/2+RECP:\r\n+RESP:A,1\r\n>"}, {90, "\r\n%2/2+RECP:\r\n>"}},
       "\r\n%1/2+RECP:\r\n+RESP:A,1\r\n>\r\n%2/2+RECP:\r\n>",
       "\r\n%1/2+RECP:\r\n+RESP:A,1\r\n>\r\n%2/2+RECP:\r\n>",
       90,
       250},
      {"parts: the prompt after n = m",
       true,
       -1,
       {{20, "\r\n%2/2+RECP:\r\n+RESP:A,2"}, {120, "\r\n>"}},
       "\r\n%2/2+RECP:\r\n+RESP:A,2\r\n>",
       "\r\n%2/2+RECP:\r\n+RESP:A,2\r\n>",
       120,
       250},
      {"parts: never n = m",
       true,
       -1,
       {{20, "\r\n%1/2+RECP:\r\n+RESP:A,1\r\n>"}},
       "\r\n%1/2+RECP:\r\n+RESP:A,1\r\n>",
       "\r\n%1/2+RECP:\r\n+RESP:A,1\r\n>",
       250,
       250},
      {"a marker chunk gives the next part the answer time-out",
       true,
       1000,
       {{0, fullMarkerChunk}, {900, "%2/2+RECP:\r\n>"}},
       fullMarkerChunk + "%2/2+RECP:\r\n>",
       fullMarkerChunk + "%2/2+RECP:\r\n>",
       900,
       1000},
  };
  for (const Case& c : cases) {
    for (const bool fast : {true, false}) {
      LinkFixture f;
      f.port.Open();
      f.session.SetFastAnswer(fast);
      f.line->SetEcho(c.echo);
      f.line->SetResponder([&c](const std::string&, TSimulatedLine& l) {
        for (const auto& [delay, bytes] : c.arrivals) l.After(delay, bytes);
      });
      const auto r = f.Execute("AT+A=?", c.timeout);
      const std::string echo = c.echo ? "AT+A=?\r" : "";
      const std::string mode = fast ? " (fast)" : " (ordinary)";
      EXPECT_FALSE(r.error) << c.name << mode;
      EXPECT_EQ(r.answer, echo + (fast ? c.wantFast : c.wantOrdinary)) << c.name << mode;
      EXPECT_EQ(r.elapsed, fast ? c.fastMs : c.ordinaryMs) << c.name << mode;
      // Either way the port is left with its ordinary read rules.
      const TComTimeouts& t = f.port.Timeouts();
      EXPECT_EQ(t.ReadInterval, 250) << c.name << mode;
      EXPECT_EQ(t.ReadTotalMultiplier, 0) << c.name << mode;
      EXPECT_EQ(t.ReadTotalConstant, 250) << c.name << mode;
      EXPECT_EQ(f.line->CurrentTimeouts(), t) << c.name << mode;
    }
  }
}

// A port failure inside a fast read takes the ordinary failure path, and the port reopens with
// its ordinary read rules.
TEST_F(TransactionTest, FastAnswerFailureLeavesTheOrdinaryReadRules) {
  session.SetFastAnswer(true);
  line->SetEcho(true);
  line->OnRequest("AT+A=?", "+RESP:A,", 5);
  line->UnplugAt(50);
  auto r = Execute("AT+A=?", -1, false, true, /*noReconnect=*/true);
  EXPECT_TRUE(r.error);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(r.elapsed, 50);
  EXPECT_EQ(port.Timeouts().ReadInterval, 250);
  EXPECT_EQ(port.Timeouts().ReadTotalMultiplier, 0);
  line->Replug();
  line->OnRequest("AT+B=?", "\r\n+RESP:B,1\r\n>", 5);
  auto r2 = Execute("AT+B=?");
  EXPECT_EQ(r2.answer, "AT+B=?\r\r\n+RESP:B,1\r\n>");
  EXPECT_EQ(r2.elapsed, 5);
  EXPECT_EQ(line->CurrentTimeouts(), port.Timeouts());
}

// The scanner follows a growing answer with the answers of the one expression: the last marker
// among the new bytes, searched from one past the previous marker's part number.
TEST(ProgressMarkerScanner, FindsWhatTheExpressionFinds) {
  const std::string texts[] = {
      "%1/3+RECP:x\r\n%2/3+RECP:y\r\n",
      "AT+P=?\r%1/2+RECP:a\r%2/2+RECP:b\n>",
      "%12/34+RECP:\r\n%5/6+RECP",
      "x%1/3+RECP:\r\n %2/3+RECP:\r\n%3/3+recp:\r\n%/3+RECP:\r\n%1/+RECP:\r\n",
      "%1/3+RE\rCP:%2/3+RECP:\r\n%%1/3+RECP:\r\n\r\n%7/8+RECP:+RECP:",
      "%99999999999/2+RECP:\n%3/1/4+RECP:\n%3/14+RECP:\n",
  };
  for (const std::string& text : texts) {
    for (size_t chunk : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{100}}) {
      TProgressMarkerScanner scanner;
      size_t from = 0;
      for (size_t end = chunk; end < text.size() + chunk; end += chunk) {
        const std::string answer = text.substr(0, end);
        TProgressMarker want, got;
        const bool found = FindProgressMarker(answer, from, want);
        ASSERT_EQ(scanner.Feed(answer, got), found) << text << " / " << end;
        if (!found) continue;
        from = want.PartOffset + 1;
        EXPECT_EQ(got.PartOffset, want.PartOffset) << text << " / " << end;
        EXPECT_EQ(got.Part, want.Part) << text << " / " << end;
        EXPECT_EQ(got.Count, want.Count) << text << " / " << end;
      }
    }
  }
}

// A long answer without markers used to be searched again whole for every 100-byte chunk.
TEST_F(TransactionTest, MarkerSearchLooksAtEachByteOfALongAnswerOnce) {
  line->SetEcho(true);
  std::string flood;
  for (int i = 0; i < 300000; ++i) flood += "\r\n";
  flood += "%1/1+RECP:" + std::string(50000, '7') + "\r\n>";
  line->SetResponder([&](const std::string&, TSimulatedLine& l) {
    for (size_t at = 0; at < flood.size(); at += 4096)
      l.After(1 + at / 4096, flood.substr(at, 4096));
  });
  TCommandTransaction transaction(port, log, settings, progress);
  bool error = false;
  std::string answer;
  ASSERT_TRUE(transaction.Run("AT+F=?\r", "AT+F=?", false, 250, error, answer));
  EXPECT_EQ(answer, "AT+F=?\r" + flood);
  EXPECT_LE(transaction.MarkerBytesExamined(), 2 * answer.size());
  EXPECT_GE(transaction.MarkerBytesExamined(), answer.size());
}

// A terminal that never falls quiet: the answer is cut, said so in the log, and counts as
// incomplete, but is no transfer error.
TEST_F(TransactionTest, AnAnswerThatNeverEndsIsCutAtTheTimeBound) {
  line->SetEcho(true);
  // 100 bytes every 240 ms: each read is full, and never does the line pause for 250 ms.
  line->SetResponder([](const std::string&, TSimulatedLine& l) {
    for (int i = 1; i <= 700; ++i) l.After(240 * i, std::string(100, 'x'));
  });
  auto r = Execute("AT+F=?");
  EXPECT_FALSE(r.error);
  EXPECT_TRUE(session.LastAnswerCut());
  EXPECT_GE(r.elapsed, TCommandTransaction::kMaxAnswerFlowMs);
  EXPECT_LT(r.elapsed, TCommandTransaction::kMaxAnswerFlowMs + 500);
  const Lines lines = LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "]Ответ прерван (поток без паузы дольше 120 с), он неполон"),
            1);
  // The next transaction starts afresh.
  line->SetResponder(nullptr);
  line->OnRequest("AT+G=?", "+RESP:G\r\n>", 1);
  Execute("AT+G=?");
  EXPECT_FALSE(session.LastAnswerCut());
}

TEST_F(TransactionTest, AnAnswerThatNeverEndsIsCutAtTheSizeBound) {
  line->SetEcho(true);
  const size_t piece = 64 * 1024;
  const size_t pieces = TCommandTransaction::kMaxAnswerBytes / piece + 2;
  line->SetResponder([&](const std::string&, TSimulatedLine& l) {
    for (size_t i = 1; i <= pieces; ++i) l.After(static_cast<int64_t>(i), std::string(piece, 'y'));
  });
  auto r = Execute("AT+F=?");
  EXPECT_FALSE(r.error);
  EXPECT_TRUE(session.LastAnswerCut());
  EXPECT_EQ(r.answer.size(), TCommandTransaction::kMaxAnswerBytes);
  const Lines lines = LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "]Ответ прерван (больше 16 МиБ), он неполон"),
            1);
}

}  // namespace
}  // namespace quillon::test
