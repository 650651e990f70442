// A page run over the real serial layer while the terminal is pulled out and plugged in again:
// quillon-sim behind a fixed link, hung up mid-run and started anew at the same link when the
// operator answers "Повторить". The repeated request goes out only in command mode again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine_rig.h"
#include "sim/simulator_process.h"

namespace quillon::test {
namespace {

// The operator of engine_rig.h, who plugs the terminal in again before answering "Повторить".
class TReplugUi : public TScriptedUi {
 public:
  std::function<void()> Replug;
  bool AskRetry(const std::string& detail) override {
    if (Replug) Replug();
    return TScriptedUi::AskRetry(detail);
  }
};

class ReconnectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/quillon-replug-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    link_ = dir_ + "/tty";
    settings_.Timeout = 1000;
    settings_.TimeoutInterval = 200;
    settings_.TimeoutEcho = 1000;
    settings_.RetryCount = 1;
    settings_.Password = "1234";
    settings_.MasterPassword = "5678";
    settings_.EffectivePassword = "5678";
    settings_.COM = link_;
    settings_.Speed = 115200;
    profile_.LoadCommandProfile("cmdprofile.xml");
    ASSERT_FALSE(profile_.Pages.empty());
    port_.ApplyPortSettings(settings_);
    editor_ = std::make_unique<THeadlessEditor>(profile_);
    engine_ = std::make_unique<TCommandEngine>(profile_, *editor_, session_, settings_);
    RegisterResponseProcessors(profile_, engine_->Processors());
    batch_ = std::make_unique<TBatchOperations>(*engine_);
  }
  void TearDown() override {
    first_.reset();
    second_.reset();
    std::string rm = "rm -rf '" + dir_ + "'";
    std::system(rm.c_str());
  }

  // The terminal behind the link; extra arguments are its faults.
  std::unique_ptr<TSimulatorProcess> StartTerminal(std::vector<std::string> args) {
    auto sim = std::make_unique<TSimulatorProcess>();
    args.insert(args.end(), {"--link", link_, "--password", "1234", "--master-password", "5678"});
    std::string error;
    EXPECT_TRUE(sim->Start(args, 5000, error)) << error;
    return sim;
  }

  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    for (const TLogLine& l : log_.Lines()) lines.push_back(l.Text);
    return lines;
  }
  // The lines written to the terminal after the transfer failure.
  std::vector<std::string> SentAfterTheFailure() const {
    std::vector<std::string> sent;
    bool failed = false;
    for (const std::string& line : Log()) {
      if (line.rfind("E<", 0) == 0) failed = true;
      // The access code goes out after a CR, which the log shows as a line of its own.
      if (failed && line.rfind(">", 0) == 0 && line.size() > 1) sent.push_back(line.substr(1));
    }
    return sent;
  }

  std::string dir_, link_;
  TSettings settings_;
  CommandProfile profile_;
  TLogModel log_{settings_};
  TReplugUi ui_;
  TMemoryProgressBar progress_;
  TComPort port_;  // the real serial layer
  TTerminalSession session_{port_, log_, settings_, ui_, progress_};
  std::unique_ptr<THeadlessEditor> editor_;
  std::unique_ptr<TCommandEngine> engine_;
  std::unique_ptr<TBatchOperations> batch_;
  std::unique_ptr<TSimulatorProcess> first_, second_;
};

// Entry takes 9 bytes ("\r4817365\r"), each poll of the first page 10: the terminal goes while
// "AT+SSRV=?" is sent.
constexpr const char* kHangUpInSecondPoll = "25";

TEST_F(ReconnectTest, RetryEntersCommandModeBeforeTheRequest) {
  first_ = StartTerminal({"--hangup-after", kHangUpInSecondPoll});
  ui_.RetryAnswer = true;
  ui_.Replug = [this] {
    if (!second_) second_ = StartTerminal({});
  };
  ASSERT_TRUE(session_.EnsureSession());
  EXPECT_TRUE(batch_->CmdPollAll({0, 0, 0, 0}));

  const std::vector<std::string> sent = SentAfterTheFailure();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[0], "4817365") << "the access code before the repeated request";
  EXPECT_EQ(sent[1], "AT+SSRV=?");
  EXPECT_EQ(ui_.RetryQuestions, 1);
  EXPECT_TRUE(session_.InCommandMode);
  EXPECT_EQ(progress_.Position(), progress_.Max());
  for (const std::string& line : Log()) EXPECT_EQ(line.find("Процесс прерван"), std::string::npos);
}

TEST_F(ReconnectTest, StoppedEntryAfterRetryStopsTheRun) {
  first_ = StartTerminal({"--hangup-after", kHangUpInSecondPoll});
  ui_.RetryAnswer = true;
  ui_.Replug = [this] {
    if (!second_) second_ = StartTerminal({});
    ui_.EntryTriesAllowed = 0;  // the operator stops the entry window at once
  };
  ASSERT_TRUE(session_.EnsureSession());
  EXPECT_FALSE(batch_->CmdPollAll({0, 0, 0, 0}));

  for (const std::string& line : SentAfterTheFailure())
    EXPECT_EQ(line.rfind("AT", 0), std::string::npos) << "nothing sent out of command mode";
  EXPECT_FALSE(session_.InCommandMode);
  EXPECT_EQ(Log().back(), "]Процесс прерван на команде +SSRV");
  EXPECT_LT(progress_.Position(), progress_.Max());
}

}  // namespace
}  // namespace quillon::test
