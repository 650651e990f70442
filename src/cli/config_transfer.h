// The two halves of moving a whole configuration between the terminal and a file, shared by
// config save, config load, restore and provisioning: the backup (every command that can be
// read and is exported, polled into the editor) and the verified restore (the commands a file
// names, written in profile order and each judged by the terminal's answer).
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/engine_cli.h"
#include "configfiles/config_file.h"
#include "engine/write_verification.h"

namespace quillon::cli {

// Where the backup and the restore say what went wrong or what they left out (UTF-8).
using TReportMessage = std::function<void(const std::string& utf8)>;

// --------------------------------------------------------------------------------------------
// Backup

// Called before each command is polled: the command, how many came before, how many in all.
// False stops the backup there.
using TBeforeCommand = std::function<bool(const TDevCommand& command, int done, int total)>;

// Polls every command that can be read and is exported into the editor, in profile order.
// Those the terminal answered in full go into saved; one it does not support is left out and
// named. Any other outcome (refusal, no answer, an incomplete answer, a transfer failure)
// stops the backup with its exit code, as does before (ceFailure); ceOk when it is complete.
int PollExportable(TEngineCli& cli, const TReportMessage& report,
                   std::set<std::pair<int, int>>& saved, const TBeforeCommand& before = {});

// The file options of a backup: only the commands polled, and no element for a parameter the
// terminal never reports.
TConfigSaveOptions BackupSaveOptions(const std::set<std::pair<int, int>>& saved);

// --------------------------------------------------------------------------------------------
// Restore

// One line of a restore's report.
struct TRestoreLine {
  int Page = 0;
  int Command = 0;
  std::optional<int> Instance;  // from 0; none when the file named the command without one
  std::string Result;
  int Code = ceOk;
  bool Attempted = false;  // the restore meant to write it (it may write the command)
  bool Written = false;
  bool Verified = false;
  bool Differs = false;
  std::string Refusal;  // the terminal's keyword when it refused the write
  std::vector<TValueDifference> Differences;
};

// What a file (and whatever is put over it) names, in profile order: each command with the
// instances it names.
struct TNamedCommand {
  int Page = 0;
  int Command = 0;
  std::vector<int> Instances;
};

// A parameter element with nothing between its tags is what a save writes for an empty text
// field; loading into the window leaves such a field as it is, but a restore starts from the
// profile's values, so it takes the element as the empty text it stands for.
void TakeEmptyTextElements(const CommandProfile& profile, TRecordingEditor& recorder,
                           const TLoadResult& loaded);

// Loads the file into the editor, as the restore's scratch copy; false (with the code and the
// loader's messages reported) when the restore must stop before anything is sent.
// acceptDefaults: values the loader replaced by their defaults may be written.
bool LoadForRestore(TEngineCli& cli, const std::string& file, bool acceptDefaults,
                    const TReportMessage& report, TLoadResult& loaded, int& code);

// The commands the load named, with more instances named besides (values put over the file).
std::vector<TNamedCommand> NamedInProfileOrder(const TLoadResult& loaded,
                                               const std::vector<TLoadedInstance>& more = {});

// The checks made before anything is sent: parameters that cannot be read back given no value
// (unless allowDefaults; exit 2), values that cannot be sent, a missing password. False with
// the messages reported and the code of the first.
bool ValuesMayBeSent(const TEngineCli& cli, const std::vector<TNamedCommand>& named,
                     bool allowDefaults, const TReportMessage& report, int& code);

// Told about the progress of a restore, for live output.
struct TRestoreObserver {
  // Before the instance (from 0) is written: how many writes came before, how many in all.
  std::function<void(const TDevCommand& command, int instance, int done, int total)> BeforeWrite;
  // After the write, before its answer is judged (a poll may follow).
  std::function<void(const TDevCommand& command, int instance, int done, int total)> BeforeVerify;
  // Each line as soon as it is known.
  std::function<void(const TRestoreLine& line)> Line;
  // Asked before each write: true stops the restore there (the writes left are "stopped").
  std::function<bool()> Stopped;
};

// Writes every command the restore may write, in the order given, and judges each instance;
// the others get their "not written (...)" lines. Returns false when the link failed on the
// way or the observer stopped it (the writes left get "not written (stopped)").
bool WriteNamedCommands(TEngineCli& cli, const std::vector<TNamedCommand>& named,
                        std::vector<TRestoreLine>& lines, const TRestoreObserver& observer = {});

// The lines taken together. Code: the first line's in profile order that is not ceOk.
struct TRestoreSummary {
  int Code = ceOk;
  bool AnyWritten = false;
  bool AllVerified = true;  // every write meant was verified (refused, unanswered or unchecked
                            // writes leave the restore unfinished: storing would keep half)
  int Written = 0;
  int Verified = 0;
  int Differing = 0;
  int Failed = 0;  // neither written nor left alone on purpose: refused, unsupported, ...
};
TRestoreSummary SummarizeRestore(const std::vector<TRestoreLine>& lines);

// NAME#K for a line (NAME when the file named the command without an instance).
std::string LineAddress(const TEngineCli& cli, const TRestoreLine& line);

}  // namespace quillon::cli
