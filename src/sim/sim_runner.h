// Runs the simulated terminal: the protocol engine on the pseudo-terminal, output paced at the
// line's baud rate, until a termination signal or a simulated hang-up.
#pragma once

#include <cstdint>
#include <string>

#include "profile/command_profile.h"
#include "sim/sim_options.h"
#include "sim/sim_protocol_engine.h"
#include "sim/sim_pty_transport.h"

namespace quillon {

class TSimRunner {
 public:
  TSimRunner(const CommandProfile& profile, const TSimOptions& options);

  // Opens the device, announces it on stdout and serves it. The process exit code.
  int Run();

 private:
  // Catches SIGTERM, SIGINT and SIGHUP into a pipe the loop waits on.
  static bool InstallSignalHandlers(std::string& error);
  static void OnSignal(int signal);

  int64_t NowUs() const;
  void Serve();
  void ReadInput();
  void WriteOutput(int64_t nowUs);
  // When WriteOutput wants to run next; INT64_MAX when nothing waits.
  int64_t NextWriteUs() const;
  void Trace(const std::string& text) const;

  TSimOptions options_;
  TSimProtocolEngine engine_;
  TSimPtyTransport transport_;
  int64_t originUs_;
  std::string lineSettings_;  // as last traced

  // The chunk on the line and where the line stands.
  bool writing_ = false;
  TSimProtocolEngine::TChunk chunk_;
  size_t sent_ = 0;
  int64_t chunkStartUs_ = 0;
  int64_t lineFreeUs_ = 0;
};

}  // namespace quillon
