// quillon-cli ports: the serial ports present, as the settings dialog offers them.
#pragma once

#include <string>
#include <vector>

#include "link/serial_port_list.h"

namespace quillon::cli {

struct TPortsArgs {
  bool Json = false;
  bool Help = false;
  std::string SysRoot = "/sys";  // another tree for tests
  std::string DevRoot = "/dev";
  std::string Ini;  // the settings file with the recent network ports; empty: the program's
};

// Reads the arguments after "ports"; returns the error text, empty when they are fine.
std::string ParsePortsArgs(const std::vector<std::string>& args, TPortsArgs& parsed);

// The whole output: one line per port, or one JSON document.
std::string FormatPortsText(const std::vector<TSerialPortInfo>& ports);
std::string FormatPortsJson(const std::vector<TSerialPortInfo>& ports);

extern const char* const kPortsUsage;

}  // namespace quillon::cli
