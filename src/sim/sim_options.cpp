#include "sim/sim_options.h"

#include <functional>
#include <map>

#include "profile/text_utils.h"

namespace quillon {

namespace {

bool ReadCount(const std::string& text, int64_t low, int64_t high, int64_t& value) {
  return ParseInt64(text, value) && value >= low && value <= high;
}

bool ReadInt32(const std::string& text, int32_t low, int32_t high, int32_t& target) {
  int64_t value = 0;
  if (!ReadCount(text, low, high, value)) return false;
  target = static_cast<int32_t>(value);
  return true;
}

std::vector<std::string> SplitNames(const std::string& text) {
  std::vector<std::string> names;
  for (const std::string& item : SplitCsv(text)) {
    if (!item.empty()) names.push_back(item);
  }
  return names;
}

using TValueSetter = std::function<bool(const std::string&, TSimOptions&)>;

const std::map<std::string, TValueSetter>& ValueOptions() {
  static const std::map<std::string, TValueSetter> table = {
      {"--profile",
       [](const std::string& v, TSimOptions& o) {
         o.ProfileFile = v;
         return !v.empty();
       }},
      {"--link",
       [](const std::string& v, TSimOptions& o) {
         o.LinkPath = v;
         return !v.empty();
       }},
      {"--state",
       [](const std::string& v, TSimOptions& o) {
         o.StateFile = v;
         return !v.empty();
       }},
      {"--password",
       [](const std::string& v, TSimOptions& o) {
         o.Password = v;
         return true;
       }},
      {"--master-password",
       [](const std::string& v, TSimOptions& o) {
         o.MasterPassword = v;
         return true;
       }},
      {"--imei",
       [](const std::string& v, TSimOptions& o) {
         o.Imei = v;
         // Any text a report field can carry, so tests can show an invalid identity too.
         return !v.empty() && v.size() <= 32 && v.find_first_of(",\"\r\n") == std::string::npos;
       }},
      {"--unsupported",
       [](const std::string& v, TSimOptions& o) {
         for (const std::string& name : SplitNames(v)) o.Unsupported.push_back(name);
         return true;
       }},
      {"--ignore-set",
       [](const std::string& v, TSimOptions& o) {
         for (const std::string& name : SplitNames(v)) o.IgnoreSet.push_back(name);
         return true;
       }},
      {"--part-size",
       [](const std::string& v, TSimOptions& o) { return ReadInt32(v, 16, 1 << 20, o.PartSize); }},
      {"--baud",
       [](const std::string& v, TSimOptions& o) { return ReadInt32(v, 0, 100000000, o.Baud); }},
      {"--table-rows",
       [](const std::string& v, TSimOptions& o) { return ReadInt32(v, 0, 255, o.TableRows); }},
      {"--delay",
       [](const std::string& v, TSimOptions& o) { return ReadInt32(v, 0, 600000, o.DelayMs); }},
      {"--gap",
       [](const std::string& v, TSimOptions& o) { return ReadInt32(v, 0, 600000, o.GapMs); }},
      {"--silent-after", [](const std::string& v,
                            TSimOptions& o) { return ReadInt32(v, 1, 2147483647, o.SilentAfter); }},
      {"--hangup-after", [](const std::string& v,
                            TSimOptions& o) { return ReadCount(v, 1, INT64_MAX, o.HangUpAfter); }},
      {"--refuse",
       [](const std::string& v, TSimOptions& o) {
         o.Refuse = UpperAscii(v);
         return o.Refuse == "PASSWORD" || o.Refuse == "PERMISSION" || o.Refuse == "COMMAND";
       }},
      {"--seed",
       [](const std::string& v, TSimOptions& o) {
         int64_t value = 0;
         if (!ReadCount(v, 0, UINT32_MAX, value)) return false;
         o.Seed = static_cast<uint32_t>(value);
         return true;
       }},
  };
  return table;
}

const std::map<std::string, bool TSimOptions::*>& FlagOptions() {
  static const std::map<std::string, bool TSimOptions::*> table = {
      {"--exit-with-parent", &TSimOptions::ExitWithParent},
      {"--help", &TSimOptions::Help},
      {"-h", &TSimOptions::Help},
      {"--no-echo", &TSimOptions::NoEcho},
      {"--bad-echo", &TSimOptions::BadEcho},
      {"--swapped-case-echo", &TSimOptions::SwappedCaseEcho},
      {"--no-prompt", &TSimOptions::NoPrompt},
      {"--no-entry", &TSimOptions::NoEntry},
      {"--garbage", &TSimOptions::Garbage},
      {"--trace", &TSimOptions::Trace},
  };
  return table;
}

}  // namespace

bool ParseSimOptions(int argc, const char* const* argv, TSimOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool inlineValue = false;
    size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
      inlineValue = true;
    }
    auto flag = FlagOptions().find(arg);
    if (flag != FlagOptions().end() && !inlineValue) {
      options.*(flag->second) = true;
      continue;
    }
    auto setter = ValueOptions().find(arg);
    if (setter == ValueOptions().end()) {
      error = "unknown option: " + std::string(argv[i]);
      return false;
    }
    if (!inlineValue) {
      if (i + 1 >= argc) {
        error = "missing value for " + arg;
        return false;
      }
      value = argv[++i];
    }
    if (!setter->second(value, options)) {
      error = "bad value for " + arg + ": " + value;
      return false;
    }
  }
  return true;
}

