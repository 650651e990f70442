// EComPort: the serial port's one error type. It carries the error number of the port's table
// and, when the failure came from the operating system, that system's error code.
#pragma once

#include <stdexcept>
#include <string>

namespace quillon {

// Error numbers of EComPort. Only some of them can occur on this system's paths; the others keep
// their numbers so that messages read the same as the port component's everywhere.
enum TComError : int {
  CE_OpenFailed = 1,
  CE_WriteFailed = 2,
  CE_ReadFailed = 3,
  CE_InvalidAsync = 4,
  CE_PurgeFailed = 5,
  CE_AsyncCheck = 6,
  CE_SetStateFailed = 7,
  CE_TimeoutsFailed = 8,
  CE_SetupComFailed = 9,
  CE_ClearComFailed = 10,
  CE_ModemStatFailed = 11,
  CE_EscapeComFailed = 12,
  CE_TransmitFailed = 13,
  CE_ConnChangeProp = 14,
  CE_EnumPortsFailed = 15,
  CE_StoreFailed = 16,
  CE_LoadFailed = 17,
  CE_RegFailed = 18,
  CE_LedStateFailed = 19,
  CE_ThreadCreated = 20,
  CE_WaitFailed = 21,
  CE_HasLink = 22,
  CE_RegError = 23,
  CE_PortNotOpen = 24,
};

class EComPort : public std::runtime_error {
 public:
  // systemCode > 0 appends " (Error: <code>)" to the message.
  explicit EComPort(int number, int systemCode = 0);
  // The same followed by ": " and what the system said (operation, path, reason, remedy).
  EComPort(int number, int systemCode, const std::string& detail);

  int Number() const { return number_; }
  int SystemCode() const { return systemCode_; }

  // The fixed text of an error number; empty for numbers outside the table.
  static std::string Text(int number);

 private:
  int number_;
  int systemCode_;
};

}  // namespace quillon
