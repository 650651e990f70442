// The fixed texts the logic shows or logs (log lines, refusals, hints), kept in one place under
// ids so that a front end can put them into the interface language. The built-in texts are
// Russian (Windows-1251); the command line keeps them, the GUI installs its translation at start.
// Texts with values are templates: %1, %2, ... stand for the values, so a translation may order
// them as its language needs.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace quillon {

enum class TText {
  // Editor hints
  HintNumber,
  HintFrom,
  HintTo,
  HintString,
  HintUpToChars,
  HintMask,
  HintHex,
  // Masks and the command profile
  MaskAtPosition,
  MaskNoMemory,
  ProfileMaxIndexCut,
  ProfileParametersSkipped,
  ProfileNotRead,
  FileLargerThan,
  FileNotRegular,
  SettingsNotRead,
  // Link
  WriteError,
  AnswerLargerThan,
  AnswerEndlessFlow,
  AnswerCut,
  ReadError,
  CannotOpenPort,
  AlreadyInCommandMode,
  LinkError,
  TextCommandMissing,
  SaveCommandMissing,
  UnknownLogKind,
  // Ports on the network
  PortAddressScheme,
  PortAddressNoHost,
  PortAddressNoPort,
  PortAddressPortRange,
  PortAddressIPv6,
  PortAddressTrailing,
  NetNameNotFound,
  NetRefused,
  NetUnreachable,
  NetTimedOut,
  NetFailed,
  NetClosed,
  NetNoAnswer,
  NetNoBinary,
  NetNoComPort,
  NetSettingRefused,
  NetBaudRate,
  NetDataSize,
  NetParity,
  NetStopSize,
  NetFlowControl,
  NetProtocolError,
  // Port failures: causes and what to do about them
  PortAbsent,
  PortGroupAccess,
  PortAskAdministrator,
  PortHeldByModemManager,
  PortHeldBy,
  PortHeldByUnknown,
  PortWentAway,
  // Engine
  WrongPassword,
  NoPermission,
  ParameterError,
  NoExpectedAnswer,
  Retrying,
  GivingUp,
  NotReadRefused,
  CommaRefused,
  ValueDoesNotFit,
  ParameterMissing,
  NotInCommandMode,
  StoppedAtCommand,
  StoppedAtIndex,
  TableIncomplete,
  ParameterSuffix,
  // Configuration files
  ValueOutOfRange,
  ValueMaskFailed,
  ValueNotInList,
  DataError,
  CommandNotFound,
  IndexExceeded,
  ParameterNumberExceeded,
  SwitchNotFound,
  InputNotFound,
  RegexError,
  WriterParameterNotFound,
  WriterCommandSkipped,
  InputFileTooLarge,
  ConfigurationTooLong,
  CannotCreateFile,
  CannotOpenFile,
  Count_
};

// The text in the interface language with %1.. replaced by args in order (Windows-1251).
std::string Text(TText id, std::initializer_list<std::string_view> args = {});

// The translation context under which the front end looks the built-in texts up.
inline constexpr const char* kFixedTextsContext = "quillon::TFixedTexts";

// Puts every text through translate (Windows-1251 in and out) once; an empty function restores
// the built-in texts. Called before the first window exists, like the language itself.
void TranslateFixedTexts(const std::function<std::string(const std::string&)>& translate);

// Replaces %1..%9 in a template by args in order; a missing arg leaves its marker.
std::string FormatTemplate(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace quillon
