// Speed on the line, against quillon-sim at 115200 baud, for the sample profile and the large one
// (40 pages x 20 commands x 6 parameters; page 1 has 20 commands, four of them with three
// instances):
//
//   quillon_line_bench [--runs N] [--table]
//
// (a) Fast answers: "quillon-cli poll --page 1 --json" as a script runs it (a whole process:
//     start, command-mode entry, the page), with and without --fast, the runs alternating. The
//     medians side by side, and whether every run of both printed the same values.
// (b) Line efficiency: a page poll and a page apply of page 1 through the command engine in this
//     process, with the ordinary timing, beside the floor the timing rules allow. Per
//     transaction the floor is (request bytes + 100 x floor(answer bytes / 100)) x 10 / baud +
//     the answer time-out: every answer read but the last ends with its 100th byte, and the last
//     one waits out its time-out from its start. The ratio is taken run by run.
//
// Every figure is the median of the runs. --table prints tab-separated rows for scripts/bench.
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/bench_args.h"
#include "bench/support/bench_timing.h"
#include "bench/support/engine_rig.h"
#include "bench/support/large_profile.h"
#include "link/serial_platform.h"
#include "settings/program_paths.h"
#include "sim/simulator_process.h"

namespace {

using namespace quillon;

constexpr int kBaud = 115200;
constexpr int kTimeoutMs = 250;  // Timeout, TimeoutInterval and TimeoutEcho alike
const char kPassword[] = "1234";
const char kMasterPassword[] = "5678";

using bench::Median;
using bench::NowMs;

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a command line through the shell; stdout comes back, stderr is dropped.
bool Run(const std::vector<std::string>& args, std::string& out) {
  std::string line;
  for (const std::string& a : args) line += Quoted(a) + " ";
  line += "2>/dev/null";
  out.clear();
  FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = pclose(pipe);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Passes everything on to the real port and notes, per transaction (each begins by purging
// both queues), the bytes written, the echo, the answer bytes and the answer time-out the first
// answer read ran under.
class TRecordingLine : public ISerialPlatform {
 public:
  struct TExchange {
    size_t Request = 0;
    size_t Answer = 0;
    int Reads = 0;
    int32_t AnswerTimeout = 0;
  };
  std::vector<TExchange> Exchanges;

  explicit TRecordingLine(std::shared_ptr<ISerialPlatform> inner) : inner_(std::move(inner)) {}

  double FloorMs() const {
    double ms = 0;
    for (const TExchange& e : Exchanges) {
      const size_t bytes = e.Request + 100 * (e.Answer / 100);
      ms += static_cast<double>(bytes) * 10 * 1000 / kBaud + e.AnswerTimeout;
    }
    return ms;
  }

  void Open(const std::string& name) override { inner_->Open(name); }
  void Close() override { inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  void SetQueueSizes(int in, int out) override { inner_->SetQueueSizes(in, out); }
  void SetLineSettings(const TLineSettings& s) override { inner_->SetLineSettings(s); }
  void SetTimeouts(const TComTimeouts& t) override {
    inner_->SetTimeouts(t);
    timeouts_ = t;
  }
  void Purge(bool input, bool output) override {
    inner_->Purge(input, output);
    if (input && output) Exchanges.emplace_back();
  }
  int Write(const char* data, int count) override {
    const int n = inner_->Write(data, count);
    if (!Exchanges.empty()) Exchanges.back().Request += static_cast<size_t>(std::max(n, 0));
    return n;
  }
  int Read(char* buffer, int count) override {
    const int32_t total = timeouts_.ReadTotalConstant;
    const int n = inner_->Read(buffer, count);
    if (Exchanges.empty()) return n;
    TExchange& e = Exchanges.back();
    if (e.Reads == 1) e.AnswerTimeout = total;
    if (e.Reads > 0) e.Answer += static_cast<size_t>(std::max(n, 0));
    ++e.Reads;
    return n;
  }
  int QueuedInputCount() override { return inner_->QueuedInputCount(); }
  int ReadinessHandle() const override { return inner_->ReadinessHandle(); }
  int64_t NowMs() const override { return inner_->NowMs(); }

 private:
  std::shared_ptr<ISerialPlatform> inner_;
  TComTimeouts timeouts_;
};

// The command engine on a recorded port.
struct TEngineRig : bench::TEngineRig {
  std::shared_ptr<TRecordingLine> Line = std::make_shared<TRecordingLine>(CreateSerialPlatform());

  bool Start(const std::string& profileFile, const std::string& device, std::string& error) {
    return bench::TEngineRig::Start(profileFile, device, kBaud, kTimeoutMs, Line, error);
  }
};

struct TEfficiency {
  std::string What;
  std::vector<double> Measured, Floor, Ratio, Fast;
  size_t Transactions = 0;
  bool Failed = false;
};

// One page operation, timed, with the floor of the transactions it made.
void TimeOnce(TEngineRig& rig, bool fast, const std::function<bool()>& operation, TEfficiency& e) {
  rig.Session->SetFastAnswer(fast);
  rig.Line->Exchanges.clear();
  const double start = NowMs();
  const bool ok = operation();
  const double ms = NowMs() - start;
  if (!ok) e.Failed = true;
  if (fast) {
    e.Fast.push_back(ms);
    return;
  }
  const double floor = rig.Line->FloorMs();
  e.Measured.push_back(ms);
  e.Floor.push_back(floor);
  e.Ratio.push_back(ms / floor);
  e.Transactions = rig.Line->Exchanges.size();
}

struct TFastPoll {
  std::string What;
  std::vector<double> Plain, Fast;
  bool Identical = true;
  bool Failed = false;
  size_t Values = 0;
};

size_t CountValues(const std::string& json) {
  size_t n = 0;
  for (size_t at = json.find("\"value\": "); at != std::string::npos;
       at = json.find("\"value\": ", at + 1))
    ++n;
  return n;
}

TFastPoll BenchFastPoll(const std::string& what, const std::string& cli, const std::string& profile,
                        const std::string& device, int runs) {
  TFastPoll r;
  r.What = what;
  const std::vector<std::string> args = {cli,
                                         "poll",
                                         "--page",
                                         "1",
                                         "--json",
                                         "--profile",
                                         profile,
                                         "--port",
                                         device,
                                         "--speed",
                                         std::to_string(kBaud),
                                         "--timeout",
                                         std::to_string(kTimeoutMs),
                                         "--timeout-interval",
                                         std::to_string(kTimeoutMs),
                                         "--timeout-echo",
                                         std::to_string(kTimeoutMs),
                                         "--password",
                                         kPassword,
                                         "--master-password",
                                         kMasterPassword};
  std::vector<std::string> fastArgs = args;
  fastArgs.push_back("--fast");
  std::string reference;
  for (int i = 0; i < runs; ++i) {
    for (const bool fast : {false, true}) {
      std::string out;
      const double start = NowMs();
      const bool ok = Run(fast ? fastArgs : args, out);
      (fast ? r.Fast : r.Plain).push_back(NowMs() - start);
      if (!ok) r.Failed = true;
      if (reference.empty()) reference = out;
      if (out != reference) r.Identical = false;
    }
  }
  r.Values = CountValues(reference);
  if (r.Values == 0) r.Identical = false;
  return r;
}

TEfficiency BenchEfficiency(const std::string& what, TEngineRig& rig, bool apply, int runs) {
  TEfficiency e;
  e.What = what;
  const ParamAddress page{0, 0, 0, 0};
  const std::function<bool()> poll = [&] { return rig.Batch->CmdPollAll(page); };
  const std::function<bool()> write = [&] { return rig.Batch->CmdApplyAll(page); };
  // The editor holds the terminal's values before anything is written back.
  if (apply && !poll()) e.Failed = true;
  for (int i = 0; i < runs; ++i)
    for (const bool fast : {false, true}) TimeOnce(rig, fast, apply ? write : poll, e);
  return e;
}

struct TProfileRun {
  std::string Name;
  std::string File;
};

}  // namespace

int main(int argc, char** argv) {
  // quillon-sim and quillon-cli are found beside this program, from whatever folder it runs in.
  quillon::InitProgramPaths(argc > 0 ? argv[0] : "quillon_line_bench");
  quillon::bench::TBenchArgs args;
  args.Runs = 5;
  if (!quillon::bench::ParseBenchArgs(argc, argv, "quillon_line_bench", args)) return 2;
  const int runs = args.Runs;
  const bool table = args.Table;
  const std::string bin = Folder(TSimulatorProcess::DefaultExecutable());
  const std::string cli = bin + "/quillon-cli";

  char folderTemplate[] = "/tmp/quillon-line-bench-XXXXXX";
  if (mkdtemp(folderTemplate) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string folder = folderTemplate;
  const std::string large = folder + "/large.xml";
  {
    const QByteArray xml = bench::GenerateProfile();
    std::ofstream(large, std::ios::binary).write(xml.constData(), xml.size());
  }
  const std::vector<TProfileRun> profiles = {{"sample profile", bin + "/cmdprofile.xml"},
                                             {"40x20x6 profile", large}};

  std::vector<TFastPoll> fastPolls;
  std::vector<TEfficiency> efficiencies;
  bool failed = false;
  for (const TProfileRun& p : profiles) {
    TSimulatorProcess sim;
    std::string error;
    if (!sim.Start({"--profile", p.File, "--baud", std::to_string(kBaud)}, 10000, error)) {
      std::fprintf(stderr, "quillon-sim did not start: %s\n", error.c_str());
      failed = true;
      continue;
    }
    fastPolls.push_back(BenchFastPoll("page poll, " + p.Name, cli, p.File, sim.DevicePath(), runs));
    TEngineRig rig;
    if (!rig.Start(p.File, sim.DevicePath(), error)) {
      std::fprintf(stderr, "%s: %s\n", p.Name.c_str(), error.c_str());
      failed = true;
      continue;
    }
    efficiencies.push_back(BenchEfficiency("page poll, " + p.Name, rig, false, runs));
    efficiencies.push_back(BenchEfficiency("page apply, " + p.Name, rig, true, runs));
  }
  std::remove(large.c_str());
  rmdir(folder.c_str());

  std::printf(
      "quillon-sim at %d baud; Timeout, TimeoutInterval, TimeoutEcho %d ms; median of %d "
      "runs\n\n(a) quillon-cli poll --page 1, with and without --fast\n",
      kBaud, kTimeoutMs, runs);
  for (const TFastPoll& f : fastPolls) {
    const double plain = Median(f.Plain), fast = Median(f.Fast);
    failed = failed || f.Failed || !f.Identical;
    std::printf("  %-34s plain %7.0f ms  --fast %6.0f ms  %5.1fx faster  values %s (%zu)%s\n",
                f.What.c_str(), plain, fast, plain / fast, f.Identical ? "identical" : "DIFFER",
                f.Values, f.Failed ? "  FAILED" : "");
    if (table)
      std::printf(
          "row\t%s, --fast\t%.0f ms, values %s\twithout --fast %.0f ms\t%.1fx faster\t"
          ">= 5x faster, identical values\n",
          f.What.c_str(), fast, f.Identical ? "identical" : "DIFFER", plain, plain / fast);
  }
  std::printf("\n(b) line efficiency in process, ordinary timing, against the floor\n");
  for (const TEfficiency& e : efficiencies) {
    failed = failed || e.Failed;
    const double measured = Median(e.Measured), floor = Median(e.Floor);
    const double ratio = Median(e.Ratio);
    std::printf(
        "  %-34s %3zu transactions  measured %7.0f ms  floor %7.0f ms  %.3fx  "
        "(fast answers %.0f ms)%s\n",
        e.What.c_str(), e.Transactions, measured, floor, ratio, Median(e.Fast),
        e.Failed ? "  FAILED" : "");
    if (table)
      std::printf(
          "row\tline efficiency, %s\t%.0f ms\tfloor %.0f ms\t%.3fx\t<= 1.02x of the floor\n",
          e.What.c_str(), measured, floor, ratio);
  }
  return failed ? 1 : 0;
}
