// Ports on the network beside the local pseudo-terminal, measured in one run against quillon-sim
// at 115200 baud, with Debian's ser2net on 127.0.0.1 in front of it:
//
//   quillon_network_bench [--runs N] [--table]
//
// (a) A page poll and a page apply of the sample profile's first page through the command
//     engine in this process, with the ordinary timing (250 ms), over the local pseudo-terminal
//     of one simulated terminal and over rfc2217:// and tcp:// to ser2net in front of others,
//     the runs taking turns. The ratio network / local is taken run by run (goal <= 1.02x).
//     ser2net runs as the README configures it (chardelay: false); one more rfc2217:// line
//     shows what its default pause of two characters after the device's bytes costs.
// (b) quillon-cli provision of 8 simulated terminals behind two ser2net instances (four
//     rfc2217 accepters each, one worker per port) beside one terminal behind ser2net
//     (goal <= 1.25x).
//
// Every figure is the median of the runs. --table prints tab-separated rows for scripts/bench.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/bench_args.h"
#include "bench/support/bench_timing.h"
#include "bench/support/engine_rig.h"
#include "configfiles/config_file.h"
#include "settings/program_paths.h"
#include "sim/simulator_process.h"
#include "support/ser2net_process.h"

namespace {

using namespace quillon;
using test::TSer2net;

constexpr int kBaud = 115200;
constexpr int kTimeoutMs = 250;

using bench::Median;
using bench::NowMs;

std::string Beside(const std::string& name) {
  return ExecutableDir() + "/" + name;
}

// Simulated terminals, each with its own IMEI, and ser2net instances in front of some.
struct TBench {
  std::vector<std::unique_ptr<TSimulatorProcess>> Sims;
  std::vector<std::unique_ptr<TSer2net>> Gateways;

