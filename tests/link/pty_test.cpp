// The port, transaction and session over a real pseudo-terminal, with the terminal played on the
// master side. Time-outs are short (50-100 ms) to keep the run quick.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <thread>

#include "link/serial_posix.h"
#include "link_fixture.h"
#include "pty_terminal.h"
#include "read_rule_cases.h"

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;

struct PtySession {
  TSettings settings = DefaultLinkSettings();
  TComPort port;  // the real serial layer
  TLogModel log{settings};
  TScriptedUi ui;
  TMemoryProgressBar progress;
  TTerminalSession session{port, log, settings, ui, progress};

  explicit PtySession(const std::string& device) {
    settings.COM = device;
    settings.Timeout = 100;
    settings.TimeoutInterval = 50;
    settings.TimeoutEcho = 100;
    port.ApplyPortSettings(settings);
  }
  Lines LogLines() const {
    Lines lines;
    for (const auto& l : log.Lines()) lines.push_back(l.Text);
    return lines;
  }
  bool Logged(const std::string& text) const {
    for (const auto& l : log.Lines())
      if (l.Text == text) return true;
    return false;
  }
};

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!terminal.Ok()) GTEST_SKIP() << "no pseudo-terminals here";
  }
  TPtyTerminal terminal;
};

TPtyTerminal::Reply PromptOnCode(const std::string& request) {
  if (request == "4817365") return {"\r\n>"};
  return {};
}

