#include "link/com_error.h"

#include <array>

namespace quillon {

namespace {

constexpr std::array<const char*, 24> kTexts = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
    "Port Not Open",
};

std::string Message(int number, int systemCode) {
  std::string text = EComPort::Text(number);
  if (systemCode > 0) text += " (Error: " + std::to_string(systemCode) + ")";
  return text;
}

}  // namespace

EComPort::EComPort(int number, int systemCode)
    : std::runtime_error(Message(number, systemCode)), number_(number), systemCode_(systemCode) {}

EComPort::EComPort(int number, int systemCode, const std::string& detail)
    : std::runtime_error(Message(number, systemCode) + (detail.empty() ? "" : ": " + detail)),
      number_(number),
      systemCode_(systemCode) {}

std::string EComPort::Text(int number) {
  if (number < 1 || number > static_cast<int>(kTexts.size())) return {};
  return kTexts[number - 1];
}

}  // namespace quillon
