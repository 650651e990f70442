// quillon-sim: a simulated Veltra terminal on a pseudo-terminal, for the end-to-end tests and
// the demonstration mode of Quillon.
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iostream>

#include "profile/command_profile.h"
#include "settings/program_paths.h"
#include "sim/sim_options.h"
#include "sim/sim_runner.h"

using namespace quillon;

int main(int argc, char** argv) {
  InitProgramPaths(argc > 0 ? argv[0] : "quillon-sim");
  TSimOptions options;
  std::string error;
  if (!ParseSimOptions(argc, argv, options, error)) {
    std::cerr << "quillon-sim: " << error << " (see --help)\n";
    return 2;
  }
  if (options.Help) {
    std::cout << SimUsageText();
    return 0;
  }
  if (options.ExitWithParent) {
    // SIGTERM ends the run cleanly (the link is removed); a parent already gone means the
    // process was handed to a reaper before the request could take effect.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() == 1) return 0;
  }
  if (options.ProfileFile.empty()) options.ProfileFile = ProgramPaths().ProfileFile;
  if (!std::ifstream(options.ProfileFile)) {
    std::cerr << "quillon-sim: cannot read the command profile " << options.ProfileFile << "\n";
    return 1;
  }
  CommandProfile profile;
  profile.LoadCommandProfile(options.ProfileFile);
  TSimRunner runner(profile, options);
  return runner.Run();
}