TEST(SerialPosixTest, PortNamesMapToDevices) {
  EXPECT_EQ(TSerialPosix::DevicePath("/dev/pts/3"), "/dev/pts/3");
  EXPECT_EQ(TSerialPosix::DevicePath("ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(TSerialPosix::DevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(TSerialPosix::DevicePath("com12"), "/dev/ttyS11");
  EXPECT_EQ(TSerialPosix::DevicePath("COM0"), "/dev/COM0");
  EXPECT_EQ(TSerialPosix::DevicePath("COMX"), "/dev/COMX");
}

TEST(SerialPosixTest, MissingDeviceFailsToOpenWithItsCode) {
  TSettings settings = DefaultLinkSettings();
  settings.COM = "/dev/quillon-no-such-port";
  TComPort port;
  port.ApplyPortSettings(settings);
  try {
    port.Open();
    FAIL() << "opened a missing device";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 1);
    // The fixed text and number, then what the system said and what to do about it.
    EXPECT_EQ(std::string(e.what()),
              "Unable to open com port (Error: " + std::to_string(ENOENT) +
                  "): open /dev/quillon-no-such-port: No such file or directory - устройство "
                  "не подключено или имя порта указано неверно");
  }
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(port.ReadinessHandle(), -1);
}

TEST_F(PtyTest, EntryWithThePromptReachesCommandModeAndAPollGetsItsAnswer) {
  terminal.Start([](const std::string& request) -> TPtyTerminal::Reply {
    if (request == "4817365") return {"\r\n>"};
    if (request == "AT+ABCD=?") return {"\r\n+RESP:ABCD,1,2\r\n>"};
    return {};
  });
  PtySession s(terminal.SlavePath());
  ASSERT_TRUE(s.session.EnsureSession());
  EXPECT_TRUE(s.session.InCommandMode);
  EXPECT_EQ(s.ui.entryTriesRun, 1);
  bool error = false;
  std::string answer;
  s.session.ExecuteCommand("AT+ABCD=?", error, "", false, true, false, -1, answer);
  EXPECT_FALSE(error);
  EXPECT_EQ(answer, "AT+ABCD=?\r\r\n+RESP:ABCD,1,2\r\n>");
  EXPECT_GE(s.port.ReadinessHandle(), 0);
}

TEST_F(PtyTest, FastEntryAcceptsAnEchoOnlyTerminal) {
  terminal.Start([](const std::string&) { return TPtyTerminal::Reply{}; });
  PtySession s(terminal.SlavePath());
  s.settings.ConnectMethod = 1;
  EXPECT_TRUE(s.session.EnsureSession());
  EXPECT_TRUE(s.Logged("]Уже в командном режиме"));
}

TEST_F(PtyTest, EveryFifthTrySendsTheExitRequest) {
  // A terminal that only gives its prompt after it was told to leave a half-typed state.
  auto released = std::make_shared<std::atomic<bool>>(false);
  terminal.Start([released](const std::string& request) -> TPtyTerminal::Reply {
    if (request == "AT+TEXT=1234,") *released = true;
    if (request == "4817365" && *released) return {"\r\n>"};
    return {};
  });
  PtySession s(terminal.SlavePath());
  EXPECT_TRUE(s.session.EnsureSession());
  EXPECT_EQ(s.ui.entryTriesRun, 6);
  Lines nonEmpty;
  for (const auto& r : terminal.Requests())
    if (!r.empty()) nonEmpty.push_back(r);
  EXPECT_EQ(nonEmpty, (Lines{"4817365", "4817365", "4817365", "4817365", "4817365", "AT+TEXT=1234,",
                             "4817365"}));
}

TEST_F(PtyTest, SecondOpenOfABusyDeviceFails) {
  PtySession first(terminal.SlavePath());
  first.port.Open();
  PtySession second(terminal.SlavePath());
  EXPECT_FALSE(second.session.OpenPort());
  ASSERT_EQ(second.LogLines().size(), 1u);
  const std::string line = second.LogLines()[0];
  const std::string expected =
      "]Не могу открыть порт, исключение=Unable to open com port (Error: " + std::to_string(EBUSY) +
      "): open " + terminal.SlavePath() + ": Device or resource busy - порт занят программой ";
  EXPECT_EQ(line.substr(0, expected.size()), expected) << line;
  // The holder found through /proc: this very program.
  EXPECT_NE(line.find("(pid " + std::to_string(getpid()) + "): закройте её"), std::string::npos)
      << line;
  // Once the first one lets go, the device is free again.
  first.port.Close();
  EXPECT_TRUE(second.session.OpenPort());
}

// A user without the right to the device (the test runs as root, so a child drops to nobody). A
// pseudo-terminal belongs to the tty group, which no user should join: the message sends the
// user to the administrator instead of naming a group.
TEST_F(PtyTest, NoPermissionOnATtyNodeSendsTheUserToTheAdministrator) {
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeFds[0]);
    std::string message = "no error";
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) {
      message = "cannot drop to uid 65534";
    } else {
      TSettings settings = DefaultLinkSettings();
      settings.COM = terminal.SlavePath();
      TComPort port;
      port.ApplyPortSettings(settings);
      try {
        port.Open();
      } catch (const EComPort& e) {
        message = e.what();
      }
    }
    const ssize_t written = ::write(pipeFds[1], message.data(), message.size());
    _exit(written == static_cast<ssize_t>(message.size()) ? 0 : 1);
  }
  ::close(pipeFds[1]);
  std::string message;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
  ::close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (getuid() != 0 && message == "cannot drop to uid 65534") GTEST_SKIP() << "not run as root";
  EXPECT_EQ(message, "Unable to open com port (Error: " + std::to_string(EACCES) + "): open " +
                         terminal.SlavePath() +
                         ": Permission denied - попросите администратора открыть вашему "
                         "пользователю доступ к " +
                         terminal.SlavePath());
}

// A read with a total time-out of 0 has no total limit: it waits for the first byte however
// long that takes, and then ends at the gap after the last one.
TEST_F(PtyTest, ReadWithoutATotalLimitWaitsForTheFirstByte) {
  terminal.Start(
      [](const std::string& request) -> TPtyTerminal::Reply {
        if (request != "GO") return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        return {"late"};
      },
      false);
  PtySession s(terminal.SlavePath());
  s.port.Open();
  TComTimeouts t = s.port.Timeouts();
  t.ReadInterval = 50;
  t.ReadTotalMultiplier = 0;
  t.ReadTotalConstant = 0;
  s.port.SetTimeouts(t);
  ASSERT_EQ(s.port.WriteBytes("GO\r", 3), 3);
  const auto start = std::chrono::steady_clock::now();
  const std::string text = s.port.ReadText(100);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(text, "late");
  EXPECT_GE(elapsed, std::chrono::milliseconds(400 + 50));
  EXPECT_LT(elapsed, std::chrono::milliseconds(400 + 50 + 2000));
}

