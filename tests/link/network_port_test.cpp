// The port on the network, tcp:// and rfc2217://, against a scripted server on 127.0.0.1: the
// read rules of a local port, bytes that telnet treats specially passing unharmed, the line
// settings sent and checked, purges, what counts as waiting input, and every way a connection
// fails (each an EComPort naming HOST:PORT, never a hang or a crash).
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "link/line_timeouts.h"
#include "link/port_address.h"
#include "link_fixture.h"
#include "read_rule_cases.h"
#include "support/free_port.h"
#include "support/rfc2217_peer.h"

namespace quillon::test {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using TScript = TRfc2217Peer::TScript;

bool Has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

int64_t MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// The terminal behind the server: the access code and one poll answered.
std::string Terminal(const std::string& request) {
  if (request == "\r4817365" || request == "4817365") return "\r\n>";
  if (request == "AT+NAME=?") return "\r\n+RESP:+NAME,\"я\xff\",\r\n>";
  return "";
}

// A session on the program's own port layer, named by URL.
struct NetSession {
  TSettings settings = DefaultLinkSettings();
  TComPort port;
  TLogModel log{settings};
  TScriptedUi ui;
  TMemoryProgressBar progress;
  TTerminalSession session{port, log, settings, ui, progress};

  explicit NetSession(const std::string& url, int timeout = 100) {
    settings.COM = url;
    settings.Timeout = timeout;
    settings.TimeoutInterval = 50;
    settings.TimeoutEcho = 100;
    port.ApplyPortSettings(settings);
  }
  std::string Execute(const std::string& cmd, bool& error) {
    std::string answer;
    session.ExecuteCommand(cmd, error, "", false, true, true, -1, answer);
    return answer;
  }
  // The message of the failed open, empty when it opened.
  std::string OpenFailure() {
    try {
      port.Open();
    } catch (const EComPort& e) {
      EXPECT_FALSE(port.Connected());
      return e.what();
    }
    return {};
  }
};

TScript Script(const std::function<void(TScript&)>& edit) {
  TScript script;
  edit(script);
  return script;
}

bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) > 0;
}

// The table of read rules of the simulated line holds on both network lines, within the bounds
// of a real clock, with the server sending each arrival at its time from the read's start.
TEST(NetworkPortTest, TheReadRulesOfALocalPortHoldOnBothLines) {
  for (bool telnet : {false, true}) {
    for (const TReadRuleCase& c : ReadRuleCases()) {
      if (c.exactTiming) continue;
      TScript script;
      script.Telnet = telnet;
      script.Echo = false;
      TRfc2217Peer peer(script);
      ASSERT_TRUE(peer.Ok());
      NetSession s(peer.Url());
      s.port.Open();
      ASSERT_TRUE(peer.WaitForConnections(1));
      s.port.SetTimeouts(c.timeouts);
      std::string everything;
      for (const auto& [t, bytes] : c.arrivals) everything += bytes;
      for (const auto& [t, bytes] : c.arrivals)
        if (t == 0) peer.Send(bytes);
      if (!c.arrivals.empty() && c.arrivals[0].first == 0) std::this_thread::sleep_for(20ms);
      const auto start = std::chrono::steady_clock::now();
      std::thread server([&] {
        for (const auto& [t, bytes] : c.arrivals) {
          if (t == 0) continue;
          std::this_thread::sleep_until(start + std::chrono::milliseconds(t));
          peer.Send(bytes);
        }
      });
      const std::string got = s.port.ReadText(c.count);
      const int64_t elapsed = MsSince(start);
      server.join();
      const std::string name = std::string(telnet ? "rfc2217: " : "tcp: ") + c.name;
      EXPECT_EQ(got, c.want) << name;
      EXPECT_GE(elapsed, c.wantEnd - 2) << name;
      EXPECT_LE(elapsed, c.wantEnd + 2000) << name;
    }
  }
}

// Every request ends in a lone CR, the idle watch sends NUL, and "я" is the byte telnet uses
// as its escape: all of them cross both ways as they are, in a whole transaction.
TEST(NetworkPortTest, CrNulAndTheEscapeBytePassUnharmedBothWays) {
  for (bool telnet : {false, true}) {
    TScript script;
    script.Telnet = telnet;
    script.Answer = [](const std::string& request) {
      return request == "AT+NAME=я\xff,\0x"s ? "\r\n+RESP:+NAME,я\xff\0\r,\r\n>"s : ""s;
    };
    TRfc2217Peer peer(script);
    NetSession s(peer.Url());
    bool error = true;
    const std::string request = "AT+NAME=я\xff,\0x"s;
    const std::string answer = s.Execute(request, error);
    EXPECT_FALSE(error);
    EXPECT_EQ(answer, request + "\r" + "\r\n+RESP:+NAME,я\xff\0\r,\r\n>"s) << telnet;
    EXPECT_EQ(peer.Data(), request + "\r") << telnet;
  }
}