std::string SimUsageText() {
  return R"(Usage: quillon-sim [options]

Simulated Veltra terminal on a pseudo-terminal. Prints the path of the device side as the first
line on stdout and runs until SIGTERM or SIGINT. The command set comes from a command profile.

Device:
  --profile FILE          command profile (default: the program's cmdprofile.xml)
  --link PATH             make PATH a symbolic link to the device (replaced; removed on exit)
  --state FILE            values stored by +SAVE; loaded at start when the file exists
  --password P            user password (default 1234)
  --master-password P     master password (default 5678)
                          Commands with passwordmode admin need the master password; user,
                          adminuser and useradmin accept either (the master password opens
                          everything). A valid password short of the mode gives PERMISSION.
  --imei IMEI             identity told by the DPRM report and +SVER (default 860417050417364)
  --unsupported N[,N...]  answer NOT SUPPORTED for these commands as well
  --ignore-set N[,N...]   answer writes of these commands with their old values
  --part-size N           longest answer sent as one part, in bytes (default 512)
  --table-rows N          records in the answer of a table command (default 12)
  --baud N                pace the output at N baud, 10 bits a byte (default 115200; 0: no pacing)
  --exit-with-parent      end when the parent process ends
  --seed N                seed of the random noise (default: from the clock)

Faults, for tests:
  --no-echo               do not echo received bytes
  --bad-echo              echo with letters in the other case and digits changed
  --swapped-case-echo     echo with letters in the other case, digits as received
  --no-prompt             leave the prompt out of command answers (entry keeps it)
  --no-entry              never take the access code (command mode cannot be entered)
  --delay MS              wait MS before every answer
  --gap MS                pause MS between the lines of an answer
  --garbage               random noise lines before every answer
  --silent-after N        after N requests stay silent (no echo, no answer)
  --hangup-after N        after N received bytes close the device as an unplugged adapter, exit
  --refuse KIND           refuse every write with ERROR,KIND (PASSWORD, PERMISSION or COMMAND)
  --trace                 every request and answer to stderr, and the line settings
                          the client set
  -h, --help              this text

Protocol: CR + 4817365 enters command mode; AT<name>=? polls; AT<name>=<password>,[<instance>,]
<value>,... writes; AT+TEXT and AT+SRBT leave command mode; AT+SAVE stores the values;
AT+SDAD=<password>,,3,,,,,,,,,,, starts status reports (one of each kind per second), ,,0, stops
them. NUL bytes are echoed and ignored; "!" is echoed and drops an unfinished line.
)";
}

}  // namespace quillon