// The read rules of the simulated line's table, over a pseudo-terminal with the POSIX port:
// the bytes come in order, the read does not end before the rule says, and it ends within 2 s
// of it. The master side writes each arrival at its time from the start of the read. Cases
// that need a byte to land exactly on a time-out are for the virtual clock only.
TEST(PtyReadRules, TheTableOfTheSimulatedLineHoldsOverAPty) {
  for (const TReadRuleCase& c : ReadRuleCases()) {
    if (c.exactTiming) continue;
    TPtyTerminal terminal;
    if (!terminal.Ok()) GTEST_SKIP() << "no pseudo-terminals here";
    PtySession s(terminal.SlavePath());
    s.port.Open();
    s.port.SetTimeouts(c.timeouts);
    std::string everything;
    for (const auto& [t, bytes] : c.arrivals) everything += bytes;
    const auto start = std::chrono::steady_clock::now();
    // What arrives at 0 is there before the read starts.
    for (const auto& [t, bytes] : c.arrivals)
      if (t == 0) terminal.Write(bytes);
    std::thread writer([&] {
      for (const auto& [t, bytes] : c.arrivals) {
        if (t == 0) continue;
        std::this_thread::sleep_until(start + std::chrono::milliseconds(t));
        terminal.Write(bytes);
      }
    });
    const std::string got = s.port.ReadText(c.count);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    writer.join();
    EXPECT_EQ(everything.compare(0, got.size(), got), 0) << c.name << ": " << got;
    EXPECT_LE(got.size(), static_cast<size_t>(c.count)) << c.name;
    EXPECT_GE(elapsed, c.wantEnd - 2) << c.name;
    EXPECT_LE(elapsed, c.wantEnd + 2000) << c.name;
  }
}

TEST_F(PtyTest, AnyIntegerRateIsAccepted) {
  for (int rate : {12345, 115200, 1000000}) {
    PtySession s(terminal.SlavePath());
    s.settings.Speed = rate;
    s.port.ApplyPortSettings(s.settings);
    EXPECT_NO_THROW(s.port.Open()) << rate;
    EXPECT_TRUE(s.port.Connected()) << rate;
  }
}

TEST_F(PtyTest, SilentTerminalEndsAfterEchoAndIntervalTimeouts) {
  PtySession s(terminal.SlavePath());
  s.port.Open();
  const auto start = std::chrono::steady_clock::now();
  bool error = false;
  std::string answer;
  s.session.ExecuteCommand("AT+ABCD=?", error, "", false, true, false, 5000, answer);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(error);
  EXPECT_EQ(answer, "");
  EXPECT_GE(elapsed, std::chrono::milliseconds(100 + 50));
  EXPECT_LT(elapsed, std::chrono::milliseconds(3000));  // not the 5000 ms of the argument
}

// Time-outs of 0 or less in a hand-edited settings file count as 250 ms where the line uses
// them: 0 would mean no limit, and a silent terminal would hold the window for good. A run that
// blocks is freed by hanging the terminal up, so that the test fails instead of hanging.
TEST_F(PtyTest, TimeoutsOfZeroOrLessStillEndOnASilentTerminal) {
  for (int32_t value : {0, -1}) {
    PtySession s(terminal.SlavePath());
    s.settings.Timeout = value;
    s.settings.TimeoutInterval = value;
    s.settings.TimeoutEcho = value;
    s.port.ApplyPortSettings(s.settings);
    s.port.Open();
    std::promise<void> finished;
    std::future<void> done = finished.get_future();
    bool error = false;
    std::string answer;
    const auto start = std::chrono::steady_clock::now();
    std::thread run([&] {
      s.session.ExecuteCommand("AT+ABCD=?", error, "", false, true, true, -1, answer);
      finished.set_value();
    });
    const bool ended = done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (!ended) terminal.HangUp();
    run.join();
    ASSERT_TRUE(ended) << value << ": the transaction did not end";
    EXPECT_FALSE(error) << value;
    EXPECT_EQ(answer, "") << value;
    // The echo's 250 ms, then 250 ms for the answer after the missing echo.
    EXPECT_GE(elapsed, std::chrono::milliseconds(500)) << value;
    EXPECT_LT(elapsed, std::chrono::milliseconds(500 + 2000)) << value;
  }
}

