// The command profile: pages, commands, parameters and options read from cmdprofile.xml,
// with the lookups and the registry of response processors.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "profile/bounded_file.h"

namespace quillon {

enum TParamType : uint8_t { ptInteger = 0, ptString = 1, ptHex = 2, ptOption = 3 };
enum TPasswordMode : uint8_t { pmAdmin = 0, pmAdminUser = 1, pmUserAdmin = 2, pmUser = 3 };
enum TGroupSetMode : uint8_t { gsNo = 0, gsAuto = 1, gsYes = 2 };

struct TParamOption {
  std::string Value;
  std::string Text;
};

struct TCmdAttribute {
  std::string Name;
  std::string Value;
};

struct TCmdParameter {
  TParamType ParamType = ptString;
  std::string Description;
  std::string Suffix;
  bool Optional = true;
  int64_t MinValue = 0;
  int64_t MaxValue = 4294967295LL;
  std::string OnCharMask;
  std::string OnLeaveMask;
  std::string DefaultValue;
  int32_t MaxLen = 0;
  bool Overwrite = true;
  std::vector<TParamOption> Options;
};

struct TDevCommand {
  bool PollData = false;
  bool SetData = true;
  TGroupSetMode GroupSetData = gsAuto;
  bool ExportData = false;
  bool Indexed = false;
  int32_t MaxIndex = -1;
  std::string PollProcessor;
  std::string Description;
  std::string Name;
  TPasswordMode PasswordMode = pmAdminUser;
  std::vector<TCmdParameter> Parameters;
  std::vector<TCmdAttribute> Attributes;  // sorted by name, byte order, as the reader gives them
};

struct TDevPage {
  std::string Id;
  std::string Name;
  std::vector<TDevCommand> Commands;
};

// Reads one answer of the terminal for one command instance and parameter address.
using TResponseProcessor =
    std::function<void(int page, int command, int instance, int param, const std::string& answer)>;

// Orders names as the case-insensitive maps of the profile do (ASCII letters folded).
struct CaseInsensitiveLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

class CommandProfile {
 public:
  // The packed control tags hold the instance and the parameter in eight bits each.
  static constexpr int32_t kMaxIndex = 256;
  static constexpr size_t kMaxParameters = 256;
  static constexpr size_t kMaxFileSize = size_t{64} << 20;

  CommandProfile();

  std::vector<TDevPage> Pages;
  std::string Title;
  int32_t InputWidth = 0;
  std::map<std::string, std::pair<int, int>, CaseInsensitiveLess> CommandIndex;
  std::map<std::string, std::string, CaseInsensitiveLess> DefaultPollProcessors;
  std::map<std::string, TResponseProcessor, CaseInsensitiveLess> PollProcessorRegistry;

  // What the last load found about the file: Refused when it was not a regular file or larger
  // than kMaxFileSize (the model is then empty).
  TFileReadResult FileStatus;
  // Notices of the last load for the protocol log (Windows-1251): a refused file, a capped
  // MaxIndex, parameters past the limit left out.
  std::vector<std::string> LoadMessages;

  // Empties Pages and fills the model from the file; a missing or unreadable file gives an
  // empty model without a notice.
  void LoadCommandProfile(const std::string& fileName);
  // Same, from UTF-8 bytes held in memory (tests and tools).
  void LoadCommandProfileFromBuffer(const std::string& utf8);

  // Page index -1 when the name is unknown (letter case ignored).
  bool FindCommand(const std::string& name, int& page, int& command) const;

  void RegisterPollProcessor(const std::string& name, TResponseProcessor routine);
  // The routine of the name, else the one of the empty name when the name is not empty.
  const TResponseProcessor* FindPollProcessor(const std::string& name) const;

  const TDevCommand* Command(int page, int command) const;
};

// The value of the first attribute whose name matches ignoring ASCII letter case, else "".
std::string GetCommandAttribute(const TDevCommand& command, const std::string& name);

// The question the optional attribute "confirm" asks before the command is written (a factory
// reset, say); empty when the command is written without one.
std::string ConfirmQuestion(const TDevCommand& command);

}  // namespace quillon