TEST(NetworkPortTest, LineSettingsReachTheServerAndEveryTransactionPurgesIt) {
  TScript script;
  script.Answer = Terminal;
  TRfc2217Peer peer(script);
  NetSession s(peer.Url());
  s.settings.Speed = 19200;
  s.settings.DataBits = 7;
  s.settings.Parity = "Even";
  s.settings.StopBits = "2";
  s.port.ApplyPortSettings(s.settings);
  bool error = true;
  s.Execute("AT+NAME=?", error);
  EXPECT_FALSE(error);
  std::vector<std::pair<int, std::string>> got;
  for (const auto& c : peer.Commands()) got.emplace_back(c.Code, c.Value);
  const std::vector<std::pair<int, std::string>> want = {
      {12, "\x03"}, {1, "\0\0\x4b\0"s}, {2, "\x07"}, {3, "\x03"},  {4, "\x02"},
      {5, "\x01"},  {5, "\x09"},        {5, "\x0c"}, {12, "\x03"},  // the transaction's purge of
                                                                    // both queues
  };
  EXPECT_EQ(got, want);
}

// A raw line cannot carry settings: nothing but the request reaches the server.
TEST(NetworkPortTest, ARawLineSendsOnlyData) {
  TScript script;
  script.Telnet = false;
  script.Answer = Terminal;
  TRfc2217Peer peer(script);
  NetSession s(peer.Url());
  bool error = true;
  EXPECT_EQ(s.Execute("AT+NAME=?", error), "AT+NAME=?\r\r\n+RESP:+NAME,\"я\xff\",\r\n>");
  EXPECT_FALSE(error);
  EXPECT_EQ(peer.Data(), "AT+NAME=?\r");
}

// What the server refuses or garbles at opening: a clear error naming the address and what was
// wrong, the port closed.
TEST(NetworkPortTest, RefusalsAndGarbageAtOpeningAreClearErrors) {
  const std::string sb = "\xff\xfa\x2c"s;
  struct Case {
    const char* name;
    TScript script;
    std::string wantHolds;
  } cases[] = {
      {"baud rate refused", Script([](TScript& s) { s.BaudAnswer = 9600; }),
       "сервер не принял скорость 115200 (ответил 9600)"},
      {"binary declined", Script([](TScript& s) { s.DeclineBinary = true; }),
       "сервер отказался от двоичного режима telnet"},
      {"COM-PORT declined", Script([](TScript& s) { s.DeclineComPort = true; }),
       "сервер не управляет настройками порта"},
      {"endless subnegotiation",
       Script([&](TScript& s) { s.Greeting = sb + "\x65" + std::string(600, '\x01'); }),
       "нарушен обмен telnet: subnegotiation longer than 512 bytes"},
      {"command inside a subnegotiation",
       Script([&](TScript& s) { s.Greeting = sb + "\x65\xff\xfb\x00"s; }),
       "нарушен обмен telnet: command 251 inside a subnegotiation"},
  };
  for (Case& c : cases) {
    TRfc2217Peer peer(c.script);
    NetSession s(peer.Url());
    const std::string failure = s.OpenFailure();
    const std::string endpoint = "127.0.0.1:" + std::to_string(peer.Port());
    EXPECT_TRUE(Has(failure, endpoint + ": ")) << c.name << ": " << failure;
    EXPECT_TRUE(Has(failure, c.wantHolds)) << c.name << ": " << failure;
  }
}

// A server that accepts and says nothing: rfc2217:// gives up at the connect time-out (the
// Timeout setting x 10); tcp:// opens and reads end by the read rules.
TEST(NetworkPortTest, ASilentServerEndsInTimeOutsNotAHang) {
  TScript script;
  script.Silent = true;
  TRfc2217Peer telnet(script);
  NetSession s(telnet.Url(), 60);
  const auto start = std::chrono::steady_clock::now();
  const std::string failure = s.OpenFailure();
  EXPECT_GE(MsSince(start), 590);
  EXPECT_LE(MsSince(start), 3000);
  EXPECT_TRUE(Has(failure, "сервер не ответил на согласование за 600 мс")) << failure;

  script.Telnet = false;
  TRfc2217Peer raw(script);
  NetSession r(raw.Url());
  bool error = true;
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(r.Execute("AT+NAME=?", error), "");
  EXPECT_FALSE(error);
  // The echo's time-out, then the pause that ends an answer.
  EXPECT_GE(MsSince(begin), 145);
  EXPECT_LE(MsSince(begin), 2000);
}