TEST_F(PtyTest, DeviceVanishingMidTransactionDropsTheSession) {
  terminal.Start([](const std::string& request) -> TPtyTerminal::Reply {
    if (request == "4817365") return {"\r\n>"};
    if (request == "AT+SLOW=?") return {"+RESP:SL", /*hangUp=*/true};
    return {};
  });
  PtySession s(terminal.SlavePath());
  s.settings.Timeout = 2000;  // the answer read would wait long; the hang-up must end it
  ASSERT_TRUE(s.session.EnsureSession());
  bool error = false;
  std::string answer;
  const auto start = std::chrono::steady_clock::now();
  s.session.ExecuteCommand("AT+SLOW=?", error, "", false, true, false, -1, answer);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
  EXPECT_TRUE(error);
  EXPECT_FALSE(s.session.InCommandMode);
  EXPECT_FALSE(s.port.Connected());
  EXPECT_EQ(s.ui.retryQuestions, 1);
  ASSERT_FALSE(s.ui.linkStates.empty());
  EXPECT_FALSE(s.ui.linkStates.back().open);
  EXPECT_FALSE(s.ui.linkStates.back().command);
  bool failureLogged = false;
  for (const auto& l : s.LogLines())
    failureLogged |=
        l.rfind("E<Ошибка чтения, исключение=ReadFile function failed (Error: ", 0) == 0;
  EXPECT_TRUE(failureLogged);
}

TEST_F(PtyTest, IdleCheckNoticesAVanishedDevice) {
  terminal.Start(PromptOnCode);
  PtySession s(terminal.SlavePath());
  ASSERT_TRUE(s.session.EnsureSession());
  s.session.IdlePortCheck();
  EXPECT_TRUE(s.port.Connected());
  terminal.Stop();
  terminal.HangUp();
  s.session.IdlePortCheck();
  EXPECT_EQ(s.LogLines().back(), "]Device disconnected");
  EXPECT_FALSE(s.session.InCommandMode);
  EXPECT_FALSE(s.port.Connected());
  EXPECT_FALSE(s.ui.linkStates.back().open);
}

class RecordingLink : public TComLink {
 public:
  std::string received;
  bool WantsRxData() const override { return true; }
  void RxData(const std::string& data) override { received += data; }
};

TEST_F(PtyTest, EventPathHandsBytesToTheLinkAndReportsAHangUp) {
  PtySession s(terminal.SlavePath());
  s.port.Open();
  RecordingLink framer;
  s.port.AttachLink(&framer);
  EXPECT_TRUE(s.port.WantsReadNotifications());
  terminal.Start([](const std::string&) { return TPtyTerminal::Reply{"+RESP:SNAV,1\r"}; });
  s.port.WriteBytes("\r");
  pollfd p{s.port.ReadinessHandle(), POLLIN, 0};
  ASSERT_GT(poll(&p, 1, 1000), 0);
  for (int i = 0; i < 50 && framer.received.size() < 14; ++i) {
    s.session.DispatchPortEvents();
    poll(&p, 1, 20);
  }
  EXPECT_EQ(framer.received, "\r+RESP:SNAV,1\r");
  terminal.Stop();
  terminal.HangUp();
  s.session.DispatchPortEvents();
  EXPECT_EQ(s.LogLines().back(), "]Device disconnected");
  EXPECT_FALSE(s.port.Connected());
  s.port.DetachLink(&framer);
}

}  // namespace
}  // namespace quillon::test