  TSimulatorProcess* Terminal(const std::string& imei) {
    Sims.push_back(std::make_unique<TSimulatorProcess>());
    std::string error;
    if (!Sims.back()->Start({"--imei", imei, "--baud", std::to_string(kBaud)}, 5000, error)) {
      std::fprintf(stderr, "quillon-sim did not start: %s\n", error.c_str());
      return nullptr;
    }
    return Sims.back().get();
  }
  // One ser2net with an accepter of the given kind in front of each device; their URLs.
  std::vector<std::string> Gateway(const std::vector<std::string>& devices,
                                   TSer2net::TAccepter kind, bool charDelay = false) {
    std::vector<TSer2net::TConnection> connections;
    for (const std::string& d : devices) connections.push_back({kind, d, charDelay});
    Gateways.push_back(std::make_unique<TSer2net>());
    std::string error;
    if (!Gateways.back()->Start(connections, error)) {
      std::fprintf(stderr, "ser2net did not start: %s\n", error.c_str());
      return {};
    }
    std::vector<std::string> urls;
    for (const auto& c : connections) urls.push_back(c.Url());
    return urls;
  }
};

struct TLine {
  const char* Name;
  bench::TEngineRig Rig;
  std::vector<double> Poll, Apply;
};

// (a) The three lines take turns, so that a busy moment of the machine hits them alike.
bool BenchPages(TBench& bench, int runs, bool table) {
  TSimulatorProcess* local = bench.Terminal("860000000000101");
  TSimulatorProcess* behindRfc = bench.Terminal("860000000000102");
  TSimulatorProcess* behindTcp = bench.Terminal("860000000000103");
  TSimulatorProcess* behindDelay = bench.Terminal("860000000000104");
  if (!local || !behindRfc || !behindTcp || !behindDelay) return false;
  const std::vector<std::string> rfc = bench.Gateway({behindRfc->DevicePath()}, TSer2net::Telnet);
  const std::vector<std::string> tcp = bench.Gateway({behindTcp->DevicePath()}, TSer2net::Raw);
  const std::vector<std::string> delayed =
      bench.Gateway({behindDelay->DevicePath()}, TSer2net::Telnet, true);
  if (rfc.empty() || tcp.empty() || delayed.empty()) return false;
  TLine lines[] = {{"local pseudo-terminal", {}, {}, {}},
                   {"rfc2217:// via ser2net", {}, {}, {}},
                   {"tcp:// via ser2net", {}, {}, {}},
                   {"rfc2217://, chardelay on", {}, {}, {}}};
  const std::string ports[] = {local->DevicePath(), rfc[0], tcp[0], delayed[0]};
  for (int i = 0; i < 4; ++i) {
    std::string error;
    if (!lines[i].Rig.Start(Beside("cmdprofile.xml"), ports[i], kBaud, kTimeoutMs, nullptr,
                            error)) {
      std::fprintf(stderr, "%s: %s\n", lines[i].Name, error.c_str());
      return false;
    }
  }
  const ParamAddress page{0, 0, 0, 0};
  bool ok = true;
  for (TLine& line : lines) ok = ok && line.Rig.Batch->CmdPollAll(page);  // values to write back
  for (int r = 0; r < runs && ok; ++r)
    for (TLine& line : lines)
      for (const bool apply : {false, true}) {
        const double start = NowMs();
        ok = ok && (apply ? line.Rig.Batch->CmdApplyAll(page) : line.Rig.Batch->CmdPollAll(page));
        (apply ? line.Apply : line.Poll).push_back(NowMs() - start);
      }
  if (!ok) {
    std::fprintf(stderr, "quillon_network_bench: a page run failed\n");
    return false;
  }
  std::printf(
      "(a) page 1 of the sample profile through the command engine, Timeout, TimeoutInterval,\n"
      "    TimeoutEcho %d ms, quillon-sim at %d baud; median of %d runs\n",
      kTimeoutMs, kBaud, runs);
  for (const bool apply : {false, true}) {
    const char* what = apply ? "page apply" : "page poll";
    const auto& reference = apply ? lines[0].Apply : lines[0].Poll;
    for (const TLine& line : lines) {
      const auto& times = apply ? line.Apply : line.Poll;
      std::vector<double> ratios;
      for (size_t i = 0; i < times.size(); ++i) ratios.push_back(times[i] / reference[i]);
      const double ratio = Median(ratios);
      const bool measured = &line == &lines[1] || &line == &lines[2];
      std::printf("  %-10s %-26s %7.0f ms  %.3fx of local%s\n", what, line.Name, Median(times),
                  ratio, measured ? "  (goal <= 1.02x)" : "");
      if (table && &line != &lines[0])
        std::printf("row\t%s, %s\t%.0f ms\tlocal %.0f ms\t%.3fx\t%s\n", what, line.Name,
                    Median(times), Median(reference), ratio, measured ? "<= 1.02x" : "");
    }
  }
  return true;
}

// One run: units fresh terminals behind ser2net (four to an instance), provisioned at once.
double Provision(const std::string& folder, const std::string& templateFile, int units) {
  TBench bench;
  std::string ports;
  for (int first = 0; first < units; first += 4) {
    std::vector<std::string> devices;
    for (int i = first; i < std::min(units, first + 4); ++i) {
      TSimulatorProcess* sim = bench.Terminal("8600000000002" + std::to_string(10 + i));
      if (sim == nullptr) return -1;
      devices.push_back(sim->DevicePath());
    }
    for (const std::string& url : bench.Gateway(devices, TSer2net::Telnet))
      ports += (ports.empty() ? "" : ",") + url;
  }
  return bench::ProvisionSeconds(Beside("quillon-cli"),
                                 {"--config", templateFile, "--ports", ports, "--snapshots",
                                  folder + "/snapshots", "--password", "1234", "--master-password",
                                  "5678", "--allow-defaults", "--speed", std::to_string(kBaud)});
}

bool BenchProvisioning(int runs, bool table) {
  CommandProfile profile;
  profile.LoadCommandProfile(Beside("cmdprofile.xml"));
  const std::string folder = (std::filesystem::temp_directory_path() /
                              ("quillon-network-bench-" + std::to_string(getpid())))
                                 .string();
  std::filesystem::create_directories(folder);
  THeadlessEditor editor(profile);
  const std::string templateFile = folder + "/template.zxml";
  TConfigMessages messages;
  if (!SaveConfigurationToFile(profile, editor, templateFile, messages)) {
    std::fprintf(stderr, "quillon_network_bench: cannot write the template\n");
    return false;
  }
  std::vector<double> one, eight;
  bool ok = true;
  for (int r = 0; r < runs && ok; ++r) {
    one.push_back(Provision(folder, templateFile, 1));
    eight.push_back(Provision(folder, templateFile, 8));
    ok = one.back() > 0 && eight.back() > 0;
  }
  std::filesystem::remove_all(folder);
  if (!ok) {
    std::fprintf(stderr, "quillon_network_bench: a provisioning run failed\n");
    return false;
  }
  const double a = Median(one), b = Median(eight);
  std::printf(
      "(b) quillon-cli provision over rfc2217:// via ser2net, median of %d runs\n"
      "  1 unit:                            %.2f s\n"
      "  8 units behind two ser2net:        %.2f s  (%.2fx of one unit; goal <= 1.25x)\n",
      runs, a, b, b / a);
  if (table)
    std::printf(
        "row\tprovisioning, 8 units behind two ser2net\t%.2f s\t1 unit %.2f s\t%.2fx\t"
        "<= 1.25x\n",
        b, a, b / a);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  InitProgramPaths(argc > 0 ? argv[0] : "quillon_network_bench");
  bench::TBenchArgs args;
  args.Runs = 5;
  if (!bench::ParseBenchArgs(argc, argv, "quillon_network_bench", args)) return 2;
  if (TSer2net::Executable().empty()) {
    std::fprintf(stderr, "quillon_network_bench: ser2net is not installed (scripts/setup)\n");
    return 1;
  }
  TBench pages;
  const bool ok = BenchPages(pages, args.Runs, args.Table);
  std::printf("\n");
  return ok && BenchProvisioning(std::max(1, args.Runs / 2), args.Table) ? 0 : 1;
}
