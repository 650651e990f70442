// What a write of values that came from elsewhere (a configuration file, the command line) may
// do: the terminal cannot report some parameters back, and some commands must never be
// replayed from a file. The command line, the main window and provisioning share these rules.
#pragma once

#include <set>
#include <vector>

namespace quillon {

class IParameterEditor;
struct TCmdParameter;
struct TDevCommand;

// A parameter without Overwrite is never read from the terminal: a backup cannot hold its
// value, and writing it back would write whatever the editor held instead.
bool ReadableFromTerminal(const TCmdParameter& param);

// Restores, templates and "take the file's value" write only commands with SetData and
// ExportData whose processor is not "exitcmd"; anything else named in a file is not written.
bool RestoreMayWrite(const TDevCommand& command);

// The parameters of one instance that an apply would send with a value (mandatory, or optional
// and ticked) although they cannot be read back and the caller was not given a value for them
// (given: parameter indexes the command line or the file set or unticked). The write is to be
// refused unless the operator allows the defaults.
std::vector<int> UnreadableWithoutValue(const TDevCommand& command, const IParameterEditor& editor,
                                        int page, int commandIndex, int instance,
                                        const std::set<int>& given);

}  // namespace quillon
