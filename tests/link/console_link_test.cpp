// The command-line session policy and its common options.
#include <gtest/gtest.h>

#include "link/console_link.h"
#include "link/console_session_ui.h"
#include "link_fixture.h"

namespace quillon::test {
namespace {

TEST(ConsoleLinkOptionsTest, CommonOptionsAreTakenAndTheRestIsLeft) {
  TConsoleLinkOptions o;
  std::vector<std::string> rest;
  std::string error;
  ASSERT_TRUE(o.Parse(
      {"--port", "ttyUSB1", "--no-wait", "--timeout", "900", "--timeout-echo", "$40", "--speed",
       "12345", "--password", "77", "--verbose", "--connect-tries", "3", "--fast", "AT+X=?"},
      rest, error));
  EXPECT_EQ(rest, (std::vector<std::string>{"--no-wait", "AT+X=?"}));
  EXPECT_TRUE(o.Verbose);
  EXPECT_TRUE(o.Fast);
  EXPECT_EQ(o.ConnectTries, 3);
  TSettings s = DefaultLinkSettings();
  o.ApplyTo(s);
  EXPECT_EQ(s.COM, "ttyUSB1");
  EXPECT_EQ(s.Timeout, 900);
  EXPECT_EQ(s.TimeoutEcho, 64);
  EXPECT_EQ(s.TimeoutInterval, 250);  // not given: the setting stays
  EXPECT_EQ(s.Speed, 12345);
  EXPECT_EQ(s.EffectivePassword, "77");
}

TEST(ConsoleLinkOptionsTest, BadValuesAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"--timeout"}, {"--timeout", "fast"}, {"--speed", "12k"}, {"--connect-tries", "0"}};
  for (const auto& args : cases) {
    TConsoleLinkOptions o;
    std::vector<std::string> rest;
    std::string error;
    EXPECT_FALSE(o.Parse(args, rest, error)) << args[0];
    EXPECT_FALSE(error.empty());
  }
}

TEST(ConsoleSessionUiTest, GivesUpAfterItsTriesAndNeverRetries) {
  TConsoleSessionUi ui(3);
  int tries = 0;
  EXPECT_FALSE(ui.RunEntryWindow([&] { return ++tries == 5; }));
  EXPECT_EQ(tries, 3);
  int opens = 0;
  EXPECT_FALSE(ui.RunReconnectWindow([&] { return ++opens > 1; }));
  EXPECT_EQ(opens, 1);
  EXPECT_FALSE(ui.AskRetry("COM7: the device went away"));
}

TEST(ConsoleSessionUiTest, SessionOnASilentLineEndsWithoutCommandMode) {
  LinkFixture f;
  TConsoleSessionUi ui(4);
  TTerminalSession session(f.port, f.log, f.settings, ui, f.progress);
  f.line->SetEcho(true);
  EXPECT_FALSE(session.EnsureSession());
  EXPECT_TRUE(session.IsPortOpen());
  int codes = 0;
  for (const auto& r : f.line->Requests()) codes += r == "4817365";
  EXPECT_EQ(codes, 4);
}

}  // namespace
}  // namespace quillon::test
