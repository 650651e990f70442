#include "app/demo_terminal.h"

namespace quillon {

struct TDemoTerminal::TImpl {};

TDemoTerminal::TDemoTerminal() : impl_(std::make_unique<TImpl>()) {}

TDemoTerminal::~TDemoTerminal() {
  Stop();
}

bool TDemoTerminal::Start(std::string& error) {
  error = "the simulated terminal is not available in this build";
  return false;
}

void TDemoTerminal::Stop() {}

}  // namespace quillon
