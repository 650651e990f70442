// The status exchange against quillon-sim on a pseudo-terminal, in process: the framer listens
// before the start request goes out, the log masks the passwords, and the parser gets every
// packet as it came.
#include "status/status_exchange.h"

#include <poll.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/console_link.h"
#include "profile/command_profile.h"
#include "settings/settings.h"
#include "sim/simulator_process.h"

namespace quillon {
namespace {

std::vector<std::string> LogTexts(const TLogModel& log) {
  std::vector<std::string> texts;
  for (const TLogLine& line : log.Lines()) texts.push_back(line.Text);
  return texts;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  for (const std::string& t : texts)
    if (t == text) return true;
  return false;
}

// Hands the port's bytes to the listeners for a while, as the window's event loop does.
void Pump(TConsoleLink& link, int ms, const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end && !done() && link.Session.IsPortOpen()) {
    pollfd p{link.Port.ReadinessHandle(), POLLIN, 0};
    if (poll(&p, 1, 50) > 0) link.Session.DispatchPortEvents();
  }
}

TEST(StatusExchangeTest, ParserGetsPacketsAsTheyCameWhileTheLogMasksThem) {
  // A password that also occurs in the identity report's fields ("000417", the IMEI).
  TSimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--password", "0417"}, 5000, error)) << error;
  TSettings settings = LoadConsoleSettings(CommandProfile());
  settings.Timeout = 1000;
  settings.TimeoutInterval = 200;
  settings.TimeoutEcho = 300;
  TConsoleLinkOptions options;
  options.Port = sim.DevicePath();
  options.Password = "0417";
  TConsoleLink link(settings, options);
  link.Settings.Password = "0417";
  ASSERT_EQ(link.Connect(), ceOk);

  const TGeneralNumberFormatter formatter;
  TStatusExchange exchange(link.Session, TStatusTexts(), formatter);
  std::vector<std::string> lines;
  std::string trackerId;
  exchange.OnReport = [&](const std::string& line, const std::vector<TStatusUpdate>& updates) {
    lines.push_back(line);
    for (const TStatusUpdate& u : updates)
      if (u.Field == "eTrackerID") trackerId = u.Text;
  };
  ASSERT_TRUE(exchange.Start());
  EXPECT_TRUE(exchange.Running());
  EXPECT_TRUE(exchange.Start()) << "a second start changes nothing";
  Pump(link, 5000, [&] { return !trackerId.empty(); });
  exchange.Stop();
  EXPECT_FALSE(exchange.Running());

  // The echo of the start request came through the framer: the listener was attached first.
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "AT+SDAD=0417,,3,,,,,,,,,,,");
  EXPECT_EQ(trackerId, "000417");

  const std::vector<std::string> log = LogTexts(link.Log);
  EXPECT_TRUE(Contains(log, ">AT+SDAD=*,,3,,,,,,,,,,,"));
  EXPECT_TRUE(Contains(log, "<AT+SDAD=*,,3,,,,,,,,,,,"));
  EXPECT_TRUE(Contains(log, ">AT+SDAD=*,,0,,,,,,,,,,,"));
  EXPECT_TRUE(Contains(log, "<+RESP:DPRM,VT-300,00*,86*05*364,2.14.0"));
  for (const std::string& line : log) EXPECT_EQ(line.find("0417"), std::string::npos) << line;
  EXPECT_FALSE(link.Port.HasLink(&exchange.Framer())) << "detached on stop";
}

TEST(StatusExchangeTest, NoSessionNoStart) {
  const TSettings settings = LoadConsoleSettings(CommandProfile());
  TConsoleLinkOptions options;
  options.Port = "/nonexistent/tty";
  options.ConnectTries = 1;
  TConsoleLink link(settings, options);
  const TGeneralNumberFormatter formatter;
  TStatusExchange exchange(link.Session, TStatusTexts(), formatter);
  EXPECT_FALSE(exchange.Start());
  EXPECT_FALSE(exchange.Running());
  EXPECT_FALSE(link.Port.HasLink(&exchange.Framer()));
}

}  // namespace
}  // namespace quillon
