// Configuration files (*.zxml): the editor's values of the exportable commands as one zlib
// stream (level 9, so files begin 78 DA) around a small UTF-8 XML document, written and read
// through IParameterEditor so that the Qt editor and the headless editor share them.
//
// One buffer entry point each way, with thin file wrappers. Every message the saver or the
// loader has for the operator (kind 4 of the protocol log) goes to a TConfigMessages sink; the
// main window forwards them to its log, the command line and the tests keep them in memory.
//
// Loading a file into a scratch editor and collecting what the loader says:
//
//   CommandProfile profile;
//   profile.LoadCommandProfile("cmdprofile.xml");
//   THeadlessEditor editor(profile);            // every control at its default
//   TConfigMessages messages;                   // in-memory sink
//   TLoadResult r = LoadConfigurationFromFile(profile, editor, "backup.zxml", messages);
//   // r.Outcome: loLoaded (read to the end; messages, if any, are value messages: a value
//   //            replaced by its default), loStopped (a data error ended the load; the last
//   //            message says which), loNotOpened / loTooLarge (message logged, nothing
//   //            changed), loCorrupt (no message; r.Error holds the "Error..." text for the
//   //            error box, nothing changed).
//   // r.Instances: each command instance the file named, in the order first named.
//   // messages.Lines(): the log lines, Windows-1251, in order.
//   editor.InputText(page, command, instance, param);   // what the load put there
//
// Saving the editor's values:
//
//   TConfigMessages messages;
//   if (!SaveConfigurationToFile(profile, editor, "backup.zxml", messages)) { ... }
//
// The file is written beside the target and renamed into place only once it is complete and
// synced, so a failed save leaves any earlier file as it was.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "configfiles/config_messages.h"
#include "editor/parameter_editor.h"
#include "profile/command_profile.h"

namespace quillon {

// The reader refuses a document longer than this; the writer refuses to write one.
constexpr size_t kMaxConfigurationText = 1048576;

struct TConfigSaveOptions {
  // Which of the commands the usual rule admits (ExportData and an enabled group box) are
  // written; unset: all of them. A backup passes the ones it could read from the terminal.
  std::function<bool(int page, int command)> CommandFilter;
  // Leave out the elements of parameters the terminal never reports (no Overwrite): a backup
  // must not store values it did not read.
  bool OmitNotOverwritable = false;
};

// The uncompressed document exactly as it goes into the file: CR LF lines, escaped UTF-8.
std::string WriteConfigurationXml(const CommandProfile& profile, const IParameterEditor& editor,
                                  TConfigMessages& messages,
                                  const TConfigSaveOptions& options = {});

// The whole file's bytes. False (and a message) when the document would be too large to be
// loaded back; out is then empty.
bool SaveConfigurationToBuffer(const CommandProfile& profile, const IParameterEditor& editor,
                               std::string& out, TConfigMessages& messages,
                               const TConfigSaveOptions& options = {});

// Writes the file atomically. False when nothing was written; the message says why
// ("Не могу создать файл, ошибка=..." for a file-system failure) and any earlier file is kept.
bool SaveConfigurationToFile(const CommandProfile& profile, const IParameterEditor& editor,
                             const std::string& fileName, TConfigMessages& messages,
                             const TConfigSaveOptions& options = {});

enum TLoadOutcome {
  loLoaded,     // read to the end of the document
  loStopped,    // a data error ended the load; what was set before it stays set
  loNotOpened,  // the file could not be opened or read; nothing changed
  loTooLarge,   // more than kMaxConfigurationText of text; nothing changed
  loCorrupt,    // not a complete zlib stream; nothing changed, no message (see Error)
};

struct TLoadedInstance {
  int Page = 0;
  int Command = 0;
  int Instance = 0;
};

struct TLoadResult {
  TLoadOutcome Outcome = loLoaded;
  // loCorrupt: the text of the application's error box, "Error" and what is wrong.
  std::string Error;
  // Each command instance an index element named (or, for elements that name none, the
  // instance 0 of their command), in the order first named.
  std::vector<TLoadedInstance> Instances;
  // Each command a command element named, in the order first named (Instance is 0): a restore
  // reports the ones it must not write even when the file gives them no instance.
  std::vector<TLoadedInstance> Commands;
  // Each parameter element, in the order read, with or without a value between its tags.
  std::vector<ParamAddress> Parameters;
};

// Loads the uncompressed document (UTF-8 bytes) into the editor.
TLoadResult LoadConfigurationXml(const CommandProfile& profile, IParameterEditor& editor,
                                 const std::string& xml, TConfigMessages& messages);

// Loads a whole file's bytes: decompressed first (bounded), then read as above.
TLoadResult LoadConfigurationFromBuffer(const CommandProfile& profile, IParameterEditor& editor,
                                        const std::string& data, TConfigMessages& messages);

// Reads the file and loads it; "Не могу открыть файл, ошибка=..." when it cannot be read.
TLoadResult LoadConfigurationFromFile(const CommandProfile& profile, IParameterEditor& editor,
                                      const std::string& fileName, TConfigMessages& messages);

}  // namespace quillon
