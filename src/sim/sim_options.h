// Command line of quillon-sim: what the simulated terminal is, how it talks and which faults it
// shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

struct TSimOptions {
  std::string ProfileFile;  // empty: cmdprofile.xml beside the executable
  std::string LinkPath;     // symbolic link made to the device path, removed on exit
  std::string StateFile;    // values kept across runs by +SAVE
  bool ExitWithParent = false;
  bool Help = false;

  std::string Password = "1234";         // user level
  std::string MasterPassword = "5678";   // administrator level
  std::vector<std::string> IgnoreSet;    // writes of these commands change nothing
  std::vector<std::string> Unsupported;  // command names answered with NOT SUPPORTED
  std::string Imei = "860417050417364";  // told by the identity report and +SVER

  int32_t PartSize = 512;  // longest answer sent as one part, in bytes
  int32_t Baud = 115200;   // 10 bits a byte on the simulated line
  int32_t TableRows = 12;  // records in the answer of a table command

  // Faults.
  bool NoEcho = false;
  bool BadEcho = false;
  bool SwappedCaseEcho = false;
  bool NoPrompt = false;
  bool NoEntry = false;  // the access code is never taken: command mode cannot be entered
  int32_t DelayMs = 0;
  int32_t GapMs = 0;
  bool Garbage = false;
  int32_t SilentAfter = 0;  // 0: never
  int64_t HangUpAfter = 0;  // 0: never
  std::string Refuse;       // "", "PASSWORD", "PERMISSION" or "COMMAND"
  bool Trace = false;
  uint32_t Seed = 0;  // 0: taken from the clock
};

// Fills options from argv. False with a message for an unknown option or a bad value.
bool ParseSimOptions(int argc, const char* const* argv, TSimOptions& options, std::string& error);

// The --help text.
std::string SimUsageText();

}  // namespace quillon