TEST(NetworkPortTest, ConnectionFailuresNameTheAddress) {
  const int port = FreePort();
  for (const char* scheme : {"tcp", "rfc2217"}) {
    NetSession refused(std::string(scheme) + "://127.0.0.1:" + std::to_string(port));
    const std::string failure = refused.OpenFailure();
    EXPECT_TRUE(Has(failure, "Unable to open com port (Error: 111): 127.0.0.1:" +
                                 std::to_string(port) + ": соединение отвергнуто"))
        << failure;
  }
  NetSession unknown("rfc2217://quillon-test.invalid:2000");
  const std::string failure = unknown.OpenFailure();
  // Without a resolver at hand the look-up may run out of time instead.
  EXPECT_TRUE(Has(failure, "quillon-test.invalid:2000: имя узла не найдено") ||
              Has(failure, "quillon-test.invalid:2000: нет соединения за"))
      << failure;
  NetSession bad("rfc2217://127.0.0.1");
  EXPECT_TRUE(Has(bad.OpenFailure(), "нет номера порта"));
  EXPECT_EQ(ConnectTimeout(250), 2500);
  EXPECT_EQ(ConnectTimeout(2000), 5000);
  EXPECT_EQ(ConnectTimeout(0), 2500);
}

// The server going away is a device that went away: the transaction fails and drops the
// session, the idle watch and the event path notice it too.
TEST(NetworkPortTest, AServerThatDropsTheConnectionIsADeviceGone) {
  for (bool telnet : {false, true}) {
    TScript script;
    script.Telnet = telnet;
    script.Answer = Terminal;
    TRfc2217Peer peer(script);
    NetSession s(peer.Url());
    bool error = true;
    s.Execute("AT+NAME=?", error);
    ASSERT_FALSE(error);
    s.session.InCommandMode = true;
    peer.Disconnect();
    std::this_thread::sleep_for(20ms);
    s.Execute("AT+NAME=?", error);
    EXPECT_TRUE(error) << telnet;
    EXPECT_FALSE(s.session.IsPortOpen()) << telnet;
    EXPECT_FALSE(s.session.InCommandMode) << telnet;
    bool logged = false;
    for (const auto& line : s.log.Lines()) logged |= Has(line.Text, "сервер закрыл соединение");
    EXPECT_TRUE(logged) << telnet;

    s.port.Open();
    ASSERT_TRUE(peer.WaitForConnections(2));
    EXPECT_THROW(
        {
          peer.Disconnect();
          std::this_thread::sleep_for(20ms);
          s.port.QueuedInputCount();
        },
        EComPort);
  }
}

// The operator asks to try again and the server is gone for good: the reconnect window comes
// up, as for an unplugged adapter, and shows why the port does not open.
TEST(NetworkPortTest, AServerGoneForGoodBringsTheReconnectWindow) {
  TScript script;
  script.Answer = Terminal;
  auto peer = std::make_unique<TRfc2217Peer>(script);
  NetSession s(peer->Url());
  bool error = true;
  s.Execute("AT+NAME=?", error);
  ASSERT_FALSE(error);
  peer.reset();
  s.ui.retryAnswers = {true};
  s.ui.reconnectAttempts = 2;
  std::string answer;
  s.session.ExecuteCommand("AT+NAME=?", error, "", false, true, false, -1, answer);
  EXPECT_EQ(s.ui.retryQuestions, 1);
  EXPECT_EQ(s.ui.reconnectWindows, 1);
  ASSERT_FALSE(s.ui.portStates.empty());
  EXPECT_TRUE(Has(s.ui.portStates.back().second, "соединение отвергнуто"))
      << s.ui.portStates.back().second;
  EXPECT_FALSE(s.session.IsPortOpen());
}

// Waiting input counts data bytes only; the readiness handle polls readable while some wait,
// also when a read left part of them, and falls quiet once they are read.
TEST(NetworkPortTest, QueuedInputAndReadinessCountDataOnly) {
  TScript script;
  script.Echo = false;
  TRfc2217Peer peer(script);
  NetSession s(peer.Url());
  s.port.Open();
  const int handle = s.port.ReadinessHandle();
  ASSERT_GE(handle, 0);
  // Negotiation only: readable, but no data.
  peer.SendRaw("\xff\xf1\xff\xfb\x03"s);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(s.port.QueuedInputCount(), 0);
  EXPECT_FALSE(Readable(handle));
  peer.Send(
      "ab\xff"
      "cd");
  std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(Readable(handle));
  EXPECT_EQ(s.port.QueuedInputCount(), 5);
  EXPECT_EQ(s.port.ReadText(2), "ab");
  EXPECT_TRUE(Readable(handle));
  EXPECT_EQ(s.port.QueuedInputCount(), 3);
  EXPECT_EQ(s.port.ReadText(3),
            "\xff"
            "cd");
  EXPECT_FALSE(Readable(handle));
}

// What left the server before it purged never reaches a read, even when it was still on its
// way when the purge went out.
TEST(NetworkPortTest, APurgeDropsWhatTheServerSentBeforeIt) {
  TScript script;
  script.Echo = false;
  TRfc2217Peer peer(script);
  NetSession s(peer.Url());
  s.port.Open();
  for (int round = 0; round < 5; ++round) {
    peer.Send(std::string(2000, 's'));
    s.port.PurgeBuffers(true, true);
    std::this_thread::sleep_for(30ms);
    peer.Send("fresh");
    EXPECT_EQ(s.port.ReadText(100), "fresh") << round;
  }
}

}  // namespace
}  // namespace quillon::test
