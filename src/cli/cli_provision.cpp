// quillon-cli provision: one worker process per port (this program run again as the hidden
// provision-unit subcommand), the live view, REPORT.csv and the summary, and --watch.
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/config_transfer.h"
#include "cli/engine_cli.h"
#include "cli/provision_args.h"
#include "cli/provision_live.h"
#include "cli/provision_report.h"
#include "cli/provision_worker.h"
#include "cli/stop_signals.h"
#include "cli/units_csv.h"
#include "configfiles/atomic_file.h"
#include "configfiles/config_file.h"
#include "editor/headless_editor.h"
#include "engine/recording_editor.h"
#include "engine/restore_rules.h"
#include "link/password_masker.h"
#include "link/port_address.h"
#include "profile/cp1251.h"
#include "settings/program_paths.h"

namespace quillon::cli {

namespace {

constexpr char kName[] = "provision";
// Lines of a worker's stderr kept until its unit ends, when they would break the live lines.
constexpr size_t kKeptErrorLines = 200;

// The worker's arguments: everything the parent was given except what only the parent uses
// (--ports, --all-ports, --report, --jobs, --watch), then the one port. Engine options the
// parent does not know by name (such as a newer flag) pass through unchanged.
std::vector<std::string> WorkerArguments(const Args& args, const std::string& program,
                                         const std::string& port) {
  static const std::set<std::string> parentWithValue = {"--ports", "--report", "--jobs"};
  static const std::set<std::string> parentFlags = {"--all-ports", "--watch"};
  static const std::set<std::string> withValue = {
      "--config",           "--units",        "--snapshots",   "--timeout",
      "--timeout-interval", "--speed",        "--profile",     "--password",
      "--connect-tries",    "--timeout-echo", "--retry-count", "--master-password"};
  std::vector<std::string> out = {program, "provision-unit"};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (parentFlags.count(a)) continue;
    if (parentWithValue.count(a)) {
      ++i;
      continue;
    }
    out.push_back(a);
    if (withValue.count(a) && i + 1 < args.size()) out.push_back(args[++i]);
  }
  out.insert(out.end(), {"--port", port});
  return out;
}

bool ValidImei(const std::string& imei) {
  return imei.size() == 15 && imei.find_first_not_of("0123456789") == std::string::npos;
}

// Every check that needs no terminal: the template loads as a restore loads it, and every row
// of UNITS.csv, put over it, may be sent. False with the exit code and the message on stderr.
bool CheckBeforeAnyPort(const TProvisionArgs& args, const CommandProfile& profile, int& code) {
  THeadlessEditor editor(profile);
  TRecordingEditor recorder(editor);
  TConfigMessages messages;
  const TLoadResult loaded = LoadConfigurationFromFile(profile, recorder, args.Template, messages);
  if (loaded.Outcome == loLoaded) TakeEmptyTextElements(profile, recorder, loaded);
  for (const std::string& line : messages.Lines()) Fail(kName, args.Template + ": " + Utf8(line));
  if (loaded.Outcome != loLoaded || !messages.Empty()) {
    if (loaded.Outcome == loCorrupt) Fail(kName, Utf8(loaded.Error));
    Fail(kName, "the template " + args.Template + " cannot be written as it is; nothing was sent");
    code = ceFailure;
    return false;
  }
  TUnitsTable units;
  if (!args.Units.empty()) {
    std::ifstream in(args.Units, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    if (!in) {
      Fail(kName, "cannot read " + args.Units);
      code = ceFailure;
      return false;
    }
    const std::string error = ReadUnitsCsv(profile, bytes.str(), units);
    if (!error.empty()) {
      Fail(kName, args.Units + ": " + error + "; nothing was sent");
      code = ceUsage;
      return false;
    }
  }
  if (args.AllowDefaults) return true;
  // A parameter the terminal never reports must get its value from the template or the row.
  std::map<std::string, std::vector<TUnitValue>> rows = units.Rows;
  if (args.Units.empty()) rows[""] = {};
  std::set<std::tuple<int, int, int>> instances;
  for (const TLoadedInstance& i : loaded.Instances)
    instances.insert({i.Page, i.Command, i.Instance});
  for (const auto& [imei, values] : rows)
    for (const TUnitValue& v : values) instances.insert({v.Page, v.Command, v.Instance});
  // One message per parameter, however many rows lack it.
  std::map<std::tuple<int, int, int, int>, std::vector<std::string>> missing;
  for (const auto& [page, command, instance] : instances) {
    const TDevCommand& cmd = *profile.Command(page, command);
    if (!RestoreMayWrite(cmd)) continue;
    std::set<int> templateGives;
    for (int j = 0; j < static_cast<int>(cmd.Parameters.size()); ++j)
      if (recorder.Given(page, command, instance, j)) templateGives.insert(j);
    for (const auto& [imei, values] : rows) {
      std::set<int> given = templateGives;
      for (const TUnitValue& v : values)
        if (v.Page == page && v.Command == command && v.Instance == instance) given.insert(v.Param);
      for (int j : UnreadableWithoutValue(cmd, editor, page, command, instance, given))
        missing[{page, command, instance, j}].push_back(imei);
    }
  }
  for (const auto& [where, imeis] : missing) {
    const auto& [page, command, instance, j] = where;
    const TDevCommand& cmd = *profile.Command(page, command);
    std::string whose = "the template gives no value";
    if (!args.Units.empty()) {
      whose = "neither the template nor the row of IMEI " + imeis[0];
      if (imeis.size() > 1) whose += " (and " + std::to_string(imeis.size() - 1) + " more)";
      whose += " gives a value";
    }
    Fail(kName, Address(cmd, instance, j) + " (" + Utf8(cmd.Parameters[j].Description) +
                    ") cannot be read back from the terminal and " + whose +
                    ": it would be written with the profile's value (--allow-defaults allows "
                    "that)");
  }
  const bool ok = missing.empty();
  if (!ok) {
    Fail(kName, "nothing was sent");
    code = ceUsage;
  }
  return ok;
}

int TerminalWidth() {
  struct winsize size {};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

class TProvisionRun {
 public:
  TProvisionRun(const TProvisionArgs& args, const Args& raw, const TPasswordMasker& masker)
      : args_(args),
        raw_(raw),
        masker_(masker),
        live_(stdout, isatty(STDOUT_FILENO) != 0, TerminalWidth()) {
    // Tests and wrappers (a worker under a debugger or a tracer) may name another program.
    const char* other = std::getenv("QUILLON_PROVISION_WORKER");
    program_ = other && *other ? other : ExecutablePath();
    holdErrors_ = live_.Terminal() && isatty(STDERR_FILENO) != 0;
  }

  int Run();

 private:
  struct TUnit {
    std::string Port;
    std::unique_ptr<TProvisionWorker> Worker;
    std::string Imei, Model, Firmware;
    bool Claimed = false;  // this unit holds its IMEI in claimed_
    bool Invalid = false;  // its identity was no IMEI: it fails whatever the worker says
    std::optional<TUnitOutcome> Done;
    std::deque<std::string> Errors;
  };

  std::vector<std::string> CurrentPorts(bool& listed);
  void Scan();
  void StartQueued();
  void Start(const std::string& port);
  void Serve(TUnit& unit, short outEvents, short errEvents);
  void HandleLine(TUnit& unit, const std::string& line);
  void HandleErrorLine(TUnit& unit, const std::string& line);
  bool Finished(TUnit& unit);
  void Record(TUnitOutcome outcome);
  void NotStarted();
  void Stop();
  bool WriteReport();
  std::string Masked(const std::string& utf8) const { return masker_.Mask(utf8); }

  const TProvisionArgs& args_;
  const Args& raw_;
  const TPasswordMasker& masker_;
  TProvisionLive live_;
  std::string program_;
  std::deque<std::string> queue_;
  std::vector<std::unique_ptr<TUnit>> running_;
  std::vector<TUnitOutcome> outcomes_;
  std::set<std::string> claimed_;               // IMEIs passed or at work in this run
  std::map<std::string, std::string> present_;  // --watch: port and identity at the last scan
  // stderr is the terminal of the live lines: a worker's messages wait for its unit's end.
  bool holdErrors_ = false;
  int stopSignals_ = 0;
  bool reportFailed_ = false;
};

std::vector<std::string> TProvisionRun::CurrentPorts(bool& listed) {
  std::vector<TSerialPortInfo> ports;
  listed = true;
  if (args_.AllPorts) {
    const auto found = ListSerialPorts();
    listed = found.has_value();
    if (found) ports = *found;
  }
  return ProvisionPorts(args_, ports);
}

// What tells one appearance of a port from the next: a terminal unplugged and plugged in
// again between two scans gets a new node (or link) from the system, so the inode differs
// although the name is the same. The node's times are left out: writing to a tty changes
// them while the terminal stays where it is.
std::string PortIdentity(const std::string& path) {
  struct stat link = {}, node = {};
  std::string id;
  if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
    id += std::to_string(link.st_ino) + "." + std::to_string(link.st_ctim.tv_sec) + "." +
          std::to_string(link.st_ctim.tv_nsec);
  id += "/";
  if (stat(path.c_str(), &node) == 0)
    id += std::to_string(node.st_rdev) + "." + std::to_string(node.st_ino);
  return id;
}

// --watch: every port that was not there at the last scan is queued, once per appearance.
void TProvisionRun::Scan() {
  bool listed = true;
  std::map<std::string, std::string> now;
  for (const std::string& port : CurrentPorts(listed)) {
    const auto before = present_.find(port);
    // Only local ports come and go; a port on the network is named once and taken once.
    if (LooksLikeUrl(port) && before != present_.end()) {
      now[port] = before->second;
      continue;
    }
    now[port] = PortIdentity(port);
    if (before == present_.end() || before->second != now[port]) {
      queue_.push_back(port);
      live_.Add(port, "found");
    }
  }
  present_ = std::move(now);
}

void TProvisionRun::StartQueued() {
  const size_t jobs = args_.Jobs > 0 ? static_cast<size_t>(args_.Jobs) : SIZE_MAX;
  while (!queue_.empty() && running_.size() < jobs && stopSignals_ == 0) {
    const std::string port = queue_.front();
    queue_.pop_front();
    Start(port);
  }
}

void TProvisionRun::Start(const std::string& port) {
  auto unit = std::make_unique<TUnit>();
  unit->Port = port;
  unit->Worker = std::make_unique<TProvisionWorker>();
  std::string error;
  if (!unit->Worker->Start(program_, WorkerArguments(raw_, program_, port), error)) {
    TUnitOutcome o;
    o.Port = port;
    o.FirstError = "worker not started: " + error;
    Record(o);
    return;
  }
  live_.Stage(port, "started", "");
  running_.push_back(std::move(unit));
}

void TProvisionRun::HandleErrorLine(TUnit& unit, const std::string& line) {
  const std::string text = Masked(line);
  if (!holdErrors_) {
    std::fprintf(stderr, "%s: %s\n", unit.Port.c_str(), text.c_str());
    return;
  }
  unit.Errors.push_back(text);
  if (unit.Errors.size() > kKeptErrorLines) unit.Errors.pop_front();
}

void TProvisionRun::HandleLine(TUnit& unit, const std::string& line) {
  const std::optional<TJsonValue> parsed = ParseJson(line);
  if (!parsed || parsed->Kind != TJsonValue::jkObject) {
    HandleErrorLine(unit, line);  // not the protocol: shown as the worker's own words
    return;
  }
  const TJsonValue& event = *parsed;
  const std::string kind = event.Text("event");
  if (kind == "stage") {
    live_.Stage(unit.Port, Masked(event.Text("stage")), Masked(event.Text("text")));
  } else if (kind == "identity") {
    unit.Imei = event.Text("imei");
    unit.Model = Masked(event.Text("model"));
    unit.Firmware = Masked(event.Text("firmware"));
    live_.Identity(unit.Port, unit.Imei, unit.Model, unit.Firmware);
    // The same terminal on two ports (its adapter listed under two names, or plugged again
    // while its first run goes on) is provisioned once.
    if (!ValidImei(unit.Imei)) {
      unit.Invalid = true;
      unit.Worker->Answer(false);
      return;
    }
    const bool go = !claimed_.count(unit.Imei);
    if (go) {
      claimed_.insert(unit.Imei);
      unit.Claimed = true;
    }
    unit.Worker->Answer(go);
    if (!go) live_.Note(unit.Port, "already provisioned in this run");
  } else if (kind == "command") {
    const std::string result = event.Text("result");
    if (result != "verified") {
      const double instance = event.Num("instance");
      std::string name = Masked(event.Text("command"));
      if (instance > 0) name += "#" + std::to_string(static_cast<int>(instance));
      live_.Note(unit.Port, name + ": " + Masked(result));
    }
  } else if (kind == "done") {
    TUnitOutcome o = OutcomeFromDone(unit.Port, event);
    if (o.Imei.empty()) o.Imei = unit.Imei;
    unit.Done = o;
    unit.Worker->CloseInput();
  }
}

void TProvisionRun::Serve(TUnit& unit, short outEvents, short errEvents) {
  if (outEvents) unit.Worker->ReadOut();
  if (errEvents) unit.Worker->ReadErr();
  while (auto line = unit.Worker->NextOutLine())
    if (!unit.Done) HandleLine(unit, *line);
  while (auto line = unit.Worker->NextErrLine()) HandleErrorLine(unit, *line);
}

// True once the worker has ended and its outcome is recorded.
bool TProvisionRun::Finished(TUnit& unit) {
  if (!unit.Worker->Ended()) return false;
  Serve(unit, 0, 0);  // lines read at the last moment
  const std::optional<int> status = unit.Worker->TryReap();
  TUnitOutcome o;
  if (unit.Done) {
    o = *unit.Done;
  } else {
    o.Port = unit.Port;
    o.Imei = unit.Imei;
    o.Model = unit.Model;
    o.Firmware = unit.Firmware;
    o.Seconds = unit.Worker->Seconds();
    o.FirstError = UnexpectedEnd(*status);
  }
  if (unit.Invalid) {
    o.Result = "failed";
    o.FirstError = "no valid identity";
  }
  // A unit that failed gives its IMEI back: plugged again, it is tried again.
  if (unit.Claimed && o.Result != "passed") claimed_.erase(unit.Imei);
  Record(o);
  // Below the unit's last line, above the lines still live.
  std::string held;
  for (const std::string& line : unit.Errors) held += unit.Port + ": " + line + "\n";
  if (!held.empty()) live_.Print(held);
  return true;
}

void TProvisionRun::Record(TUnitOutcome o) {
  for (std::string* text : {&o.Model, &o.Firmware, &o.FirstError, &o.Snapshot})
    *text = Masked(*text);
  std::string line;
  if (o.Result == "passed")
    line = "passed in " + SecondsText(o.Seconds) + " s" + (o.Stored ? "" : ", not stored");
  else if (o.Result == "skipped")
    line = "skipped: already provisioned in this run";
  else
    line = "failed: " + o.FirstError;
  if (!o.Imei.empty() && o.Result != "skipped" && live_.Terminal() == false)
    line = "IMEI " + o.Imei + " " + line;
  live_.Finish(o.Port, line);
  outcomes_.push_back(std::move(o));
  // The report on disk is whole after every unit: a run stopped by force loses nothing done.
  if (!args_.Report.empty()) WriteReport();
}

void TProvisionRun::NotStarted() {
  while (!queue_.empty()) {
    TUnitOutcome o;
    o.Port = queue_.front();
    queue_.pop_front();
    o.FirstError = "not started: the run was stopped";
    Record(o);
  }
}

// The operator's first stop signal: nothing new starts; the second stops the running units.
void TProvisionRun::Stop() {
  if (++stopSignals_ == 1) {
    live_.Print(running_.empty()
                    ? std::string("stopping\n")
                    : "stopping: " + std::to_string(running_.size()) +
                          " running unit(s) finish first (a second signal stops them)\n");
    NotStarted();
  }
  if (stopSignals_ >= 2)
    for (auto& unit : running_) unit->Worker->Terminate();
}

bool TProvisionRun::WriteReport() {
  std::string error;
  if (WriteFileAtomically(args_.Report, ReportCsv(outcomes_), error)) return true;
  if (!reportFailed_) Fail(kName, "cannot write the report " + args_.Report + ": " + error);
  reportFailed_ = true;
  return false;
}

int TProvisionRun::Run() {
  TStopSignals signals;
  if (!args_.Report.empty() && !WriteReport()) return ceFailure;  // before any port, too
  bool listed = true;
  if (args_.Watch) {
    live_.Print("watching for terminals; Ctrl+C ends the run\n");
    Scan();
  } else {
    const std::vector<std::string> ports = CurrentPorts(listed);
    if (!listed) {
      Fail(kName, "the serial ports cannot be listed");
      return ceFailure;
    }
    if (ports.empty()) {
      Fail(kName, "no port to provision");
      return ceFailure;
    }
    for (const std::string& port : ports) {
      if (args_.Jobs > 0 && queue_.size() >= static_cast<size_t>(args_.Jobs))
        live_.Add(port, "waiting for a free worker");
      queue_.push_back(port);
    }
  }
  auto nextScan = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  for (;;) {
    StartQueued();
    live_.Refresh();
    if (running_.empty() && (queue_.empty() || stopSignals_) && (!args_.Watch || stopSignals_))
      break;
    std::vector<pollfd> fds;
    for (auto& unit : running_) {
      fds.push_back({unit->Worker->OutFd(), POLLIN, 0});
      fds.push_back({unit->Worker->ErrFd(), POLLIN, 0});
    }
    // The live lines are redrawn at this pace; a worker that closed its outputs is reaped soon.
    int wait = 100;
    for (auto& unit : running_)
      if (unit->Worker->OutputsClosed() || unit->Worker->TryReap()) wait = 5;
    if (args_.Watch && stopSignals_ == 0) {
      const auto now = std::chrono::steady_clock::now();
      if (now >= nextScan) {
        Scan();
        nextScan = now + std::chrono::seconds(1);
        continue;
      }
    }
    // A stop signal ends the wait (it is caught without SA_RESTART); one that came just before
    // it is noticed after the wait.
    if (poll(fds.data(), fds.size(), wait) < 0 && errno != EINTR) {
      Fail(kName, std::string("poll: ") + std::strerror(errno));
      break;
    }
    if (TStopSignals::Take() != 0) Stop();
    for (size_t i = 0; i < running_.size(); ++i)
      Serve(*running_[i], fds[2 * i].revents, fds[2 * i + 1].revents);
    running_.erase(std::remove_if(running_.begin(), running_.end(),
                                  [this](const std::unique_ptr<TUnit>& u) { return Finished(*u); }),
                   running_.end());
  }
  live_.Refresh(true);
  std::fputs(SummaryTable(outcomes_).c_str(), stdout);
  std::fflush(stdout);
  bool allPassed = !reportFailed_;
  for (const TUnitOutcome& o : outcomes_) allPassed &= o.Result != "failed";
  return allPassed ? ceOk : ceFailure;
}

}  // namespace

// The link's options but --port: the ports come from --ports and --all-ports.
std::string LinkHelpWithoutPort() {
  std::string help = TConsoleLinkOptions::Help();
  const size_t from = help.find("  --port ");
  if (from != std::string::npos) help.erase(from, help.find("\n  --", from) + 1 - from);
  return help;
}

std::string ProvisionUsage() {
  return std::string(
             "usage: quillon-cli provision --config TEMPLATE.zxml (--ports P1,P2,... | "
             "--all-ports)\n"
             "         [--units UNITS.csv] [--report REPORT.csv] [--snapshots DIR] [--no-store]\n"
             "         [--allow-defaults] [--jobs N] [--watch] [options]\n"
             "\n"
             "Provisions many terminals at once, one worker process per port: each enters\n"
             "command mode, identifies the terminal by its IMEI, saves a snapshot of its\n"
             "settings to DIR/<IMEI>/<YYYYMMDDTHHMMSSZ>.zxml, writes the template with the\n"
             "unit's row of UNITS.csv over it, verifies every write, stores into flash and\n"
             "leaves command mode. A terminal whose IMEI passed (or is at work) in this run is\n"
             "not provisioned again; one that failed is tried again when it appears again.\n"
             "The template and the whole UNITS.csv are checked before any port is opened.\n"
             "\n"
             "  --config FILE          the template, a configuration file\n"
             "  --ports P1,P2,...      ports: paths and shell-style globs (quote them), and\n"
             "                         tcp://HOST:PORT or rfc2217://HOST:PORT (never globs)\n"
             "  --all-ports            every USB serial adapter present (ttyUSB*, ttyACM*)\n"
             "  --units FILE           UTF-8 CSV with a header row: IMEI and parameter\n"
             "                         addresses (NAME[P], NAME#K[P]); an empty cell keeps the\n"
             "                         template's value; a terminal without a row fails\n"
             "  --report FILE          REPORT.csv, rewritten whole after every unit, with\n"
             "                         port,imei,model,firmware,result,written,verified,\n"
             "                         differing,failed,seconds,first_error (result passed or\n"
             "                         failed; a skipped repeat of an IMEI has no row)\n"
             "  --snapshots DIR        where snapshots go (default ./snapshots)\n"
             "  --no-store             do not store into flash\n"
             "  --allow-defaults       write parameters the terminal cannot report with the\n"
             "                         profile's values when neither template nor row gives one\n"
             "  --jobs N               at most N workers at once (default: every port)\n"
             "  --watch                keep watching the ports (about once a second) and\n"
             "                         provision each one that appears, until SIGINT, SIGTERM\n"
             "                         or SIGHUP; then start nothing new and let running units\n"
             "                         finish (a second signal stops them); ports on the\n"
             "                         network are provisioned once, at the start\n") +
         LinkHelpWithoutPort() + kEngineHelp +
         "\n"
         "On a terminal a line per port is redrawn in place; otherwise each change of stage\n"
         "is printed as 'PORT: ...'. A summary table ends the run. Exit code 0 when every unit\n"
         "passed, 1 when one failed (or the report could not be written), 2 when the template\n"
         "or UNITS.csv would write what it must not (nothing is sent then).\n";
}

int Provision(const Args& args) {
  TProvisionArgs parsed;
  const std::string error = ParseProvisionArgs(args, parsed);
  if (!error.empty()) return UsageError(kName, error, ProvisionUsage());
  CommandProfile profile;
  TSettings settings;
  if (!LoadProfileAndSettings(kName, parsed.Engine, profile, settings)) return ceFailure;
  int code = ceOk;
  if (!CheckBeforeAnyPort(parsed, profile, code)) return code;
  // The masker knows each password in force as the settings hold it and as workers write it.
  std::vector<std::string> passwords = {settings.Password, settings.MasterPassword,
                                        settings.EffectivePassword};
  if (parsed.Engine.Link.Password) passwords.push_back(*parsed.Engine.Link.Password);
  if (parsed.Engine.MasterPassword) passwords.push_back(*parsed.Engine.MasterPassword);
  TPasswordMasker masker;
  for (const std::string& p : passwords) {
    masker.Add(p);
    masker.Add(Cp1251ToUtf8(p));
  }
  TProvisionRun run(parsed, args, masker);
  return run.Run();
}

}  // namespace quillon::cli
