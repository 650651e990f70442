// The serial ports present on this machine, as the kernel's tty class lists them: every tty with
// a device behind it, except the UARTs a PC reports whether or not a chip answers (type 0).
// Sysfs and /dev are parameters, so a fake tree stands in for them in tests.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillon {

struct TSerialPortInfo {
  std::string Path;  // shown and stored: the by-id link where one exists, else the node
  std::string ById;  // "<dev>/serial/by-id/…", empty when none points at the node
  std::string Node;  // "<dev>/ttyUSB0"
  std::string Kind;  // "usb", "acm", "uart", "other", or "network" for an address
  // Unknown values stay empty.
  std::optional<std::string> Driver;
  std::optional<std::string> VendorId;
  std::optional<std::string> ProductId;
  std::optional<std::string> Manufacturer;
  std::optional<std::string> Product;
  std::optional<std::string> Serial;
};

// Returns nullopt when the tty class cannot be read at all; a failure part-way keeps the ports
// found so far. The ports are sorted by Path without regard to ASCII letter case.
std::optional<std::vector<TSerialPortInfo>> ListSerialPorts(const std::string& sysRoot = "/sys",
                                                            const std::string& devRoot = "/dev");

// Sorts as the port list shows names: without regard to ASCII letter case, so "COM10" comes
// before "COM2".
void SortPortNames(std::vector<std::string>& names);
bool PortNameLess(const std::string& a, const std::string& b);

// A port on the network (tcp://, rfc2217://) as the lists show it beside the local ones: its
// address as Path, kind "network", nothing else known.
TSerialPortInfo NetworkPortInfo(const std::string& address);

// One line about a port for hints and plain listings: node, driver and USB identity, in no
// particular language.
std::string PortHint(const TSerialPortInfo& port);

}  // namespace quillon
