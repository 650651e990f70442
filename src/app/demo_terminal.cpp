#include "app/demo_terminal.h"

#include "settings/program_paths.h"
#include "sim/simulator_process.h"

namespace quillon {

namespace {

// The passwords the demonstration terminal is started with; a run without stored passwords
// uses them so that applies go through.
constexpr const char* kDemoPassword = "1234";
constexpr const char* kDemoMasterPassword = "5678";
constexpr int kStartTimeoutMs = 5000;

}  // namespace

struct TDemoTerminal::TImpl {
  TSimulatorProcess process;
};

TDemoTerminal::TDemoTerminal() : impl_(std::make_unique<TImpl>()) {}

TDemoTerminal::~TDemoTerminal() {
  Stop();
}

bool TDemoTerminal::Start(std::string& error) {
  const std::vector<std::string> arguments = {"--profile",         ProgramPaths().ProfileFile,
                                              "--password",        kDemoPassword,
                                              "--master-password", kDemoMasterPassword};
  if (!impl_->process.Start(arguments, kStartTimeoutMs, error)) {
    error = "cannot start the simulated terminal: " + error;
    return false;
  }
  devicePath_ = impl_->process.DevicePath();
  password_ = kDemoPassword;
  masterPassword_ = kDemoMasterPassword;
  return true;
}

void TDemoTerminal::Stop() {
  impl_->process.Stop();
}

}  // namespace quillon
