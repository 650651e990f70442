// Whether a write reached the terminal as it was meant: the terminal answers an apply with the
// command's values, in the form of a poll answer, and those are compared with what was sent.
// The main window, the command line's restore and provisioning all judge a write by this one
// rule.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

class CommandProfile;
class IParameterEditor;
struct TDevCommand;

// One value per parameter of the command, as an apply sent it; nothing for an optional
// parameter whose box was clear (it went out empty and asks for no change).
using TSentValues = std::vector<std::optional<std::string>>;

enum TWriteResult {
  wrVerified,     // every compared value came back as sent
  wrDiffers,      // at least one came back different, or not at all
  wrRefused,      // ERROR,PASSWORD / PERMISSION / COMMAND
  wrUnsupported,  // NOT SUPPORTED
  wrNoAnswer,     // no answer line of the command
  wrNotVerified,  // written, but the command gives nothing to compare with
};

struct TValueDifference {
  int Index = 0;  // the parameter, from 0
  std::string Sent;
  std::optional<std::string> Read;  // nothing when the answer holds no value at that place
};

struct TWriteVerification {
  TWriteResult Result = wrNoAnswer;
  std::string Refusal;  // the keyword of a refusal
  std::vector<TValueDifference> Differences;
  bool Polled = false;  // the values were read by a poll after the write
};

// What an apply of that instance sends, read from the editor as the request is built.
TSentValues SentValues(const IParameterEditor& editor, const TDevCommand& command, int page,
                       int commandIndex, int instance);

// Judges the write of one instance (from 0) from the apply's own answer. Compared are the
// parameters sent with a value that have Overwrite: integers and hexadecimal values as numbers,
// strings exactly, options by their Value. A command whose processor reads no values
// ("nonpoll") is read once more through pollAnswer when it has PollData; without PollData, and
// for "exitcmd" and "table" commands, a write that was not refused is "written, not verified".
TWriteVerification VerifyWrite(const TDevCommand& command, int instance, const TSentValues& sent,
                               const std::string& applyAnswer,
                               const std::function<std::string()>& pollAnswer);

// The answer to a command that writes nothing to compare ("+SAVE", "+TEXT"), judged as such a
// write: refused, not supported or unanswered as VerifyWrite says, and an error the terminal
// names beyond the refusals ("+RESP:SAVE,ERROR,FLASH") is a failure too, though the response
// processors take it for values. The profile's command of that name is used, else a built-in
// one that reads no values.
struct TSessionCommandVerdict {
  TWriteVerification Write;
  std::string NamedError;  // the answer line after "+RESP:NAME," when it names an error
  bool Succeeded() const { return Write.Result == wrNotVerified && NamedError.empty(); }
};
TSessionCommandVerdict JudgeSessionCommand(const CommandProfile& profile, const std::string& name,
                                           const std::string& answer);

// "verified", "differs", "refused", "unsupported", "no answer", "written, not verified".
const char* WriteResultText(TWriteResult result);

}  // namespace quillon
