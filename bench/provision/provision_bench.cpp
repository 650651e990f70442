// Provisioning of one simulated terminal and of four at once, side by side: the workers run
// in parallel, so four lines should take little longer than one (goal: within 1.25x).
//
//   quillon_provision_bench [--runs N] [--table]
//
// Each run starts fresh simulators (quillon-sim at 115200 baud, each its own IMEI), writes the
// template (the profile's defaults with a fleet server) and times `quillon-cli provision` from
// start to end, with the default timing and with --fast. Prints the median of the runs;
// --table prints tab-separated rows for scripts/bench.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/bench_args.h"
#include "bench/support/bench_timing.h"
#include "configfiles/config_file.h"
#include "editor/headless_editor.h"
#include "profile/command_profile.h"
#include "settings/program_paths.h"
#include "sim/simulator_process.h"

namespace {

using quillon::TSimulatorProcess;

std::string Beside(const std::string& name) {
  return quillon::ExecutableDir() + "/" + name;
}

// One run: `units` simulators provisioned in one call.
double Run(const std::string& folder, const std::string& templateFile, int units, bool fast) {
  std::vector<std::unique_ptr<TSimulatorProcess>> sims;
  std::string ports;
  for (int i = 0; i < units; ++i) {
    sims.push_back(std::make_unique<TSimulatorProcess>());
    const std::string imei = "8600000000000" + std::to_string(10 + i);
    std::string error;
    if (!sims.back()->Start({"--imei", imei, "--baud", "115200"}, 5000, error)) {
      std::fprintf(stderr, "quillon_provision_bench: %s\n", error.c_str());
      return -1;
    }
    ports += (i ? "," : "") + sims.back()->DevicePath();
  }
  std::vector<std::string> args = {"--config",
                                   templateFile,
                                   "--ports",
                                   ports,
                                   "--snapshots",
                                   folder + "/snapshots",
                                   "--password",
                                   "1234",
                                   "--master-password",
                                   "5678",
                                   "--allow-defaults",
                                   "--speed",
                                   "115200"};
  if (fast) args.push_back("--fast");
  return quillon::bench::ProvisionSeconds(Beside("quillon-cli"), args);
}

}  // namespace

int main(int argc, char** argv) {
  quillon::InitProgramPaths(argv[0]);
  quillon::bench::TBenchArgs args;
  args.Runs = 3;
  if (!quillon::bench::ParseBenchArgs(argc, argv, "quillon_provision_bench", args)) return 2;
  const int runs = args.Runs;
  const bool table = args.Table;
  quillon::CommandProfile profile;
  profile.LoadCommandProfile(Beside("cmdprofile.xml"));
  if (profile.Pages.empty()) {
    std::fprintf(stderr, "quillon_provision_bench: no command profile beside the program\n");
    return 1;
  }
  const std::string folder = (std::filesystem::temp_directory_path() /
                              ("quillon-provision-bench-" + std::to_string(getpid())))
                                 .string();
  std::filesystem::create_directories(folder);
  quillon::THeadlessEditor editor(profile);
  int page = -1, command = -1;
  if (profile.FindCommand("+SSRV", page, command)) {
    editor.SetInputText(page, command, 0, 0, "10.20.30.40");
    editor.SetInputText(page, command, 0, 1, "9000");
  }
  const std::string templateFile = folder + "/template.zxml";
  quillon::TConfigMessages messages;
  if (!quillon::SaveConfigurationToFile(profile, editor, templateFile, messages)) {
    std::fprintf(stderr, "quillon_provision_bench: cannot write the template\n");
    return 1;
  }

  // With the default timing a unit waits for every answer's quiet pause; with --fast the
  // line itself and the processes' work decide, so the parallel workers are tested harder.
  bool failed = false;
  for (const bool fast : {false, true}) {
    std::vector<double> one, four;
    for (int r = 0; r < runs && !failed; ++r) {
      one.push_back(Run(folder, templateFile, 1, fast));
      four.push_back(Run(folder, templateFile, 4, fast));
      failed = one.back() < 0 || four.back() < 0;
    }
    if (failed) break;
    const double a = quillon::bench::Median(one), b = quillon::bench::Median(four);
    const char* how = fast ? ", --fast" : "";
    if (table)
      std::printf(
          "row\tprovisioning, 4 units at 115200 baud%s\t%.2f s\t1 unit %.2f s\t%.2fx\t"
          "<= 1.25x\n",
          how, b, a, b / a);
    else
      std::printf(
          "provisioning at 115200 baud%s (median of %d runs)\n  1 unit:  %.2f s\n"
          "  4 units: %.2f s  (%.2fx of one unit; goal <= 1.25x)\n",
          how, runs, a, b, b / a);
  }
  std::filesystem::remove_all(folder);
  if (failed) {
    std::fprintf(stderr, "quillon_provision_bench: a provisioning run failed\n");
    return 1;
  }
  return 0;
}
